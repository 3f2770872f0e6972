#pragma once
// "Speichern als ASCII-Text": the listing as a Windows-1252 text file.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "shell/UserInterface.h"
#include "viewer/SourceDecoder.h"

// The text file name proposed for a source file name: its extension replaced
// by "TXT" ("PROG.ASM" -> "PROG.TXT"); a name without one gets ".TXT".
std::string proposeTextFileName(std::string_view sourceName);

// The bytes of the text file: each line without trailing blanks and tabs,
// followed by CR LF. Lines are taken as bytes, unchanged otherwise.
std::vector<std::uint8_t> listingTextBytes(const SourceListing& listing);

enum class TextSaveResult { Written, NothingToSave, Cancelled, NotOverwritten, CannotCreate, CannotWrite };

// The whole save: the empty-list box, the save chooser with the proposal, the
// question about an existing file, writing, and the closing box. Boxes owned
// by the dialog get `owner`. Every outcome is shown to the user here.
TextSaveResult saveListingAsText(const SourceListing& listing, const std::string& sourceName, WindowRef owner);
