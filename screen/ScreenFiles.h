#pragma once
// Screen files (".bsk"): exactly the 2048 cells, row 0 first, nothing else;
// and the names of screen photos.
#include <string>

#include "screen/ScreenBuffer.h"
#include "shell/UserInterface.h"

// "&sichern": the save chooser on the shared name, ".bsk" added, the shared
// overwrite question, then the cells. Once they are written, the full name
// goes to status part 0.
// A file that cannot be created or written whole is reported (16051).
// Returns true when written.
bool saveScreenFile(const ScreenBuffer& screen, WindowRef owner);

// "&laden": the open chooser, then exactly 2048 bytes into the cells; any other
// size or an unreadable file shows 16050 and leaves the cells as they were.
// The cursor does not move. Returns true when loaded.
bool loadScreenFile(ScreenBuffer& screen, WindowRef owner);

// The name of the next screen photo: startDirectory + "\BS_Foto" + n + ".bmp"
// with the smallest n from 1 on whose file does not exist.
std::string nextPhotoPath(const std::string& startDirectory);
