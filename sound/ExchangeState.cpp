#include "sound/ExchangeState.h"

namespace {
using S = ExchangeStage;
using E = ExchangeEvent;

struct Transition {
    S from;
    E event;
    S to;
};

// Every way between the stages; anything else is not possible.
constexpr Transition transitions[] = {
    {S::Idle, E::Arm, S::CaptureArmed},
    {S::Idle, E::PrepareConversion, S::ConversionPrepared},
    {S::Idle, E::PrepareOutputBin, S::OutputPreparedBin},
    {S::Idle, E::PrepareOutputWav, S::OutputPreparedWav},
    {S::Idle, E::ToneOn, S::TestTone},
    {S::TestTone, E::ToneOff, S::Idle},
    {S::CaptureArmed, E::StartCapture, S::Capturing},
    {S::CaptureArmed, E::Abort, S::Idle},
    {S::Capturing, E::Stop, S::KeepingRecording},
    {S::Capturing, E::Abort, S::Idle},
    {S::KeepingRecording, E::Kept, S::Idle},
    {S::ConversionPrepared, E::Written, S::Idle},
    {S::ConversionPrepared, E::Abort, S::Idle},
    {S::OutputPreparedBin, E::PlaybackStarted, S::Playing},
    {S::OutputPreparedBin, E::Abort, S::Idle},
    {S::OutputPreparedWav, E::PlaybackStarted, S::Playing},
    {S::OutputPreparedWav, E::Abort, S::Idle},
    {S::Playing, E::PlaybackEnded, S::Idle},
    {S::Playing, E::Abort, S::Idle},
};
}

std::optional<ExchangeStage> nextStage(ExchangeStage from, ExchangeEvent event) {
    for (const Transition& transition : transitions)
        if (transition.from == from && transition.event == event) return transition.to;
    return std::nullopt;
}

ExchangeView exchangeView(ExchangeStage stage, bool startPressed) {
    ExchangeView view;
    switch (stage) {
    case S::Idle:
        view.actionsEnabled = true;
        view.backShown = true;
        view.toneButtonEnabled = true;
        return view;
    case S::TestTone:
        view.toneButtonEnabled = true;
        view.toneButtonText = "Test-Ton aus";
        return view;
    case S::CaptureArmed:
    case S::ConversionPrepared:
    case S::OutputPreparedBin:
    case S::OutputPreparedWav:
        view.startShown = true;
        view.startEnabled = !startPressed;
        view.abortShown = true;
        view.headerFieldsEnabled = stage == S::ConversionPrepared || stage == S::OutputPreparedBin;
        return view;
    case S::Capturing:
        view.startShown = true;
        view.stopShown = true;
        view.abortShown = true;
        return view;
    case S::Playing:
        view.startShown = true;
        view.abortShown = true;
        return view;
    case S::KeepingRecording:
        return view;
    }
    return view;
}

const char* exchangePrompt(ExchangeStage stage) {
    switch (stage) {
    case S::Idle: return " ";
    case S::CaptureArmed: return "WAV Aufnahme ist vorbereitet, mit <START> beginnt das Einlesen.";
    case S::Capturing: return "Aufnahme läuft, <STOPP> beendet das Einlesen.";
    case S::ConversionPrepared: return "Konvertierung ist vorbereitet, <START> schreibt WAV";
    case S::OutputPreparedBin:
    case S::OutputPreparedWav: return "Tonausgabe ist vorbereitet, <START> wenn BV7 oder Band fertig.";
    case S::KeepingRecording:
    case S::Playing: return nullptr;
    case S::TestTone: return "Testton zum Einpegeln";
    }
    return " ";
}

StartAction startAction(ExchangeStage stage) {
    switch (stage) {
    case S::CaptureArmed: return StartAction::Capture;
    case S::OutputPreparedWav: return StartAction::PlayWav;
    case S::ConversionPrepared: return StartAction::WriteWav;
    case S::OutputPreparedBin: return StartAction::EncodeAndPlay;
    default: return StartAction::None;
    }
}

bool writesTempWav(StartAction action) {
    return action == StartAction::Capture || action == StartAction::WriteWav || action == StartAction::EncodeAndPlay;
}

bool ExchangeState::apply(ExchangeEvent event) {
    std::optional<ExchangeStage> next = nextStage(stage, event);
    if (!next) return false;
    stage = *next;
    if (stage == S::Idle) startPressed = false;
    return true;
}
