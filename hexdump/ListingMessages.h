#pragma once
// What the listing printer says to the user. Every box carries the caption
// of the shared print engine ("Fehler!" for errors, in both programs).
#include "shell/UserInterface.h"

// "Nichts da zum Drucken :-)", owned by the program's main window.
void reportNothingToPrint(WindowRef mainWindow);

// "Voraussichtliche Seitenanzahl: N", caption "Drucken?", Yes/No, task-modal
// and topmost, no owner. True only for Yes.
bool confirmPageCount(int pages);

// "Es kann nicht gedruckt werden.", no owner.
void reportCannotPrint();
