#pragma once
// What every bv7 command needs: its command line, the text conversions
// between the terminal and the BV7's Windows-1252 bytes, files written
// without overwriting, and the terminal.
#include "cli/Arguments.h"
#include "cli/FileAccess.h"
#include "cli/Terminal.h"
#include "cli/TextConversion.h"
