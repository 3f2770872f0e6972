#include "viewer/win/ViewerPrint.h"

#include "hexdump/win/ListingPrinter.h"

void printViewerListing(HWND dialog, const SourceListing& listing, const std::string& fileName) {
    // kalov has no main window: its dialog owns every box.
    printListing(dialog, dialog, listing, fileName, kalovListing);
}
