#pragma once
#include <windows.h>

#include "viewer/KalovCommandLine.h"
#include "viewer/KalovSettings.h"

// Start steps of kalov up to the dialog: the file from the command line or
// the start chooser, the working directory and "KALOV.INI".
struct ViewerStart {
    KalovFile file;
    KalovSettings settings;
    std::string workingDirectory;
};
ViewerStart prepareViewer(const char* commandLine);

// Runs the "VIEWER" dialog modally, without owner, until it is closed.
void runViewerDialog(HINSTANCE instance, const ViewerStart& start);

// The whole program: prepare, dialog, clean up. Returns the exit code.
int runViewer(HINSTANCE instance);

// The dialog while it is open (for tests), else null.
HWND viewerDialog();
