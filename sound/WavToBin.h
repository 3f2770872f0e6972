#pragma once
// The exchange dialog's "WAV -> BIN": a WAV file read and decoded, the report,
// and saving the image as a BIN file under the name the BIN scheme proposes.
#include <string>

#include "shell/UserInterface.h"
#include "tape/Decoder.h"

enum class DecodeOutcome { Failed, Faulty, NotSaved, Saved, CannotWrite };

// Reads `path`, makes its rate the program's current one (status part 2 shows
// the file's own rate), decodes with either reader, tells `fields` (may be
// null) the header as it is read, reports (boxes owned by `owner`) and on
// request saves the image as a BIN file.
DecodeOutcome decodeWavToBin(const std::string& path, HeaderFieldSink* fields, WindowRef owner);

// The save flow alone: chooser with the proposed name, ".BIN" rule, the
// question about an existing file, the write and its report.
DecodeOutcome saveDecodedImage(const DecodedRecord& record, WindowRef owner);
