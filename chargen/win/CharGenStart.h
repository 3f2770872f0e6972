#pragma once
// What the main window asks of the character generator: the image at its
// creation, the designer dialog, and the BMP export the screen photo shares.
#include <windows.h>

#include <string>

// Step 4 of the main window's creation: the templates come from the program's
// "MYDATA" resources; the image becomes "Vorlage_ZG3" (no question, no status).
void startCharGenImage();
// At the main window's destruction: the store is emptied again.
void endCharGenImage();

// "ZGDialogG" when the system font is taller than 16 pixels, else "ZGDialogK".
const char* designerTemplateName();

// "&ZG-Entwurf": the modal designer, by default in the layout that suits the system font.
void openDesigner(HWND owner, const std::string& startDirectory, const char* layout = designerTemplateName());
