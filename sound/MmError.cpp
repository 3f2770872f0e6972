#include "sound/MmError.h"

#include "shell/UserInterface.h"

const char* mmErrorText(unsigned code) {
    switch (code) {
    case 0: return nullptr;
    case 2: return "Angegebene ID außerhalb zulässigem Bereich";    // MMSYSERR_BADDEVICEID
    case 4: return "Angegebene Resource bereits verwendet";         // MMSYSERR_ALLOCATED
    case 5: return "ungültiges Devicehandle";                       // MMSYSERR_INVALHANDLE
    case 6: return "Treiberfehler";                                 // MMSYSERR_NODRIVER
    case 7: return "Speicherproblem";                               // MMSYSERR_NOMEM
    case 32: return "Nicht unterstütztes WAV-Format";               // WAVERR_BADFORMAT
    case 34: return "Buffer nicht vorbereitet";                     // WAVERR_UNPREPARED
    default: return "sonstiger MM-Fehler";
    }
}

int reportMmError(unsigned code) {
    const char* text = mmErrorText(code);
    if (!text) return 0;
    ui().ask(Message{text, "Fehler", mb::ok, nullptr});
    return 1;
}
