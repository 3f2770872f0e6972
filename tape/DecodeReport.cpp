// The words of the report on a reading: what was read, or how many blocks failed.
#include "shell/Crc16.h"
#include "shell/HexText.h"
#include "tape/Decoder.h"
#include "tape/ReaderFallback.h"

std::vector<std::string> readingLines(const DecodedRecord& record, std::string_view name) {
    const std::vector<std::uint8_t>& image = record.image;
    return {"Programmname:\t" + std::string(name), "gelesene Blöcke: \t" + formatDecimal(record.blocks),
            "Programmlänge:\t" + formatDecimal(static_cast<std::int32_t>(image.size())),
            "Prüfsumme:\t" + formatHex4(crc16Sdlc(image.data(), image.size()))};
}

std::vector<std::string> readingNotes(const DecodedRecord& record) {
    std::vector<std::string> notes;
    if (record.filtered) notes.push_back(filteredReportLine);
    if (record.equalised) notes.push_back(equalisedReportLine);
    if (record.nameUnsure) notes.push_back(nameUnsureLine);
    if (record.startUnsure) notes.push_back(startUnsureLine);
    return notes;
}

std::string decodeReportText(const DecodedRecord& record) {
    std::string text;
    for (const std::vector<std::string>& lines : {readingLines(record, record.header.name), readingNotes(record)})
        for (const std::string& line : lines) text += (text.empty() ? "" : "\r\n") + line;
    return text;
}

std::string faultyReportText(const DecodedRecord& record) {
    return "Blöcke gelesen:\t" + formatDecimal(record.blocks) + "\r\n" + "davon fehlerhaft:\t" +
           formatDecimal(record.faulty);
}
