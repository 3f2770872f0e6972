#pragma once
// The file work of the exchange dialog's commands, as far as it needs no
// window: the choosers with their rules, the header of a BIN source, and
// keeping a recording or an encoded WAV under the name the user chose.
// Everything the user sees goes through ui(); `owner` is the dialog.
#include <optional>
#include <string>

#include "shell/UserInterface.h"
#include "tape/TapeHeader.h"

// The save chooser of a WAV file, proposing the name last chosen or offered:
// ".wav" appended unless the name ends in it (any case); an existing file
// raises "Datei existiert schon. Überschreiben?": Yes takes it, No asks
// again with the name last chosen, Cancel gives up. Nothing on cancel.
std::optional<std::string> chooseWavTarget(WindowRef owner, const std::string& title);

// "BIN -> WAV": the BIN source (shown in status part 0) and the WAV target,
// proposed from the source's name. Nothing when either chooser is cancelled.
struct ConversionFiles {
    std::string source;
    std::string target;
};
std::optional<ConversionFiles> chooseConversionFiles(WindowRef owner);

// "Ausgabe an BV7/Kassette": a BIN or WAV file. Nothing on cancel.
std::optional<std::string> chooseOutputSource(WindowRef owner);

// "WAV -> BIN": the WAV file to decode. Nothing on cancel.
std::optional<std::string> chooseWavToDecode(WindowRef owner);

// The header of a BIN source from its file name, the name normalised; a name
// off the scheme gives "unbenannt", 0, 0, 0 and the message that says so.
TapeHeader headerOfBinSource(const std::string& path, WindowRef owner);

// "Start" for a BIN source: the typed fields as a header. The addresses are
// parsed in the order AA, EA, SA; the first bad one shows its message and
// gives nothing. The name is normalised (with its own message).
std::optional<TapeHeader> headerOfFields(const std::string& name, const std::string& aa, const std::string& ea,
                                         const std::string& sa);

// After "Stopp": the raw capture becomes a WAV file, the user names it and it
// is moved there. On Cancel it stays in "temp.wav"; when it cannot be made a
// WAV file, the user is told and the raw capture stays there as it was. The
// result holds the saved file when the user wants it converted to BIN at once.
struct KeptRecording {
    bool saved = false;
    std::string path;
    bool convertNow = false;
};
KeptRecording keepRecording(WindowRef owner);
