#pragma once
// The noise-proof reader's view of the samples: sums over the quarters of a
// bit cell at fractional positions, about the centre line. The reader only
// ever compares spans of equal length (second half against first half, inner
// half against outer quarters), so DC and slow drift cancel out, and hum
// leaves no more than its slope across one cell (a tenth of a bit's strength
// for 50 Hz at twice the signal). The sums come from running sums over a
// chunk of samples at a time: no allocation per sample or cell.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "shell/ByteReader.h"

struct CellQuarters {
    double q[4] = {0, 0, 0, 0};    // sums over the four quarters of the cell
};

class SignalConditioner {
  public:
    explicit SignalConditioner(ByteView samples);

    std::size_t size() const { return samples_.size; }
    // True when the cell [start, start + length) lies within the samples but
    // for at most its second half (a recording may end right behind its last bit).
    bool holds(double start, double length) const {
        return start >= 0 && start + 0.5 * length < static_cast<double>(samples_.size);
    }
    // The quarters of the cell [start, start + length); holds() must be true.
    CellQuarters cell(double start, double length);

  private:
    void buildChunk(std::size_t from);

    ByteView samples_;
    std::vector<std::uint8_t> copy_;    // the chunk's samples
    std::vector<std::int32_t> sums_;    // their running sums, every fourth sample
    std::size_t base_ = 0, end_ = 0;    // the chunk: samples [base_, end_)
};
