#pragma once
// The system's own replacing move, for the file layer on Windows.

// Moves `from` to `to` in one step, replacing `to` (copied across drives) and
// written through to the disk before it returns. True when done; on failure
// both files are as they were.
bool systemMoveReplacing(const char* from, const char* to);
