#include "chargen/CharGenImage.h"

#include <algorithm>
#include <vector>

#include "shell/FileIo.h"
#include "shell/OverwriteQuestion.h"

namespace {
CharGenImage image;
TemplateSource source = nullptr;
}

const std::array<TemplateEntry, 5> builtInTemplates = {{
    {"Vorlage_ZG1", "1k-Standard nach BZ 6/86", chargen::smallImage},
    {"Vorlage_ZG2", "1k-Erweitert (Umlaute)", chargen::smallImage},
    {"Vorlage_ZG3", "2k-Erweitert nach ...", chargen::largeImage},
    {"Vorlage_ZG4", "2k-Erweitert nach HGKB(1)", chargen::largeImage},
    {"Vorlage_ZG5", "2k-Erweitert nach HGKB(2)", chargen::largeImage},
}};

CharGenImage& charGenImage() { return image; }

void setTemplateSource(TemplateSource newSource) { source = newSource; }

ByteView templateBytes(const std::string& name) { return source ? source(name) : ByteView(); }

void clearImage() {
    image.store.fill(0);
    image.size = 0;
}

std::optional<std::uint64_t> probePatternFile(const std::string& path) {
    std::uint64_t size = 0;
    // The size alone lets a locked or unreadable file pass: it is opened for reading too.
    std::vector<std::uint8_t> nothing;
    if (probeFile(path, size) != ReadOutcome::Ok || readFile(path, nothing, 0) != ReadOutcome::Ok) return std::nullopt;
    return size;
}

bool loadPatternFile(const std::string& path, bool force) {
    std::vector<std::uint8_t> bytes;
    // One byte more than an image holds tells a 2048-byte file from a longer one.
    if (readFile(path, bytes, chargen::largeImage + 1) != ReadOutcome::Ok) return false;
    clearImage();
    std::size_t count = bytes.size();
    if (!force && count != chargen::smallImage && count != chargen::largeImage) return true;
    count = std::min<std::size_t>(count, chargen::largeImage);
    std::copy_n(bytes.begin(), count, image.store.begin());
    image.size = static_cast<std::uint32_t>(count);
    return true;
}

SaveResult savePatternFile(const std::string& path, bool askOverwrite, WindowRef owner) {
    if (askOverwrite) {
        switch (askBeforeOverwriting(path, owner)) {
            case OverwriteAnswer::Write: break;
            case OverwriteAnswer::AnotherName: return SaveResult::AnotherName;
            case OverwriteAnswer::Cancelled: return SaveResult::Cancelled;
        }
    }
    if (replaceFile(path, {ByteView(image.store.data(), image.size)}) != WriteOutcome::Ok)
        return SaveResult::CannotCreate;
    return SaveResult::Written;
}

void recomputeImageSize() {
    auto upper = image.store.begin() + chargen::smallImage;
    bool used = std::any_of(upper, upper + (chargen::largeImage - chargen::smallImage), [](std::uint8_t b) { return b != 0; });
    image.size = used ? chargen::largeImage : chargen::smallImage;
}
