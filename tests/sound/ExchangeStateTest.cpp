#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "sound/ExchangeState.h"

namespace {
using S = ExchangeStage;
using E = ExchangeEvent;

const S allStages[] = {S::Idle,          S::CaptureArmed,      S::Capturing, S::KeepingRecording, S::ConversionPrepared,
                       S::OutputPreparedBin, S::OutputPreparedWav, S::Playing,   S::TestTone};
}

// The roads a user takes through the dialog: each is accepted step by step,
// shows the controls that step needs, and ends idle again.
TEST(ExchangeState, EveryRoadOfTheUserEndsIdle) {
    struct Road {
        const char* what;
        std::vector<E> events;
        std::optional<S> stageOnStart;   // where "Start" is pressed, if it is
    };
    const Road roads[] = {
        {"record", {E::Arm, E::StartCapture, E::Stop, E::Kept}, S::CaptureArmed},
        {"record given up while armed", {E::Arm, E::Abort}, std::nullopt},
        {"record given up while capturing", {E::Arm, E::StartCapture, E::Abort}, S::CaptureArmed},
        {"BIN -> WAV", {E::PrepareConversion, E::Written}, S::ConversionPrepared},
        {"BIN -> WAV given up", {E::PrepareConversion, E::Abort}, std::nullopt},
        {"BIN to the BV7", {E::PrepareOutputBin, E::PlaybackStarted, E::PlaybackEnded}, S::OutputPreparedBin},
        {"WAV to the BV7, stopped", {E::PrepareOutputWav, E::PlaybackStarted, E::Abort}, S::OutputPreparedWav},
        {"test tone", {E::ToneOn, E::ToneOff}, std::nullopt},
    };
    for (const Road& road : roads) {
        SCOPED_TRACE(road.what);
        ExchangeState state;
        for (E event : road.events) {
            const S before = state.stage;
            if (before == road.stageOnStart) {
                EXPECT_TRUE(state.view().startShown && state.view().startEnabled);
                EXPECT_NE(startAction(before), StartAction::None);
            }
            ASSERT_TRUE(state.apply(event)) << "event " << static_cast<int>(event);
        }
        EXPECT_EQ(state.stage, S::Idle);
        EXPECT_TRUE(state.view().actionsEnabled);
    }
}

// What protects a job under way: no second job starts beside it, "Abbruch"
// leads back wherever it is shown and nowhere else, and only the idle dialog
// can be left.
TEST(ExchangeState, AJobUnderWayIsNeitherJoinedNorLeftHalfWay) {
    for (S stage : allStages) {
        SCOPED_TRACE(static_cast<int>(stage));
        const ExchangeView view = exchangeView(stage, false);
        for (E opening : {E::Arm, E::PrepareConversion, E::PrepareOutputBin, E::PrepareOutputWav, E::ToneOn})
            EXPECT_EQ(nextStage(stage, opening).has_value(), stage == S::Idle);
        EXPECT_EQ(view.actionsEnabled, stage == S::Idle);
        EXPECT_EQ(view.backShown, stage == S::Idle);
        EXPECT_EQ(view.abortShown, nextStage(stage, E::Abort) == S::Idle);
        // "Stopp" only ends a capture; the boxes after it take no second one.
        EXPECT_EQ(view.stopShown, nextStage(stage, E::Stop).has_value());
        EXPECT_EQ(nextStage(stage, E::Stop).has_value(), stage == S::Capturing);
        // The header fields are edited where Start encodes them into the signal.
        const StartAction onStart = startAction(stage);
        EXPECT_EQ(view.headerFieldsEnabled, onStart == StartAction::WriteWav || onStart == StartAction::EncodeAndPlay);
        EXPECT_EQ(writesTempWav(onStart), onStart == StartAction::Capture || view.headerFieldsEnabled);
        if (onStart != StartAction::None) {
            EXPECT_TRUE(view.startShown);
        }
        // The tone button switches the tone on when idle and off while it sounds.
        EXPECT_EQ(view.toneButtonEnabled, stage == S::Idle || stage == S::TestTone);
        EXPECT_STREQ(view.toneButtonText, stage == S::TestTone ? "Test-Ton aus" : "Test-Ton");
    }
}

TEST(ExchangeState, StartIsUsableOnceUntilTheDialogIsIdleAgain) {
    for (S stage : {S::CaptureArmed, S::ConversionPrepared, S::OutputPreparedBin, S::OutputPreparedWav}) {
        EXPECT_TRUE(exchangeView(stage, false).startEnabled);
        EXPECT_FALSE(exchangeView(stage, true).startEnabled);
    }
    EXPECT_FALSE(exchangeView(S::Capturing, false).startEnabled);
    EXPECT_FALSE(exchangeView(S::Playing, false).startEnabled);

    // A conversion whose encoding failed: only "Abbruch" is left, which makes Start usable again.
    ExchangeState state;
    ASSERT_TRUE(state.apply(E::PrepareConversion));
    state.startPressed = true;
    EXPECT_FALSE(state.view().startEnabled);
    EXPECT_TRUE(state.view().abortShown);
    EXPECT_FALSE(state.apply(E::Stop));
    EXPECT_EQ(state.stage, S::ConversionPrepared);
    ASSERT_TRUE(state.apply(E::Abort));
    EXPECT_FALSE(state.startPressed);
    ASSERT_TRUE(state.apply(E::Arm));
    EXPECT_TRUE(state.view().startEnabled);
}

TEST(ExchangeState, PromptsOfStatusPartZero) {
    EXPECT_STREQ(exchangePrompt(S::Idle), " ");
    EXPECT_STREQ(exchangePrompt(S::CaptureArmed), "WAV Aufnahme ist vorbereitet, mit <START> beginnt das Einlesen.");
    EXPECT_STREQ(exchangePrompt(S::Capturing), "Aufnahme läuft, <STOPP> beendet das Einlesen.");
    EXPECT_STREQ(exchangePrompt(S::ConversionPrepared), "Konvertierung ist vorbereitet, <START> schreibt WAV");
    EXPECT_STREQ(exchangePrompt(S::OutputPreparedBin), "Tonausgabe ist vorbereitet, <START> wenn BV7 oder Band fertig.");
    EXPECT_STREQ(exchangePrompt(S::OutputPreparedWav), exchangePrompt(S::OutputPreparedBin));
    EXPECT_EQ(exchangePrompt(S::Playing), nullptr) << "the file name is shown";
    EXPECT_EQ(exchangePrompt(S::KeepingRecording), nullptr) << "blanked by the stopped capture";
    EXPECT_STREQ(exchangePrompt(S::TestTone), "Testton zum Einpegeln");
}
