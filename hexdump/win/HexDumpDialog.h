#pragma once
// The "Hexdump" dialog of Spulwerk: a file as hex lines with checksums or
// ASCII, its CRC-16, and printing of the list.
#include <windows.h>

#include <string>

// Lets the user pick a file ("Wähle eine Datei:", any file) and shows it;
// nothing happens when the chooser is cancelled.
void openHexDump(HWND owner);

// The modal dialog for `path`, owned by `owner`.
void showHexDumpDialog(HWND owner, const std::string& path);
