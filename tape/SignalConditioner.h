#pragma once
// The noise-proof reader's view of the samples: sums over quarter bit cells
// at fractional positions, about the centre line, with the baseline taken off.
// A bit cell is half high, half low, so its mean is the baseline (DC, hum,
// drift) and the reader's comparisons of equal spans already ignore a constant
// one; once the cells are known to be paired right, the slope of the cell means
// is followed too and taken off each quarter, which removes hum and drift
// inside the cell.
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
    // Follow the baseline's slope from now on (true), or keep it flat.
    void followSlope(bool follow);

  private:
    void buildChunk(std::size_t from);

    ByteView samples_;
    std::vector<std::uint8_t> copy_;    // the chunk's samples
    std::vector<std::int32_t> sums_;    // their running sums, every fourth sample
    std::size_t base_ = 0, end_ = 0;    // the chunk: samples [base_, end_)
    bool follow_ = false;
    double lastMean_ = 0;          // the mean of the last cell
    double steps_[3] = {0, 0, 0};  // the last three steps between cell means, per sample
    int known_ = 0;                // cells seen since the last change, up to 4
    double slopes_[3] = {0, 0, 0}; // the last three slopes (medians)
    double slopePower_ = 0;        // their mean square, and that of their noise
    double noisePower_ = 0;
};
