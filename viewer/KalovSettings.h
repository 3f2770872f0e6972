#pragma once
// The three settings of kalov, read once at start from "KALOV.INI" in the
// working directory, section "Prefs". The program never writes them.
#include <cstdint>
#include <string>

constexpr const char* kalovIniName = "KALOV.INI";
constexpr const char* kalovIniSection = "Prefs";
constexpr const char* kalovIniTextColourKey = "TXT";
constexpr const char* kalovIniBackgroundKey = "HG";
constexpr const char* kalovIniUmlautKey = "UML";
// What the INI reader is to return for a key the file lacks.
constexpr unsigned kalovIniMissingKey = 0;

// Colours as the system stores them: red in the lowest byte, then green, then blue.
struct KalovSettings {
    std::uint32_t textColour = 0x000000;        // black
    std::uint32_t backgroundColour = 0xFFFFFF;  // white
    bool umlautMode = true;                     // BV7 umlaut codes translated
};

// "KALOV.INI" missing: black on white, umlaut mode on.
KalovSettings defaultKalovSettings();

// From the three integers read for "TXT", "HG" and "UML" (a missing key read
// as 0). Only UML = 1 turns the umlaut mode on. Colours keep their three
// colour bytes.
KalovSettings kalovSettingsFromIni(unsigned textColour, unsigned backgroundColour, unsigned umlaut);

// Working directory + "\" + "KALOV.INI" (no second "\" after a root such as "C:\").
std::string kalovIniPath(const std::string& workingDirectory);
