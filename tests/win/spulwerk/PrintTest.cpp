// Prints a hex dump through the real dialog on the PDF printer of
// scripts/with-printer and reads the printed text back: title, lines,
// wrapping, page breaks and footers as the layout placed them.
#include <gtest/gtest.h>

#include <windows.h>

#include <commdlg.h>

#include <cstdlib>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "common/BoxDriver.h"
#include "hexdump/DumpLines.h"
#include "hexdump/ListingLayout.h"
#include "hexdump/win/HexDumpDialog.h"
#include "hexdump/win/ListingPrinter.h"
#include "resources/SpulwerkIds.h"
#include "shell/win/Win32UserInterface.h"
#include "tests/support/TestFiles.h"

namespace {
std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// A folder of the Unix side as Wine sees it (drive Z: is the root).
std::string windowsPath(std::string unixPath) {
    for (char& c : unixPath)
        if (c == '/') c = '\\';
    return "Z:" + unixPath;
}

std::set<std::string> textFiles(const std::string& folder) {
    std::set<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*.pdf.txt").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do names.insert(found.cFileName);
    while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

// The text of the next PDF to appear: with-printer writes NAME.pdf.txt once
// the job is through. Empty when none comes within a minute.
std::string waitForPrintedText(const std::string& folder, const std::set<std::string>& before) {
    std::string text;
    pumpUntil([&] {
        for (const std::string& name : textFiles(folder)) {
            if (before.count(name)) continue;
            std::vector<std::uint8_t> bytes = readFile(folder + "\\" + name);
            text.assign(bytes.begin(), bytes.end());
            return true;
        }
        return false;
    }, 60000);
    return text;
}

std::string utf8ToWindows1252(const std::string& text) {
    int wide = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring buffer(static_cast<std::size_t>(wide), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &buffer[0], wide);
    int narrow = WideCharToMultiByte(1252, 0, buffer.data(), wide, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<std::size_t>(narrow), '\0');
    WideCharToMultiByte(1252, 0, buffer.data(), wide, &result[0], narrow, nullptr, nullptr);
    return result;
}

// Runs of blanks become one; the layout of the PDF text keeps columns only roughly.
std::string squeezed(const std::string& line) {
    std::istringstream words(line);
    std::string word, result;
    while (words >> word) result += (result.empty() ? "" : " ") + word;
    return result;
}

// The non-empty lines of each page (pages end in a form feed).
std::vector<std::vector<std::string>> printedPages(const std::string& text) {
    std::vector<std::vector<std::string>> pages(1);
    std::string line;
    for (char c : text + "\n") {
        if (c == '\n' || c == '\f') {
            if (!squeezed(line).empty()) pages.back().push_back(squeezed(line));
            line.clear();
            if (c == '\f') pages.emplace_back();
        } else {
            line += c;
        }
    }
    if (pages.back().empty()) pages.pop_back();
    return pages;
}

// The page size of the default printer, as the listing printer will see it.
bool defaultPrinterPage(int& width, int& height) {
    PRINTDLGA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.Flags = PD_RETURNDEFAULT | PD_RETURNDC;
    if (!PrintDlgA(&dialog) || !dialog.hDC) return false;
    width = GetDeviceCaps(dialog.hDC, HORZRES);
    height = GetDeviceCaps(dialog.hDC, VERTRES);
    DeleteDC(dialog.hDC);
    if (dialog.hDevMode) GlobalFree(dialog.hDevMode);
    if (dialog.hDevNames) GlobalFree(dialog.hDevNames);
    return true;
}

std::string writeDumpFile(const std::string& folder, const std::string& name, std::vector<std::uint8_t>& bytes) {
    CreateDirectoryA(folder.c_str(), nullptr);
    std::string path = folder + "\\" + name;
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 13 + i / 16);
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return path;
}
}

