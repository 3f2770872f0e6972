#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sound/ExchangeState.h"

namespace {
using S = ExchangeStage;
using E = ExchangeEvent;

const E allEvents[] = {E::Arm, E::PrepareConversion, E::PrepareOutputBin, E::PrepareOutputWav,
                       E::StartCapture, E::Written, E::PlaybackStarted, E::PlaybackEnded,
                       E::Stop, E::Kept, E::Abort, E::ToneOn, E::ToneOff};
}

// The table of the dialog's stages, row by row: where each action leads.
TEST(ExchangeState, EveryStageLeavesOnlyByItsOwnActions) {
    struct Row {
        S from;
        std::vector<std::pair<E, S>> ways;
    };
    const Row rows[] = {
        {S::Idle, {{E::Arm, S::CaptureArmed}, {E::PrepareConversion, S::ConversionPrepared},
                   {E::PrepareOutputBin, S::OutputPreparedBin}, {E::PrepareOutputWav, S::OutputPreparedWav},
                   {E::ToneOn, S::TestTone}}},
        {S::CaptureArmed, {{E::StartCapture, S::Capturing}, {E::Abort, S::Idle}}},
        {S::Capturing, {{E::Stop, S::KeepingRecording}, {E::Abort, S::Idle}}},
        // The boxes after "Stopp": a second "Stopp" or an "Abbruch" has no place there.
        {S::KeepingRecording, {{E::Kept, S::Idle}}},
        {S::ConversionPrepared, {{E::Written, S::Idle}, {E::Abort, S::Idle}}},
        {S::OutputPreparedBin, {{E::PlaybackStarted, S::Playing}, {E::Abort, S::Idle}}},
        {S::OutputPreparedWav, {{E::PlaybackStarted, S::Playing}, {E::Abort, S::Idle}}},
        {S::Playing, {{E::PlaybackEnded, S::Idle}, {E::Abort, S::Idle}}},
        {S::TestTone, {{E::ToneOff, S::Idle}}},
    };
    for (const Row& row : rows)
        for (E event : allEvents) {
            std::optional<S> expected;
            for (const auto& way : row.ways)
                if (way.first == event) expected = way.second;
            EXPECT_EQ(nextStage(row.from, event), expected)
                << "stage " << static_cast<int>(row.from) << ", event " << static_cast<int>(event);
        }
}

TEST(ExchangeState, ControlsOfEachStageAndWhatStartDoesThere) {
    using A = StartAction;
    struct Row {
        S stage;
        bool actions, back, start, stop, abort, fields, tone;
        const char* toneText;
        A onStart;
        bool writesTemp;
    };
    const Row rows[] = {
        {S::Idle, true, true, false, false, false, false, true, "Test-Ton", A::None, false},
        {S::CaptureArmed, false, false, true, false, true, false, false, "Test-Ton", A::Capture, true},
        {S::Capturing, false, false, true, true, true, false, false, "Test-Ton", A::None, false},
        {S::KeepingRecording, false, false, false, false, false, false, false, "Test-Ton", A::None, false},
        {S::ConversionPrepared, false, false, true, false, true, true, false, "Test-Ton", A::WriteWav, true},
        {S::OutputPreparedBin, false, false, true, false, true, true, false, "Test-Ton", A::EncodeAndPlay, true},
        {S::OutputPreparedWav, false, false, true, false, true, false, false, "Test-Ton", A::PlayWav, false},
        {S::Playing, false, false, true, false, true, false, false, "Test-Ton", A::None, false},
        {S::TestTone, false, false, false, false, false, false, true, "Test-Ton aus", A::None, false},
    };
    for (const Row& row : rows) {
        ExchangeView view = exchangeView(row.stage, false);
        SCOPED_TRACE(static_cast<int>(row.stage));
        EXPECT_EQ(view.actionsEnabled, row.actions);
        EXPECT_EQ(view.backShown, row.back);
        EXPECT_EQ(view.startShown, row.start);
        EXPECT_EQ(view.stopShown, row.stop);
        EXPECT_EQ(view.abortShown, row.abort);
        EXPECT_EQ(view.headerFieldsEnabled, row.fields);
        EXPECT_EQ(view.toneButtonEnabled, row.tone);
        EXPECT_STREQ(view.toneButtonText, row.toneText);
        EXPECT_EQ(startAction(row.stage), row.onStart);
        EXPECT_EQ(writesTempWav(startAction(row.stage)), row.writesTemp);
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
