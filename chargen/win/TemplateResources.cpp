#include <algorithm>

#include "chargen/CharGenImage.h"
#include "chargen/Designer.h"
#include "chargen/win/CharGenStart.h"
#include "shell/win/ProgramResource.h"

namespace {
ByteView resourceBytes(const std::string& name) { return programResource(name.c_str(), "MYDATA"); }
}

void startCharGenImage() {
    setTemplateSource(resourceBytes);
    // The designer starts afresh with the window: nothing edited, so no question.
    designerState() = DesignerState{};
    loadTemplate("Vorlage_ZG3", false);
}

void endCharGenImage() { clearImageAndEdit(); }

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
