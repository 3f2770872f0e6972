#pragma once
// The words for the result codes of the recording device.

// The text for a multimedia result code; null for 0 (no error).
const char* mmErrorText(unsigned code);

// 0 for code 0; otherwise shows the text (caption "Fehler", no owner, OK) and returns 1.
int reportMmError(unsigned code);
