#pragma once
#include <windows.h>

#include <string>

#include "viewer/SourceDecoder.h"

// Prints the listing with the file name as heading, in kalov's layout.
void printViewerListing(HWND dialog, const SourceListing& listing, const std::string& fileName);
