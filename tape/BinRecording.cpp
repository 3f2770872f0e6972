#include "tape/BinRecording.h"

#include "shell/HexText.h"
#include "tape/AudioFormat.h"
#include "tape/BinFileName.h"
#include "tape/Encoder.h"
#include "tape/WavFile.h"

namespace {
constexpr std::uint32_t wavRate = 44100;
constexpr std::uint64_t memoryBytes = 0x10000;

// The EA a receiver computes: AA + length - 1, taken to 16 bits.
std::uint16_t endAddress(std::uint16_t aa, std::size_t size) { return static_cast<std::uint16_t>(aa + size - 1); }
}

bool checkBinImage(const std::vector<std::uint8_t>& image, std::uint16_t aa, const std::string& input,
                   std::ostream& err) {
    if (image.empty()) {
        // Its tape would hold no data block, and no reader could take it back.
        err << "Fehler: Die BIN-Datei ist leer, daraus entsteht keine lesbare Aufnahme. (" << input << ")\n";
        return false;
    }
    const std::uint64_t end = std::uint64_t{aa} + image.size();
    if (end <= memoryBytes) return true;
    if (image.size() > memoryBytes) {
        err << "Fehler: Das Programm passt nicht in den Speicher des BV7: " << image.size() << " Bytes ab AA "
            << formatHex4(aa) << " reichen über FFFF hinaus (höchstens " << memoryBytes << " Bytes). (" << input
            << ")\n";
        return false;
    }
    // Block addresses are 16 bits: the block after FFxx carries 00xx, and the
    // BV7 loads the rest from 0000 on.
    err << "Warnung: " << image.size() << " Bytes ab AA " << formatHex4(aa)
        << " reichen über FFFF hinaus; die Blockadressen laufen bei 0000 weiter, der BV7 lädt den Rest ab 0000 (EA "
        << formatHex4(endAddress(aa, image.size())) << "). (" << input << ")\n";
    return true;
}

bool recordWavBytes(const std::vector<std::uint8_t>& image, const TapeHeader& header, std::vector<std::uint8_t>& wav,
                    std::ostream& err) {
    std::vector<std::uint8_t> samples = encodeRecordSamples(image, header, halfCellSamplesAt(wavRate));
    if (samples.size() > maxWavSampleCount) {
        err << "WAV-Daten konnten nicht berechnet werden\n";
        return false;
    }
    const AudioFormat format{1, 1, wavRate, wavRate, 1, 8, 0};
    wav = makeWavFileBytes(format, samples.data(), static_cast<std::uint32_t>(samples.size()));
    return true;
}

void warnOfNamedEa(const TapeHeader& named, std::size_t size, const std::string& input, std::ostream& err,
                   const char* source) {
    const std::uint16_t ea = endAddress(named.aa, size);
    if (ea == named.ea) return;
    err << "Warnung: " << source << " nennt EA " << formatHex4(named.ea) << ", die Datei (" << size << " Bytes ab AA "
        << formatHex4(named.aa) << ") endet aber bei EA " << formatHex4(ea) << "; die Aufnahme hat EA "
        << formatHex4(ea) << ". (" << input << ")\n";
}
