#include "viewer/TextExport.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "shell/CommonServices.h"

namespace {
const char* const errorCaption = "Fehler!";
}

std::string proposeTextFileName(std::string_view sourceName) {
    std::size_t dot = sourceName.find_last_of('.');
    std::size_t separator = sourceName.find_last_of("\\/");
    bool hasExtension = dot != std::string_view::npos && (separator == std::string_view::npos || dot > separator);
    std::string proposal(hasExtension ? sourceName.substr(0, dot) : sourceName);
    return proposal + ".TXT";
}

std::vector<std::uint8_t> listingTextBytes(const SourceListing& listing) {
    std::vector<std::uint8_t> bytes;
    for (const std::string& line : listing) {
        std::size_t length = line.find_last_not_of(" \t");
        length = length == std::string::npos ? 0 : length + 1;
        bytes.insert(bytes.end(), line.begin(), line.begin() + static_cast<std::ptrdiff_t>(length));
        bytes.push_back('\r');
        bytes.push_back('\n');
    }
    return bytes;
}

WriteOutcome writeBytesToFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return WriteOutcome::CannotCreate;
    bool complete = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (std::fclose(file) != 0) complete = false;
    return complete ? WriteOutcome::Written : WriteOutcome::CannotWrite;
}

TextSaveResult saveListingAsText(const SourceListing& listing, const std::string& sourceName, WindowRef owner) {
    if (listing.empty()) {
        ui().ask(Message{"Nichts da zum Sichern :-)", errorCaption, mb::ok, owner});
        return TextSaveResult::NothingToSave;
    }
    std::string proposal = proposeTextFileName(sourceName);
    FileNameBuffer& buffer = sharedFileName();
    std::size_t length = std::min(proposal.size(), fileNameBufferSize - 1);
    std::memcpy(buffer, proposal.data(), length);
    buffer[length] = '\0';
    if (!chooseSaveFile(owner, "Speichern als ASCII-Text", makeFilter({"Textdateien (*.TXT)", "*.txt"})))
        return TextSaveResult::Cancelled;
    std::string path(buffer);

    if (fileExists(path) &&
        ui().ask(Message{"Datei schon vorhanden, überschreiben?", errorCaption, mb::yesNo, owner}) != Answer::Yes)
        return TextSaveResult::NotOverwritten;

    switch (writeBytesToFile(path, listingTextBytes(listing))) {
    case WriteOutcome::CannotCreate:
        ui().ask(Message{"Dateierzeugung schlug fehl", errorCaption, mb::ok, nullptr});
        return TextSaveResult::CannotCreate;
    case WriteOutcome::CannotWrite:
        // Creating worked, but the text did not reach the file whole (disk full ...).
        ui().ask(Message{"Datei konnte nicht vollständig geschrieben werden", errorCaption, mb::ok, nullptr});
        return TextSaveResult::CannotWrite;
    case WriteOutcome::Written:
        break;
    }
    ui().ask(Message{path, "Listing wurde als ASCII-Text gespeichert", mb::ok, owner});
    return TextSaveResult::Written;
}
