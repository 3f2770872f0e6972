// Any bytes, taken as a KALO*4 source file, decode without reading outside
// them and without a line longer than the cap; a second pass mends the end
// offset and marker so the input also runs as a plausible file.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "shell/UserInterface.h"
#include "viewer/SourceDecoder.h"
#include "viewer/TextExport.h"

namespace {
struct AlwaysYes final : UserInterface {
    Answer ask(const Message&) override { return Answer::Yes; }
    bool chooseFile(const Chooser&, FileNameBuffer&) override { return false; }
    void setStatus(int, std::string_view) override {}
    void trace(std::string_view) override {}
};

void decodeBoth(const std::vector<std::uint8_t>& file) {
    for (bool umlaut : {false, true}) {
        SourceListing listing;
        decodeSourceImage(file.data(), file.size(), umlaut, listing);
        for (const std::string& line : listing)
            if (line.size() > maxSourceLineLength || line.size() < 5) std::abort();
        listingTextBytes(listing);
    }
}
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static AlwaysYes yes;
    setUserInterface(&yes);
    std::vector<std::uint8_t> file(data, data + size);
    decodeBoth(file);
    if (size >= 3 && size <= 0xFFFF) {
        file.back() = 0xFF;
        file[0] = static_cast<std::uint8_t>(size & 0xFF);
        file[1] = static_cast<std::uint8_t>(size >> 8);
        if (!isPlausibleSource(file.data(), file.size())) std::abort();
        decodeBoth(file);
    }
    setUserInterface(nullptr);
    return 0;
}
