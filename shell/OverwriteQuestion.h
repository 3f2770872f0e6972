#pragma once
// The question before a file of the user's is replaced, shared by the pattern
// files of the designer and the screen files: "Datei existiert bereits,
// überschreiben?" (caption "Fehler", Yes/No/Cancel). No and Cancel are each
// answered with a box of their own, so the caller only acts on the result.
#include <string>

#include "shell/UserInterface.h"

enum class OverwriteAnswer {
    Write,         // no such file, or Yes
    AnotherName,   // No: "Bitte anderen Dateinamen wählen." was shown
    Cancelled,     // Cancel: "Schreiben wurde abgebrochen." was shown
};

OverwriteAnswer askBeforeOverwriting(const std::string& path, WindowRef owner);
