#include "shell/OverwriteQuestion.h"

#include "shell/CommonServices.h"

OverwriteAnswer askBeforeOverwriting(const std::string& path, WindowRef owner) {
    if (!fileExists(path)) return OverwriteAnswer::Write;
    switch (ui().ask(Message{"Datei existiert bereits, überschreiben?", "Fehler", mb::yesNoCancel, owner})) {
        case Answer::Yes:
            return OverwriteAnswer::Write;
        case Answer::No:
            ui().ask(Message{"Bitte anderen Dateinamen wählen.", "Fehler", mb::ok, owner});
            return OverwriteAnswer::AnotherName;
        default:
            ui().ask(Message{"Schreiben wurde abgebrochen.", "Fehler", mb::ok, owner});
            return OverwriteAnswer::Cancelled;
    }
}
