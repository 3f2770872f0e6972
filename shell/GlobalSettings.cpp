#include "shell/GlobalSettings.h"

namespace {
GlobalSettings settings;
}

GlobalSettings& globalSettings() { return settings; }

void resetGlobalSettings() { settings = GlobalSettings{}; }

void applyColourScheme() {
    if (settings.colourScheme == 1) {
        settings.inkColour = rgbColour(0x00, 0xFF, 0x00);
        settings.paperColour = rgbColour(0x00, 0x40, 0x00);
    } else {
        settings.inkColour = rgbColour(0xFF, 0xFF, 0xFF);
        settings.paperColour = rgbColour(0x00, 0x00, 0x00);
    }
}
