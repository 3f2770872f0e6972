#include "cli/BinInput.h"

#include "cli/FileAccess.h"
#include "shell/StringTable.h"
#include "tape/BinRecording.h"

namespace cli {
bool readBinImage(const std::string& input, std::uint16_t aa, std::vector<std::uint8_t>& image, std::ostream& err) {
    return readInput(input, image, loadString(str::cannotOpenBinary), err) && checkBinImage(image, aa, input, err);
}
}
