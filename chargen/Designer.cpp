#include "chargen/Designer.h"

#include <algorithm>
#include <cctype>

#include "shell/CommonServices.h"
#include "shell/FileIo.h"

namespace {
DesignerView noView;
DesignerOpening* onScreen = nullptr;

DesignerView& view() { return onScreen && onScreen->view ? *onScreen->view : noView; }
WindowRef owner() { return onScreen ? onScreen->owner : nullptr; }

bool startsWithTemplatePrefix(const std::string& name) {
    const std::string prefix = "vorlage";
    if (name.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(name[i])) != prefix[i]) return false;
    return true;
}

// The save chooser of the pattern files, proposing the name offered last.
std::optional<std::string> choosePatternFileToSave() {
    return chooseSaveFile(owner(), "Bitmuster speichern unter", patternFileFilter());
}

// savePatternFile, its question owned by the designer; what was written is
// shown in the first status field.
SaveResult saveImage(const std::string& path, bool askOverwrite) {
    SaveResult result = savePatternFile(path, askOverwrite, owner());
    if (result == SaveResult::Written) setFirstStatus(path);
    return result;
}

// loadPatternFile for the designer: a file that cannot be opened shows
// "Fehler" in the first status field. (Both callers select the character
// afterwards, which refills the edit buffer.)
bool loadImage(const std::string& path, bool force) {
    if (loadPatternFile(path, force)) return true;
    setFirstStatus("Fehler");
    return false;
}
}

std::string patternFileFilter() { return makeFilter({"Binärdateien (*.bin)", "*.bin"}); }

void setFirstStatus(const std::string& text) {
    designerState().firstStatus = text;
    ui().setStatus(0, text);
}

void designerBox(const std::string& text, const char* caption) { ui().ask(Message{text, caption, mb::ok, owner()}); }

void clearImageAndEdit() {
    clearImage();
    DesignerState& state = designerState();
    state.edit.fill(0);
    state.modified = 0;
}

void loadTemplate(const std::string& name, bool refresh) {
    CharGenImage& image = charGenImage();
    DesignerState& state = designerState();
    image.name = name.substr(0, chargen::longestName);
    if (state.modified == 1 && !askAboutUnsavedChange("Anfrage")) return;
    state.modified = 0;
    image.templateFlag = 1;
    clearImageAndEdit();
    ByteView bytes = templateBytes(name);
    std::size_t count = std::min(bytes.size, chargen::storeBytes);
    std::copy_n(bytes.data, count, image.store.begin());
    image.size = static_cast<std::uint32_t>(count);
    if (!refresh) return;
    setFirstStatus(name);
    selectCharacter();
    view().repaintAll();
}

void selectCharacter() {
    DesignerState& state = designerState();
    const std::uint8_t* rows = charGenImage().character(state.currentCode);
    std::copy_n(rows, 8, state.reference.begin());
    state.edit = state.reference;
    view().showHexField(hexFieldText(state.currentCode));
}

bool askAboutUnsavedChange(const char* caption) {
    Message question{"Aktuelles Zeichen wurde geändert, erst speichern?", caption, mb::yesNoCancel,
                     owner()};
    switch (ui().ask(question)) {
        case Answer::Yes: applyCharacter(); return true;
        case Answer::No: return true;
        default: return false;
    }
}

void applyCharacter() {
    CharGenImage& image = charGenImage();
    DesignerState& state = designerState();
    std::copy(state.edit.begin(), state.edit.end(), image.store.begin() + state.currentCode * 8);
    state.reference = state.edit;
    recomputeImageSize();
    view().repaintAll();
    if (image.templateFlag == 0) {
        // The status field holds only the file's name after a reopening; that
        // name in whatever folder a chooser left current may be another file.
        const std::string& path = state.filePath.empty() ? state.firstStatus : state.filePath;
        if (saveImage(path, false) != SaveResult::Written) designerBox("Schreiben nicht erfolgreich");
        return;
    }
    designerBox("In die Vorlage kann nicht geschrieben werden, bitte unter neuem Dateinamen speichern.");
    offerFileName("BM.bin");
    // "No" to the overwrite question asks for another name; a file that
    // cannot be written is reported rather than passed over in silence.
    while (std::optional<std::string> path = choosePatternFileToSave()) {
        SaveResult result = saveImage(*path, true);
        if (result == SaveResult::AnotherName) continue;
        if (result == SaveResult::CannotCreate) designerBox("Schreiben nicht erfolgreich");
        return;
    }
}

void clickOverviewCharacter(int code) {
    DesignerState& state = designerState();
    if (state.modified == 1 && !askAboutUnsavedChange("Anfrage")) return;
    state.modified = 0;
    state.currentCode = code;
    selectCharacter();
    view().repaintMagnifier();
    view().repaintOverview();
}

void runLoadFlow() {
    CharGenImage& image = charGenImage();
    DesignerState& state = designerState();
    if (state.modified == 1 && !askAboutUnsavedChange("Anfrage")) return;
    state.modified = 0;
    std::optional<std::string> chosen = chooseOpenFile(owner(), "Bitmusterdatei auswählen", patternFileFilter());
    if (!chosen) return;
    const std::string path = *chosen;
    std::optional<std::uint64_t> size = probePatternFile(path);
    if (!size) {
        setFirstStatus("Fehler");
        return;
    }
    if (*size == chargen::smallImage || *size == chargen::largeImage) {
        if (!loadImage(path, false)) return;
        image.templateFlag = 0;
    } else {
        Message question{"Vermutlich keine Bitmusterdatei. Sollen max. 2kB trotzdem geladen werden?", "Fehler",
                         mb::yesNo, owner()};
        if (ui().ask(question) != Answer::Yes || !loadImage(path, true)) return;
    }
    selectCharacter();
    view().repaintAll();
    image.name = std::string(fileNamePart(path)).substr(0, chargen::longestName);
    state.filePath = path;
    setFirstStatus(path);
}

void runSaveAsFlow(const std::string& startDirectory) {
    CharGenImage& image = charGenImage();
    offerFileName(startDirectory + "\\" + image.name + ".BIN");
    while (std::optional<std::string> chosen = choosePatternFileToSave()) {
        const std::string path = *chosen;
        switch (saveImage(path, true)) {
            case SaveResult::Written:
                clearImageAndEdit();
                loadImage(path, false);
                selectCharacter();
                image.templateFlag = 0;
                designerState().filePath = path;
                view().repaintAll();
                return;
            case SaveResult::AnotherName: continue;
            case SaveResult::Cancelled: return;
            case SaveResult::CannotCreate: designerBox("Schreiben nicht erfolgreich"); return;
        }
    }
}

std::string photoPath(const std::string& startDirectory) {
    return startDirectory + "\\" + charGenImage().name + ".bmp";
}

void designerOpened(DesignerOpening& opening) {
    onScreen = &opening;
    CharGenImage& image = charGenImage();
    if (startsWithTemplatePrefix(image.name))
        image.templateFlag = 1;
    else if (image.size == chargen::smallImage || image.size == chargen::largeImage)
        image.templateFlag = 0;
    setFirstStatus(std::string(fileNamePart(image.name)));
}

void designerClosed() { onScreen = nullptr; }

bool designerMayClose() { return designerState().modified != 1 || askAboutUnsavedChange("Beenden?"); }
