#include "viewer/win/ViewerPrint.h"

#include "shell/CommonServices.h"
#include "shell/StringTable.h"

void printViewerListing(HWND, const SourceListing&, const std::string&) { showStringError(str::notReady); }
