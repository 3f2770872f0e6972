#pragma once
// The shell's own dialogs: preferences, the info texts and About.
#include <windows.h>

#include "shell/HelpTexts.h"

// "PrefsDialog", modal; its effect is the changed global settings.
void showPreferences(HWND owner);
// "Infodialog" with one of the four texts, modal.
void showInfo(HWND owner, HelpVariant variant);
// "Autor", modal.
void showAbout(HWND owner);

// Addresses the About links open.
extern const char* const authorMailAddress;
extern const char* const downloadAddress;
