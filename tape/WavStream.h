#pragma once
// A WAV file as a SoundSource: its head is read for the layout, its samples a
// stretch at a time as the reading pulls them, never the whole file at once.
// Integer samples are handed on as their top byte, 32-bit floating point as
// it is, 64-bit as the 8-bit sample it becomes (eightBitSample). The bytes
// come from a file, or from wherever a ReadableBytes reads them (the page: the
// browser's File object).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "shell/ByteReader.h"
#include "shell/FileIo.h"
#include "tape/SoundSource.h"
#include "tape/WavFile.h"

// The bytes of a file, read where asked.
class ReadableBytes {
  public:
    virtual ~ReadableBytes() = default;
    virtual std::uint64_t size() const = 0;
    // Up to `count` bytes from `offset` into `out`: how many were read (fewer
    // at the end, or where the bytes could not be read on).
    virtual std::size_t read(std::uint64_t offset, std::uint8_t* out, std::size_t count) = 0;
};

// A file's bytes through the file layer, a stretch at a time.
class FileBytes final : public ReadableBytes {
  public:
    ReadResult open(const std::string& path) { return file_.open(path); }
    std::uint64_t size() const override { return file_.size(); }
    std::size_t read(std::uint64_t offset, std::uint8_t* out, std::size_t count) override {
        return file_.read(offset, out, count);
    }

  private:
    FileReading file_;
};

// Bytes already in memory (standard input read whole), which must outlive it.
class BytesInMemory final : public ReadableBytes {
  public:
    explicit BytesInMemory(ByteView bytes) : bytes_(bytes) {}
    std::uint64_t size() const override { return bytes_.size; }
    std::size_t read(std::uint64_t offset, std::uint8_t* out, std::size_t count) override {
        if (offset >= bytes_.size) return 0;
        count = std::min<std::size_t>(count, bytes_.size - static_cast<std::size_t>(offset));
        std::copy(bytes_.data + offset, bytes_.data + offset + count, out);
        return count;
    }

  private:
    ByteView bytes_;
};

// A WAV file's samples, which can also be pulled from any frame on (the
// page's signal view reads a stretch of them again).
class WavSource : public SoundSource {
  public:
    // The next pull begins at frame `frame` (rewind: 0).
    virtual void seek(std::uint64_t frame) = 0;
};

struct WavOpening {
    ReadResult read{ReadOutcome::Ok};   // of opening the file
    WavLayout layout;
    // The layout was found in the whole file: its error stands. Otherwise
    // an error may lie in what was not read (the file as a whole tells).
    bool seenWhole = false;
    std::unique_ptr<WavSource> source;   // where the file opened and its layout has no error
};
WavOpening openWavStream(const std::string& path);
// The same for bytes read elsewhere; the source keeps `bytes`.
WavOpening openWavStream(std::unique_ptr<ReadableBytes> bytes);
