#pragma once
// The state machine of the exchange dialog: which stage it is in, which
// controls that stage offers, what status part 0 says, and which user action
// leads where. The dialog applies the view; it decides nothing itself.
#include <optional>
#include <string>

#include "tape/TapeHeader.h"

enum class ExchangeStage {
    Idle,
    CaptureArmed,        // "Einlesen von BV7/Kassette": the meter runs, nothing is stored
    Capturing,           // "Start": every block goes to "temp.wav"
    KeepingRecording,    // "Stopp": the recording is made a WAV file and named; nothing else can start or stop
    ConversionPrepared,  // "BIN -> WAV" with both files chosen
    OutputPreparedBin,   // "Ausgabe an BV7/Kassette" with a BIN file
    OutputPreparedWav,   // "Ausgabe an BV7/Kassette" with a WAV file
    Playing,
    TestTone,
};

enum class ExchangeEvent {
    Arm,                 // a capture was armed
    PrepareConversion,   // "BIN -> WAV" chose source and target
    PrepareOutputBin,
    PrepareOutputWav,
    StartCapture,        // "Start" while armed
    Written,             // "Start" wrote the WAV of a conversion
    PlaybackStarted,     // "Start" made the sound run
    PlaybackEnded,       // the playback timer saw the device stopped
    Stop,                // "Stopp"
    Kept,                // the stopped recording was saved, or left in "temp.wav"
    Abort,               // "Abbruch"
    ToneOn,              // "Test-Ton"
    ToneOff,             // "Test-Ton aus"
};

// The stage an event leads to, or nothing when the event has no place in `from`.
std::optional<ExchangeStage> nextStage(ExchangeStage from, ExchangeEvent event);

// What the controls of a stage look like. "Start" is disabled once pressed
// and stays so until the dialog is idle again.
struct ExchangeView {
    bool actionsEnabled = false;   // the five action buttons, "Mixer" and both device lists
    bool backShown = false;        // "zurück"
    bool startShown = false;
    bool startEnabled = false;
    bool stopShown = false;
    bool abortShown = false;
    bool headerFieldsEnabled = false;
    bool toneButtonEnabled = false;
    const char* toneButtonText = "Test-Ton";
};
ExchangeView exchangeView(ExchangeStage stage, bool startPressed);

// The parts of the dialog's status bar: the prompt or the file at work, and the
// size or length of what is recorded or played; the third is the sample rate's
// (sampleRateStatusPart).
constexpr int promptPart = 0;
constexpr int sizePart = 1;

// Status part 0 of a stage when it is entered; null where it stays as it is
// (Playing shows the file name; the stopped capture has blanked it).
const char* exchangePrompt(ExchangeStage stage);

// What "Start" does. The stage alone says what was prepared: flags set by an
// earlier preparation cannot lead it astray.
enum class StartAction {
    None,           // "Start" has no place in the stage
    Capture,        // every block goes to "temp.wav" from now on
    PlayWav,        // the chosen WAV file is played as it is
    WriteWav,       // the BIN source is encoded into "temp.wav", which becomes the chosen WAV file
    EncodeAndPlay,  // the BIN source is encoded into "temp.wav", which is played
};
StartAction startAction(ExchangeStage stage);
// True for the actions that write "temp.wav" anew.
bool writesTempWav(StartAction action);

// What the dialog holds while it is open.
struct ExchangeState {
    ExchangeStage stage = ExchangeStage::Idle;
    bool startPressed = false;      // set by "Start" itself, before anything can fail
    std::string sourcePath;
    std::string targetWavPath;
    TapeHeader header;

    // Applies `event`; false (and no change) when it has no place in the stage.
    // Returning to Idle makes "Start" usable again.
    bool apply(ExchangeEvent event);
    bool capturing() const { return stage == ExchangeStage::Capturing; }
    ExchangeView view() const { return exchangeView(stage, startPressed); }
};
