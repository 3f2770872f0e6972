#pragma once
// A recording given on the command line, read as the reading layer reads it
// (SideReading.h): the file or standard input, other sound formats imported,
// the readers' options from the program's settings.
#include <ostream>
#include <string>

#include "tape/SideReading.h"
#include "tape/WavFile.h"

// The reading options of the program's settings (the trigger level), with
// the exact reader alone where `exact`.
ReadingOptions settingsReadingOptions(bool exact);

// "Standardeingabe" for "-", else `path`: the recording as messages name it.
std::string recordingName(const std::string& path);

// Reads the samples of `path` ("-": standard input) into `wav`; false after
// the message on `err`, which names the file.
bool readRecordingSamples(const std::string& path, WavSamples& wav, std::ostream& err);

// Reads `path` ("-": standard input) and the recording in it as `options`
// say, into `side`; false after the message on `err`, which names the file.
bool readRecordingSide(const std::string& path, const ReadingOptions& options, SideReading& side, std::ostream& err);
