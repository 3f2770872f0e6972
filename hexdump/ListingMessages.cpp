#include "hexdump/ListingMessages.h"

#include <string>

void reportNothingToPrint(WindowRef mainWindow) {
    ui().ask(Message{"Nichts da zum Drucken :-)", "Fehler!", mb::ok, mainWindow});
}

bool confirmPageCount(int pages) {
    Message question{"Voraussichtliche Seitenanzahl: " + std::to_string(pages), "Drucken?",
                     mb::yesNo | mb::taskModal | mb::topmost, nullptr};
    return ui().ask(question) == Answer::Yes;
}

void reportCannotPrint() { ui().ask(Message{"Es kann nicht gedruckt werden.", "Fehler!", mb::ok, nullptr}); }
