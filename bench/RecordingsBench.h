#pragma once
// Recordings as owners keep and share them: lossy files normalised to full
// scale, the signal in one channel of a stereo file. Each is made from the
// bench's 2 KiB program, written by the sound-file library and read back the
// way bv7 reads it (import, WAV reader, both readers).

// Prints the table (Markdown); returns the number of rows not read whole.
int printRecordingsTable();
