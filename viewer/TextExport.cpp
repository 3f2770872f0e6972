#include "viewer/TextExport.h"

#include "shell/CommonServices.h"
#include "shell/FileIo.h"

namespace {
const char* const errorCaption = "Fehler!";
}

std::string proposeTextFileName(std::string_view sourceName) { return replaceExtension(sourceName, ".TXT"); }

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

TextSaveResult saveListingAsText(const SourceListing& listing, const std::string& sourceName, WindowRef owner) {
    if (listing.empty()) {
        ui().ask(Message{"Nichts da zum Sichern :-)", errorCaption, mb::ok, owner});
        return TextSaveResult::NothingToSave;
    }
    std::string proposal = proposeTextFileName(sourceName);
    offerFileName(proposal);
    std::optional<std::string> chosen =
        chooseSaveFile(owner, "Speichern als ASCII-Text", makeFilter({"Textdateien (*.TXT)", "*.txt"}));
    if (!chosen) return TextSaveResult::Cancelled;
    const std::string path = *chosen;

    if (fileExists(path) &&
        ui().ask(Message{"Datei schon vorhanden, überschreiben?", errorCaption, mb::yesNo, owner}) != Answer::Yes)
        return TextSaveResult::NotOverwritten;

    std::vector<std::uint8_t> text = listingTextBytes(listing);
    switch (writeFile(path, text.data(), text.size())) {
    case WriteOutcome::CannotCreate:
    case WriteOutcome::CannotReplace:
        ui().ask(Message{"Dateierzeugung schlug fehl", errorCaption, mb::ok, nullptr});
        return TextSaveResult::CannotCreate;
    case WriteOutcome::ShortWrite:
        // Creating worked, but the text did not reach the file whole (disk full ...).
        ui().ask(Message{"Datei konnte nicht vollständig geschrieben werden", errorCaption, mb::ok, nullptr});
        return TextSaveResult::CannotWrite;
    case WriteOutcome::Ok:
        break;
    }
    ui().ask(Message{path, "Listing wurde als ASCII-Text gespeichert", mb::ok, owner});
    return TextSaveResult::Written;
}
