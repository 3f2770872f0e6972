#include "hexdump/win/ListingPrinter.h"

#include <commdlg.h>

#include "hexdump/ListingMessages.h"

namespace {
// The printer-setup form of the printer dialog, returning a device context.
HDC choosePrinter(HWND owner) {
    PRINTDLGA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.Flags = PD_PRINTSETUP | PD_RETURNDC | PD_NOSELECTION | PD_NOPAGENUMS | PD_PAGENUMS;
    dialog.nFromPage = 1;
    dialog.nToPage = 1;
    dialog.nMinPage = 0;
    dialog.nMaxPage = 65535;
    dialog.nCopies = 1;
    BOOL chosen = PrintDlgA(&dialog);
    if (dialog.hDevMode) GlobalFree(dialog.hDevMode);
    if (dialog.hDevNames) GlobalFree(dialog.hDevNames);
    if (!chosen) return nullptr;
    return dialog.hDC;
}

void drawText(HDC dc, const PlacedText& text) {
    TextOutA(dc, text.x, text.y, text.text.data(), static_cast<int>(text.text.size()));
}

// Prints the pages between StartDoc and EndDoc. On some drivers StartPage
// resets the device context, so every page selects the font and the mapping
// anew from the state saved on the page before.
bool printPages(HDC dc, HFONT font, const std::vector<ListingPage>& pages, const PageGeometry& geometry) {
    bool saved = false;
    for (const ListingPage& page : pages) {
        if (StartPage(dc) <= 0) return false;
        if (saved) RestoreDC(dc, -1);
        SelectObject(dc, font);
        saved = SaveDC(dc) != 0;
        // One logical unit per device pixel; y is the bottom edge of a text.
        SetMapMode(dc, MM_ANISOTROPIC);
        SetWindowExtEx(dc, geometry.pageWidth, geometry.pageHeight, nullptr);
        SetViewportExtEx(dc, geometry.pageWidth, geometry.pageHeight, nullptr);
        SetViewportOrgEx(dc, 0, 0, nullptr);
        SetTextAlign(dc, TA_LEFT | TA_BOTTOM);
        for (const PlacedText& text : page.texts) drawText(dc, text);
        if (page.rule) {
            MoveToEx(dc, page.rule->x1, page.rule->y, nullptr);
            LineTo(dc, page.rule->x2, page.rule->y);
        }
        if (EndPage(dc) <= 0) return false;
    }
    if (saved) RestoreDC(dc, -1);
    return true;
}
}

std::vector<std::string> listBoxLines(HWND listBox) {
    std::vector<std::string> lines;
    LRESULT count = SendMessageA(listBox, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        LRESULT length = SendMessageA(listBox, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
        if (length < 0) length = 0;
        std::string text(static_cast<std::size_t>(length) + 1, '\0');
        LRESULT got = SendMessageA(listBox, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&text[0]));
        text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
        lines.push_back(text);
    }
    return lines;
}

PrintResult printListing(HWND owner, HWND mainWindow, HWND listBox, const std::string& title,
                         const ListingVariant& variant) {
    return printListing(owner, mainWindow, listBoxLines(listBox), title, variant);
}

PrintResult printListing(HWND owner, HWND mainWindow, const std::vector<std::string>& lines,
                         const std::string& title, const ListingVariant& variant) {
    if (lines.empty()) {
        reportNothingToPrint(mainWindow);
        return PrintResult::NothingToPrint;
    }
    HDC dc = choosePrinter(owner);
    if (!dc) return PrintResult::Cancelled;

    PageGeometry geometry = pageGeometry(GetDeviceCaps(dc, HORZRES), GetDeviceCaps(dc, VERTRES), variant);
    int pixelsPerInch = GetDeviceCaps(dc, LOGPIXELSY);
    HFONT font = CreateFontA(-MulDiv(10, pixelsPerInch, 72), 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 0,
                             "Courier New");

    if (variant.asksPageCount &&
        !confirmPageCount(estimatePageCount(lines.size(), geometry.pageWidth, geometry.pageHeight))) {
        DeleteDC(dc);
        DeleteObject(font);
        return PrintResult::Declined;
    }

    // The document is closed with EndDoc only after every page ended well;
    // otherwise it is aborted, so the spooler never keeps half a job.
    bool done = false;
    DOCINFOA document{};
    document.cbSize = sizeof document;
    document.lpszDocName = "Listing";
    if (StartDocA(dc, &document) > 0) {
        HGDIOBJ previousFont = SelectObject(dc, font);
        bool pagesDone = printPages(dc, font, layoutListing(title, lines, geometry, variant), geometry);
        SelectObject(dc, previousFont);
        if (pagesDone) done = EndDoc(dc) > 0;
        if (!done) AbortDoc(dc);
    }
    bool deleted = DeleteDC(dc) != 0;
    DeleteObject(font);
    if (!done || !deleted) {
        reportCannotPrint();
        return PrintResult::Failed;
    }
    return PrintResult::Printed;
}
