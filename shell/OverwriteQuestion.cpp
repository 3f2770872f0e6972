#include "shell/OverwriteQuestion.h"

#include "shell/CommonServices.h"

OverwriteAnswer askBeforeOverwriting(const std::string& path, WindowRef owner, OverwriteStyle style) {
    if (!fileExists(path)) return OverwriteAnswer::Write;
    const bool explained = style == OverwriteStyle::Explained;
    const char* question = explained ? "Datei existiert bereits, überschreiben?" : "Datei existiert schon. Überschreiben?";
    switch (ui().ask(Message{question, "Fehler", mb::yesNoCancel, owner})) {
        case Answer::Yes:
            return OverwriteAnswer::Write;
        case Answer::No:
            if (explained) ui().ask(Message{"Bitte anderen Dateinamen wählen.", "Fehler", mb::ok, owner});
            return OverwriteAnswer::AnotherName;
        default:
            if (explained) ui().ask(Message{"Schreiben wurde abgebrochen.", "Fehler", mb::ok, owner});
            return OverwriteAnswer::Cancelled;
    }
}