TEST(Print, AHexDumpComesOutOfTheRealPrinterPageByPage) {
    if (environment("CUPS_SERVER").empty())
        GTEST_SKIP() << "no printer: run under scripts/with-printer (make test does) to print for real";
    std::string outUnix = environment("BV7_PRINTER_OUT");
    ASSERT_FALSE(outUnix.empty()) << "with-printer names its PDF folder in BV7_PRINTER_OUT";
    std::string out = windowsPath(outUnix);
    installWin32UserInterface(GetModuleHandleA(nullptr));

    // A folder name long enough for the title to wrap, with an umlaut in it.
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    std::vector<std::uint8_t> bytes(0x440);   // 68 lines + blank + CRC: two pages
    std::string path = writeDumpFile(std::string(temp) + "Drucktest für einen Titel, der über die Zeile hinausgeht",
                                     "DRUCKPROBE_1000_143F_1000.BIN", bytes);
    ASSERT_GT(path.size(), hexDumpListing.wrapWidth);
    std::set<std::string> before = textFiles(out);

    BoxDriver driver;
    driver.answers = {IDC_HEX_PRINT, IDOK, IDYES};   // the dump, the printer dialog, the question
    showHexDumpDialog(nullptr, path);

    ASSERT_EQ(driver.seen.size(), 3u);
    EXPECT_TRUE(isBox(driver.seen[2], "Drucken?", "Voraussichtliche Seitenanzahl: 2", nullptr));
    EXPECT_FALSE(IsWindow(driver.seen[0].window)) << "printing closes the dump";

    std::string printed = waitForPrintedText(out, before);
    ASSERT_FALSE(printed.empty()) << "no PDF text appeared in " << outUnix;
    auto pages = printedPages(utf8ToWindows1252(printed));

    // What the layout placed for this printer, in reading order per page.
    int width = 0, height = 0;
    ASSERT_TRUE(defaultPrinterPage(width, height));
    auto lines = buildDumpLines(bytes.data(), bytes.size(), 0x1000, true);
    auto expected = layoutListing(path, lines, pageGeometry(width, height, hexDumpListing), hexDumpListing);
    ASSERT_EQ(expected.size(), 2u) << width << " x " << height;
    ASSERT_EQ(pages.size(), expected.size());
    for (std::size_t page = 0; page < pages.size(); ++page) {
        std::vector<std::string> placed;
        for (const PlacedText& text : expected[page].texts)
            if (!squeezed(text.text).empty()) placed.push_back(squeezed(text.text));
        EXPECT_EQ(pages[page], placed) << "page " << page + 1;
    }
    // The same, spelled out for the reader of a failure.
    EXPECT_EQ(pages[0][0], path.substr(0, 75));
    EXPECT_EQ(pages[0][1], path.substr(75));
    EXPECT_EQ(pages[0][2], squeezed(lines[0]));
    EXPECT_EQ(pages[0].back(), "Seite -1-");
    EXPECT_EQ(pages[1].back(), "Seite -2-");
    EXPECT_EQ(pages[1][pages[1].size() - 2], squeezed(lines.back()));
}

TEST(Print, KalovListingsWrapBehindSlashesAndAreNotAskedAbout) {
    if (environment("CUPS_SERVER").empty())
        GTEST_SKIP() << "no printer: run under scripts/with-printer (make test does) to print for real";
    std::string out = windowsPath(environment("BV7_PRINTER_OUT"));
    std::set<std::string> before = textFiles(out);
    std::string longLine = "0010 " + std::string(60, 'A') + std::string(35, 'B');
    std::vector<std::string> lines{"0000 ; KALO*4", longLine, "0020 ENDE"};

    BoxDriver driver;
    driver.answers = {IDOK};   // the printer dialog; no question follows
    EXPECT_EQ(printListing(nullptr, nullptr, lines, "PROG.ASM", kalovListing), PrintResult::Printed);
    EXPECT_EQ(driver.seen.size(), 1u);

    std::string printed = waitForPrintedText(out, before);
    ASSERT_FALSE(printed.empty()) << "no PDF text appeared";
    auto pages = printedPages(printed);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0], (std::vector<std::string>{"PROG.ASM", "0000 ; KALO*4", longLine.substr(0, 65),
                                                  "//" + std::string(35, 'B'), "0020 ENDE"}));
}

TEST(Print, CancellingOrDecliningPrintsNothingAndSaysNothingMore) {
    if (environment("CUPS_SERVER").empty())
        GTEST_SKIP() << "no printer: run under scripts/with-printer (make test does) to print for real";
    std::vector<std::string> lines{"eine Zeile"};
    BoxDriver driver;
    driver.answers = {IDCANCEL};
    EXPECT_EQ(printListing(nullptr, nullptr, lines, "T", hexDumpListing), PrintResult::Cancelled);
    EXPECT_EQ(driver.seen.size(), 1u);

    driver.answers = {IDOK, IDNO};
    EXPECT_EQ(printListing(nullptr, nullptr, lines, "T", hexDumpListing), PrintResult::Declined);
    ASSERT_EQ(driver.seen.size(), 3u);
    EXPECT_EQ(driver.seen[2].buttons.size(), 2u);
}
