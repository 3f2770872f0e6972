#pragma once
// The designer's flows over the image and its edit state: templates, the
// question about an unsaved character, applying it, loading and saving
// pattern files. Boxes, choosers and status texts go through ui(); repaints
// through the view of the opening on screen.
#include <string>

#include "chargen/CharGenImage.h"
#include "chargen/DesignerEdit.h"

// First status field: shown and remembered (applyCharacter writes to it).
void setFirstStatus(const std::string& text);

// A box with OK, owned by the open dialog (by none while it is closed).
void designerBox(const std::string& text, const char* caption = "Fehler");

// clearImage, and the edit buffer becomes eight 0 bytes and the modified flag
// 0 with it; the reference copy stays.
void clearImageAndEdit();

// Loads a built-in template (name one of the five). refresh: called from the
// designer, which then shows the name, selects the character again and
// repaints. An unsaved change is asked about first ("Anfrage"); Cancel ends
// the load with only the image name changed.
void loadTemplate(const std::string& name, bool refresh);

// Edit buffer and reference copy := the current character; the HEX field shows its code.
void selectCharacter();

// The question about an unsaved change: Yes applies it, No goes on. False on Cancel.
bool askAboutUnsavedChange(const char* caption);

// Writes the edit buffer into the image and saves the image file (a template
// is not written: the user is asked for a new file name instead).
void applyCharacter();

// A click on character `code` of the overview.
void clickOverviewCharacter(int code);

// "aus Datei laden", "in Datei speichern unter...".
void runLoadFlow();
void runSaveAsFlow(const std::string& startDirectory);

// Where "&Foto" writes: startDirectory\<image name>.bmp.
std::string photoPath(const std::string& startDirectory);

// The steps of opening that need no window: `opening` becomes the one on
// screen, the template flag follows the name, the first status field shows it.
void designerOpened(DesignerOpening& opening);
// WM_DESTROY: no opening is on screen any more.
void designerClosed();

// WM_CLOSE: false when the user cancels the question ("Beenden?").
bool designerMayClose();

// Filter and titles of the pattern file choosers.
std::string patternFileFilter();
