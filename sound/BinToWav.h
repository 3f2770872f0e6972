#pragma once
// The exchange dialog's "BIN -> WAV" and "Ausgabe an BV7/Kassette" for a BIN
// source: the file encoded into "temp.wav", then reported or played.
#include <string>

#include "tape/TapeHeader.h"

enum class EncodeVariant { Write = 1, Output = 2 };

// What plays the finished "temp.wav" to the BV7: the sound engine of the
// exchange dialog. play() returns 0 when the sound runs; on failure it has
// told the user why.
struct WavPlayer {
    virtual int play(const std::string& wavPath) = 0;
    virtual ~WavPlayer() = default;
};

// Encodes the BIN file at `binPath` under `header` at 44100 samples per second
// into tempWavPath(). Write variant: "WAV-Daten erfolgreich geschrieben";
// output variant: `player` plays the file. Returns 0; -1 after "WAV-Daten
// konnten nicht berechnet werden", or when the output variant could not play
// (no player, or its own message shown).
int encodeStandardWav(EncodeVariant variant, const std::string& binPath, const TapeHeader& header,
                      WavPlayer* player = nullptr);
