#include "viewer/ViewerState.h"

#include "shell/CommonServices.h"

std::optional<KalovFile> chooseSourceFile(WindowRef owner) {
    offerFileName({});
    const std::string filter =
        makeFilter({"BIN- und ASM-Dateien (*.BIN, *.ASM)", "*.BIN;*.ASM", "BIN-Dateien (*.BIN)", "*.BIN",
                    "ASM-Dateien (*.ASM)", "*.ASM", "alle Dateien, (*.*)", "*.*"});
    std::optional<std::string> path = chooseOpenFile(owner, "KALO*4-Viewer: Zu betrachtende Datei auswählen:", filter);
    if (!path) return std::nullopt;
    return kalovFile(*path);
}

KalovFile startFile(std::string_view commandLine) {
    if (std::optional<std::string> argument = firstArgument(commandLine)) return kalovFile(*argument);
    if (std::optional<KalovFile> chosen = chooseSourceFile()) return *chosen;
    return noKalovFile();
}

DecodeResult decodeViewerFile(ViewerState& state) {
    DecodeResult result = decodeSourceFile(state.file.path, state.settings.umlautMode, state.listing);
    if (result == DecodeResult::Failed) {
        ui().ask(Message{"Keine KALO*4-Datei, hier nicht darstellbar.", "Fehler!", mb::ok, nullptr});
        state.fieldText = std::string(noFileLoaded);
    } else if (result == DecodeResult::Decoded) {
        state.fieldText = state.file.name;  // the listing shown is this file's again
    }
    return result;
}

DecodeResult loadViewerFile(ViewerState& state, const KalovFile& file) {
    state.file = file;
    state.fieldText = file.name;
    state.listing.clear();
    return decodeViewerFile(state);
}

DecodeResult setViewerUmlautMode(ViewerState& state, bool umlautMode) {
    state.settings.umlautMode = umlautMode;
    return decodeViewerFile(state);
}
