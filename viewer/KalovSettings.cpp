#include "viewer/KalovSettings.h"

KalovSettings defaultKalovSettings() { return KalovSettings{}; }

KalovSettings kalovSettingsFromIni(unsigned textColour, unsigned backgroundColour, unsigned umlaut) {
    KalovSettings settings;
    settings.textColour = textColour & 0xFFFFFFu;
    settings.backgroundColour = backgroundColour & 0xFFFFFFu;
    settings.umlautMode = umlaut == 1;
    return settings;
}

std::string kalovIniPath(const std::string& workingDirectory) {
    // A drive root comes with its backslash already, as in "C:\KALOV.INI".
    bool separated = !workingDirectory.empty() && (workingDirectory.back() == '\\' || workingDirectory.back() == '/');
    return workingDirectory + (separated ? "" : "\\") + kalovIniName;
}
