#pragma once
// The question before a file of the user's is replaced, Yes/No/Cancel with the
// caption "Fehler", in the two ways the program puts it:
// - Explained (the pattern files of the designer and the screen files):
//   "Datei existiert bereits, überschreiben?"; No and Cancel are each answered
//   with a box of their own, so the caller only acts on the result.
// - ChooseAgain (the save choosers of the exchange dialog and the decoder):
//   "Datei existiert schon. Überschreiben?" and nothing after it; on No the
//   caller offers its chooser again.
#include <string>

#include "shell/UserInterface.h"

enum class OverwriteAnswer {
    Write,         // no such file, or Yes
    AnotherName,   // No (Explained: "Bitte anderen Dateinamen wählen." was shown)
    Cancelled,     // Cancel (Explained: "Schreiben wurde abgebrochen." was shown)
};

enum class OverwriteStyle { Explained, ChooseAgain };

OverwriteAnswer askBeforeOverwriting(const std::string& path, WindowRef owner,
                                     OverwriteStyle style = OverwriteStyle::Explained);
