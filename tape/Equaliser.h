#pragma once
// An equaliser learnt from a record's own known signal. The lead-in, the sync
// and the bytes a reader read behind it are encoded once more as the encoder
// writes them and laid over the recording; the channel between the two (the
// direct sound and its echoes, as a phone on the table next to the speaker
// hears the room) is fitted by least squares, and the echoes are taken out of
// the recording by a recursive canceller. The readers then read the record
// once more from the equalised samples.
// Works on one record's window of the samples, never on the whole recording.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "shell/ByteReader.h"
#include "tape/Decoder.h"

// One echo: a copy of the direct sound as heard, `delay` samples late and
// scaled, spread over two neighbouring samples for a delay between them.
struct EchoPath {
    std::size_t delay = 0;
    double taps[2] = {0, 0};
};

// What was learnt from a record: its echoes. Empty where nothing was learnt:
// the reading does not fit the recording, or no echo stands out of the noise.
struct LearntEchoes {
    std::vector<EchoPath> echoes;
    std::size_t begin = 0;      // where the equalised samples begin: a little before the lead-in
    std::size_t readTo = 0;     // where the guide's reading ended
    bool empty() const { return echoes.empty(); }
    // The strongest echo, in seconds behind the direct sound, and its strength against it.
    double delaySeconds(std::uint32_t rate) const;
    double strength() const;
};

// Learns the echoes of the record that `guide` read from `samples` at `rate`
// (its sync found; header and image as read, faulty blocks and all), from
// the recording from `from` on.
LearntEchoes learnEchoes(ByteView samples, std::uint32_t rate, const DecodedRecord& guide, std::size_t from);

// The samples from `echoes.begin` to `end` with the echoes taken out: 8-bit,
// centre line 0x80, the direct sound at the level it had.
std::vector<std::uint8_t> cancelEchoes(ByteView samples, const LearntEchoes& echoes, std::size_t end);
