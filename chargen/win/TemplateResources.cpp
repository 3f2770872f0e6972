#include <algorithm>

#include "chargen/CharGenImage.h"
#include "chargen/Designer.h"
#include "chargen/win/CharGenStart.h"

namespace {
// The bytes of a "MYDATA" resource of the program; they live as long as the program.
ByteView resourceBytes(const std::string& name) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(module, name.c_str(), "MYDATA");
    if (!found) return {};
    HGLOBAL loaded = LoadResource(module, found);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes) return {};
    return ByteView(static_cast<const std::uint8_t*>(bytes), SizeofResource(module, found));
}
}

void startCharGenImage() {
    setTemplateSource(resourceBytes);
    // The designer starts afresh with the window: nothing edited, so no question.
    designerState() = DesignerState{};
    loadTemplate("Vorlage_ZG3", false);
}

void endCharGenImage() { clearImage(); }

const char* designerTemplateName() {
    HWND desktop = GetDesktopWindow();
    HDC context = GetWindowDC(desktop);
    int oldMode = SetMapMode(context, MM_TEXT);
    TEXTMETRICA metrics{};
    GetTextMetricsA(context, &metrics);
    SetMapMode(context, oldMode);
    ReleaseDC(desktop, context);
    return metrics.tmHeight > 16 ? "ZGDialogG" : "ZGDialogK";
}
