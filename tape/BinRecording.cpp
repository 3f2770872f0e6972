#include "tape/BinRecording.h"

#include "shell/HexText.h"
#include "tape/AudioFormat.h"
#include "tape/BinFileName.h"
#include "tape/Encoder.h"
#include "tape/WavFile.h"

namespace {
constexpr std::uint32_t wavRate = 44100;
}

bool checkBinImage(const std::vector<std::uint8_t>& image, std::uint16_t aa, const std::string& input,
                   std::ostream& err) {
    if (image.empty()) {
        // Its tape would hold no data block, and no reader could take it back.
        err << "Fehler: Die BIN-Datei ist leer, daraus entsteht keine lesbare Aufnahme. (" << input << ")\n";
        return false;
    }
    const std::uint64_t end = std::uint64_t{aa} + image.size();
    if (end <= 0x10000) return true;
    err << "Fehler: Das Programm passt nicht in den Speicher des BV7: " << image.size() << " Bytes ab AA "
        << formatHex4(aa) << " reichen über FFFF hinaus (höchstens " << 0x10000 - aa << " Bytes). (" << input << ")\n";
    return false;
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

std::string wavNameFor(const std::string& name) {
    std::string file = name.empty() ? std::string("proggi") : name;
    sanitiseFileName(file);
    return file + ".wav";
}

void warnOfNamedEa(const TapeHeader& named, std::size_t size, const std::string& input, std::ostream& err) {
    const std::uint64_t ea = std::uint64_t{named.aa} + size - 1;
    if (ea == named.ea) return;
    err << "Warnung: Der Dateiname nennt EA " << formatHex4(named.ea) << ", die Datei (" << size << " Bytes ab AA "
        << formatHex4(named.aa) << ") endet aber bei EA " << formatHex4(static_cast<std::uint32_t>(ea))
        << "; die Aufnahme hat EA " << formatHex4(static_cast<std::uint32_t>(ea)) << ". (" << input << ")\n";
}
