#pragma once
// The state of the "VIEWER" dialog and what its buttons do to it, without
// windows: the dialog only copies `fieldText`, `listing` and the umlaut mode
// into its controls after each call.
#include <optional>
#include <string>
#include <string_view>

#include "shell/UserInterface.h"
#include "viewer/KalovCommandLine.h"
#include "viewer/KalovSettings.h"
#include "viewer/SourceDecoder.h"

struct ViewerState {
    KalovFile file = noKalovFile();
    std::string fieldText{noFileLoaded};    // the file name field (1002)
    KalovSettings settings;
    SourceListing listing;                  // the list box (1001)
};

// The open chooser of kalov (no owner): title "KALO*4-Viewer: Zu betrachtende
// Datei auswählen:", BIN/ASM filters. Nothing when the user cancels.
std::optional<KalovFile> chooseSourceFile(WindowRef owner = nullptr);

// The file kalov starts with: argument 1 of `commandLine`, else the chooser's
// choice, else none ("(keine Datei geladen)").
KalovFile startFile(std::string_view commandLine);

// Decodes `state.file` into the listing in the current umlaut mode. A failed
// decoding shows "Keine KALO*4-Datei, hier nicht darstellbar." (caption
// "Fehler!", no owner) and sets the field to "(keine Datei geladen)"; the file
// itself is kept, so switching the mode or saving still refers to it. A
// successful decoding shows the file's name in the field again.
DecodeResult decodeViewerFile(ViewerState& state);

// Button 1004 after a file was chosen, and the first decoding at WM_INITDIALOG:
// take the file, show its name, decode.
DecodeResult loadViewerFile(ViewerState& state, const KalovFile& file);

// Radio buttons 1005 ("UML", true) and 1006 ("OEM", false): decode again.
DecodeResult setViewerUmlautMode(ViewerState& state, bool umlautMode);
