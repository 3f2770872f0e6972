// The words of the report on a reading: what was read, or how many blocks failed.
#include "shell/Crc16.h"
#include "shell/HexText.h"
#include "tape/Decoder.h"
#include "tape/ReaderFallback.h"

std::string decodeReportText(const DecodedRecord& record) {
    const std::vector<std::uint8_t>& image = record.image;
    return "Programmname:\t" + record.header.name + "\r\n" + "gelesene Blöcke: \t" + formatDecimal(record.blocks) +
           "\r\n" + "Programmlänge:\t" + formatDecimal(static_cast<std::int32_t>(image.size())) + "\r\n" +
           "Prüfsumme:\t" + formatHex4(crc16Sdlc(image.data(), image.size())) +
           (record.filtered ? std::string("\r\n") + filteredReportLine : std::string()) +
           (record.nameUnsure ? std::string("\r\n") + nameUnsureLine : std::string()) +
           (record.startUnsure ? std::string("\r\n") + startUnsureLine : std::string());
}

std::string faultyReportText(const DecodedRecord& record) {
    return "Blöcke gelesen:\t" + formatDecimal(record.blocks) + "\r\n" + "davon fehlerhaft:\t" +
           formatDecimal(record.faulty);
}
