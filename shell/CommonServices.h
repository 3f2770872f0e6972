#pragma once
// Services every tool uses the same way: the error box from the string table,
// the two file choosers, whole-file loading and the existence test.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "shell/UserInterface.h"

// A whole file in one block; owned by whoever loaded it.
struct ByteImage {
    std::vector<std::uint8_t> data;
    std::uint32_t size() const { return static_cast<std::uint32_t>(data.size()); }
};

// Error box with string `id`, caption "Fehler", no owner, MB_OK | MB_TASKMODAL.
// Only for 16019 the number is appended in decimal. Always returns -1.
int showStringError(int id, int number = 0);

// The system file dialogs; the confirmed name, nothing on cancel. Both share
// one 260-character buffer: each proposes the name last confirmed or offered.
std::optional<std::string> chooseOpenFile(WindowRef owner, const std::string& title, const std::string& filter);
std::optional<std::string> chooseSaveFile(WindowRef owner, const std::string& title, const std::string& filter);

// "Wähle eine Datei:" with the filter "alle Dateien *.*", proposing no name:
// the choice of the hex dump and of "CRC16...".
std::optional<std::string> chooseAnyFile(WindowRef owner);

// The name the next chooser proposes (cut to 259 characters); empty for none.
void offerFileName(const std::string& proposal);

// Reads the whole file. A missing, unreadable or not regular file shows 16010,
// a file too large for memory (or for the 32-bit length) 16001; both yield no image.
std::optional<ByteImage> loadWholeFile(const std::string& path);

bool fileExists(const std::string& path);

// Builds a chooser filter from description/pattern pairs.
std::string makeFilter(std::initializer_list<const char*> descriptionsAndPatterns);
