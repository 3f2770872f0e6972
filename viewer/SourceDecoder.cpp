#include "viewer/SourceDecoder.h"

#include "shell/CommonServices.h"
#include "shell/FileIo.h"
#include "shell/UserInterface.h"

namespace {
constexpr std::uint8_t endOfLine = 0x00;
constexpr std::uint8_t endOfText = 0xFF;
constexpr std::uint8_t lastBlankCount = 0x1F;

std::size_t endOffset(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    return static_cast<std::size_t>(data[0] | (data[1] << 8));
}

// The four line-number characters, thousands first. Nibbles are not
// checked: 0xA..0xF give ':' to '?'.
void appendLineNumber(std::string& line, std::uint8_t tensUnits, std::uint8_t thousandsHundreds) {
    line += static_cast<char>('0' + (thousandsHundreds >> 4));
    line += static_cast<char>('0' + (thousandsHundreds & 0x0F));
    line += static_cast<char>('0' + (tensUnits >> 4));
    line += static_cast<char>('0' + (tensUnits & 0x0F));
    line += ' ';
}

}

std::uint8_t mapUmlaut(std::uint8_t code) {
    switch (code) {
    case 0x5B: return 0xC4;     // [ -> Ä
    case 0x5C: return 0xD6;     // \ -> Ö
    case 0x5D: return 0xDC;     // ] -> Ü
    case 0x7B: return 0xE4;     // { -> ä
    case 0x7C: return 0xF6;     // | -> ö
    case 0x7D: return 0xFC;     // } -> ü
    case 0x7E: return 0xDF;     // ~ -> ß
    case 0x30: return 0xD8;     // 0 -> Ø
    default: return code;
    }
}

bool isPlausibleSource(const std::uint8_t* data, std::size_t size) {
    std::size_t end = endOffset(data, size);
    return end != 0 && end <= size && data[end - 1] == endOfText;
}

bool isEmptySource(const std::uint8_t* data, std::size_t size) {
    return isPlausibleSource(data, size) && endOffset(data, size) == sourceTextStart + 1;
}

DecodeStop decodeSourceData(const std::uint8_t* data, std::size_t size, bool umlautMode, SourceListing& listing) {
    listing.clear();
    // The end bound: the end marker's offset when L fits the data, else the data end.
    // A line record has to start before it; text bytes are read up to the data end.
    const std::size_t end = endOffset(data, size);
    const std::size_t bound = end != 0 && end <= size ? end - 1 : size;

    // The first line number would reach into the end marker or past the data.
    if (bound <= sourceTextStart) return isEmptySource(data, size) ? DecodeStop::EndBound : DecodeStop::NoText;

    std::string line;
    line.reserve(maxSourceLineLength);
    std::size_t position = sourceTextStart;
    for (;;) {
        if (position >= bound) return DecodeStop::EndBound;
        if (bound - position < 2) return DecodeStop::DataEndInNumber;
        line.clear();
        appendLineNumber(line, data[position], data[position + 1]);
        position += 2;
        if (position >= size) {         // nothing of the text is there
            listing.push_back(line);
            return DecodeStop::DataEndInText;
        }
        for (;;) {
            const std::uint8_t byte = data[position];
            const std::size_t adds = byte <= lastBlankCount ? byte : (byte == endOfText ? 0 : 1);
            if (line.size() + adds > maxSourceLineLength) return DecodeStop::LineTooLong;
            if (byte == endOfText) return DecodeStop::EndMarker;
            if (byte == endOfLine) {
                listing.push_back(line);
                ++position;
                break;
            }
            if (byte <= lastBlankCount)
                line.append(byte, ' ');
            else
                line += static_cast<char>(umlautMode ? mapUmlaut(byte) : byte);
            if (++position >= size) {
                listing.push_back(line);
                return DecodeStop::DataEndInText;
            }
        }
    }
}

DecodeResult decodeSourceImage(const std::uint8_t* data, std::size_t size, bool umlautMode, SourceListing& listing) {
    listing.clear();
    if (!isPlausibleSource(data, size)) {
        Message question{"Vermutlich keine KALO*4-Quelldatei, trotzdem Anzeige-Versuch?", "Fehler!",
                         mb::yesNo, nullptr};
        if (ui().ask(question) != Answer::Yes) return DecodeResult::Failed;
    }
    return decodedSuccessfully(decodeSourceData(data, size, umlautMode, listing)) ? DecodeResult::Decoded
                                                                                 : DecodeResult::Failed;
}

DecodeResult decodeSourceFile(const std::string& path, bool umlautMode, SourceListing& listing) {
    if (path == noFileLoaded) return DecodeResult::NoFile;
    listing.clear();
    std::vector<std::uint8_t> bytes;
    if (readFile(path, bytes) != ReadOutcome::Ok) {
        ui().ask(Message{"Dateiöffnen schlug fehl", "Fehler!", mb::ok, nullptr});
        return DecodeResult::NotOpened;
    }
    return decodeSourceImage(bytes.data(), bytes.size(), umlautMode, listing);
}
