#pragma once
// The phone chains table of `make bench`: a 3 KiB program through what a
// phone makes of it (voice memo, voice note, call, the phone on the table
// next to the speaker), read by today's readers, with the equaliser, and by a
// detector that is given the true bit timing: the signal's own limit.

// Prints the table; returns the number of rows that read worse with the
// equaliser than without it.
int printPhoneChainsTable();

// Writes the recording of "the phone on the table" (echo and room noise) as
// a WAV file to try `bv7 wav2bin` on; false when it cannot.
bool writePhoneOnTable(const char* path);
