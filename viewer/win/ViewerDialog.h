#pragma once
#include <windows.h>

// Runs the "VIEWER" dialog until it is closed; returns the exit code.
int runViewer(HINSTANCE instance);
