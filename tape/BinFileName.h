#pragma once
// The header in the file name: "Programmname_AA_EA_SA.BIN", and the rules
// around the header fields of the exchange dialog.
#include <optional>
#include <string>
#include <string_view>

#include "tape/TapeHeader.h"

constexpr std::size_t maxProgramNameLength = 16;

// The rule of an address field losing the focus: the normalised 4-digit text
// ("1F" -> "001F"), or nothing when the entry is invalid (no message).
std::optional<std::string> checkAddressField(std::string_view field);

// Cuts the name to 16 characters and replaces "_" by "-", in place. Returns
// what changed as the text of the box the caller shows (caption "Fehler", no
// owner), empty when nothing did.
std::string normaliseProgramName(std::string& name);

// Takes name, aa, ea and sa from the file part of `path` (after the last "\" or "/").
// The file part must hold exactly three underscores. On failure the header may
// already hold a new name and some addresses.
bool parseBinFileName(std::string_view path, TapeHeader& header);

// Makes a proposed file name safe, in place: / \ < > : | ? * and the double
// quote become "-", and so do control characters (a tape name may hold any
// byte) and the dots a name starts with (a hidden file on Linux and macOS,
// ".." the folder above). Every name the program proposes or writes for a
// program goes through here.
void sanitiseFileName(std::string& text);

// The decoder's proposal: the name without trailing blanks and tabs,
// "_AA_EA_SA.BIN", made safe for the file system.
std::string proposeBinFileName(const TapeHeader& header);

// The WAV file's name of the record of program `name` (Windows-1252): the name
// without trailing blanks and tabs ("proggi" when nothing is left), made safe,
// ".wav".
std::string wavNameFor(std::string_view name);

// The WAV name proposed for a BIN source: wavNameFor the normalised name when
// the source follows the scheme, otherwise "proggi.wav". No message is shown.
std::string proposeWavFileName(std::string_view binPath);

