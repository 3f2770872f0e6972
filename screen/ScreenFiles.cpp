#include "screen/ScreenFiles.h"

#include <vector>

#include "shell/CommonServices.h"
#include "shell/FileIo.h"
#include "shell/OverwriteQuestion.h"
#include "shell/StringTable.h"

namespace {
std::string screenFileFilter() { return makeFilter({"Bildschirmkopie (*.bsk)", "*.bsk"}); }
}

bool saveScreenFile(const ScreenBuffer& screen, WindowRef owner) {
    std::optional<std::string> chosen = chooseSaveFile(owner, "Bildschirminhalt speichern unter", screenFileFilter());
    if (!chosen) return false;
    std::string path = *chosen;
    if (!hasExtension(path, ".bsk")) path += ".bsk";
    if (askBeforeOverwriting(path, owner) != OverwriteAnswer::Write) return false;
    // The old file stays until the new one is complete; only a written file is named.
    if (replaceFile(path, {ByteView(screen.cells())}) != WriteOutcome::Ok) {
        showStringError(str::cannotWriteScreenFile);
        return false;
    }
    ui().setStatus(0, path);
    return true;
}

bool loadScreenFile(ScreenBuffer& screen, WindowRef owner) {
    std::optional<std::string> path = chooseOpenFile(owner, "Bildschirminhalt laden aus:", screenFileFilter());
    if (!path) return false;
    std::vector<std::uint8_t> bytes;
    // One byte more than a screen tells a longer file from a screen.
    if (readFile(*path, bytes, screen::cellCount + 1) != ReadOutcome::Ok || bytes.size() != screen::cellCount) {
        showStringError(str::cannotOpenScreenFile);
        return false;
    }
    screenLoadCells(screen, ByteView(bytes));
    return true;
}

std::string nextPhotoPath(const std::string& startDirectory) {
    for (int n = 1;; ++n) {
        std::string path = startDirectory + "\\BS_Foto" + std::to_string(n) + ".bmp";
        if (!fileExists(path)) return path;
    }
}
