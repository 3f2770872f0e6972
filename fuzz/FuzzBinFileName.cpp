// Any file name, however long or odd, is taken apart without a crash.
#include <cstdint>
#include <string>

#include "tape/BinFileName.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string path(reinterpret_cast<const char*>(data), size);
    TapeHeader header;
    parseBinFileName(path, header);
    std::string name = header.name;
    normaliseProgramName(name);
    sanitiseFileName(path);
    proposeBinFileName(header);
    proposeWavFileName(path);
    return 0;
}
