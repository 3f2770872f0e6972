#pragma once
// The character generator image: the program's copy of the BV7's EPROM (a 2708
// with 1 kB or a 2716 with 2 kB). The emulated screen draws every character
// from it; the designer shows, edits, loads and saves it. The operations here
// show nothing: they return what happened, and the designer (or the main
// window at its creation) decides what the user sees.
//
// Layout, as in the EPROM and in pattern files: code c owns the 8 row bytes at
// c * 8, row 0 at the top; in a row byte bit 0 is the leftmost of the 6
// visible pixels. Bits 6 and 7 are kept but not shown.
#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "shell/ByteReader.h"
#include "shell/UserInterface.h"

namespace chargen {
constexpr std::size_t storeBytes = 4096;
constexpr std::uint32_t smallImage = 1024;    // codes 0x00..0x7F
constexpr std::uint32_t largeImage = 2048;    // codes 0x00..0xFF
constexpr int characterRows = 8;
constexpr int characterColumns = 6;
constexpr std::size_t longestName = 255;
}

struct CharGenImage {
    std::array<std::uint8_t, chargen::storeBytes> store{};  // bytes beyond the loaded ones are 0
    std::uint32_t size = 0;      // valid bytes: 0, 1024, 2048, or 1..2048 after a forced load
    std::string name;            // a template name, or the file-name part of the loaded file
    int templateFlag = 0;        // 1: counts as a built-in template, never written back

    const std::uint8_t* character(int code) const { return store.data() + code * chargen::characterRows; }
};

// The one image of the program.
CharGenImage& charGenImage();

// The five built-in templates, in the order of the designer's menu.
struct TemplateEntry {
    const char* name;        // resource name, "Vorlage_ZG1" .. "Vorlage_ZG5"
    const char* menuText;
    std::uint32_t size;
};
extern const std::array<TemplateEntry, 5> builtInTemplates;

// Where the templates' bytes come from (the program's resources); empty when
// there is no template of that name. Set once at start.
using TemplateSource = ByteView (*)(const std::string& name);
void setTemplateSource(TemplateSource source);
ByteView templateBytes(const std::string& name);

// All 4096 bytes 0, size 0.
void clearImage();

// The size of a pattern file, or nothing when it cannot be opened for reading.
// The image is not changed.
std::optional<std::uint64_t> probePatternFile(const std::string& path);

// Reads the file, then empties the image and takes from it: exact (force
// false) only a file of 1024 or 2048 bytes, forced the first min(size, 2048)
// bytes. Size := bytes taken. A file that cannot be opened leaves the image as
// it was and gives false.
bool loadPatternFile(const std::string& path, bool force);

enum class SaveResult { Written = 0, AnotherName = 1, Cancelled = 2, CannotCreate = 3 };

// Writes the first `size` bytes of the store to `path`, after the overwrite
// question (its boxes owned by `owner`) when `askOverwrite` is set and the
// file exists. The old file is replaced only by a complete new one: a failed
// or short write gives CannotCreate and leaves it as it was.
SaveResult savePatternFile(const std::string& path, bool askOverwrite, WindowRef owner);

// 2048 when any byte at 1024..2047 is not 0, else 1024.
void recomputeImageSize();
