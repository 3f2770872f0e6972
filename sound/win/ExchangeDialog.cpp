// The exchange dialog: turns its messages into the portable state machine,
// the file flows and the sound engine. Its state lives in one struct that the
// window carries (DWLP_USER).
#include "sound/win/ExchangeDialog.h"

#include <commctrl.h>
#include <shellapi.h>

#include <string>

#include "hexdump/win/HexDumpDialog.h"
#include "resources/SpulwerkIds.h"
#include "shell/CommonServices.h"
#include "shell/FileIo.h"
#include "shell/HexText.h"
#include "shell/win/ShellDialogs.h"
#include "shell/win/StatusBar.h"
#include "shell/win/Win32UserInterface.h"
#include "sound/ExchangeFlows.h"
#include "sound/ExchangeState.h"
#include "sound/SampleRate.h"
#include "sound/TempWav.h"
#include "sound/win/SoundIo.h"
#include "tape/BinFileName.h"
#include "sound/BinToWav.h"
#include "sound/WavToBin.h"

namespace {
// In the order of HeaderField.
constexpr int headerFields[] = {IDC_SND_NAME, IDC_SND_AA, IDC_SND_EA, IDC_SND_SA};
constexpr int actionControls[] = {IDC_SND_WAV_TO_BIN, IDC_SND_RECORD, IDC_SND_BIN_TO_WAV, IDC_SND_OUTPUT,
                                  IDC_SND_MIXER, IDC_SND_IN_DEVICE, IDC_SND_OUT_DEVICE};

struct ExchangeDialog final : HeaderFieldSink {
    ExchangeDialog(HWND window, HWND owner) : window(window), owner(owner), sound(window) {}
    void setField(HeaderField field, std::string_view text) override {
        SetDlgItemTextA(window, headerFields[static_cast<int>(field)], std::string(text).c_str());
    }

    HWND window;
    HWND owner;   // the main window that opened the dialog; it also owns the preferences
    ExchangeState state;
    StatusTargetScope status;   // before the sound: a capture still open is closed while the target is ours
    SoundIo sound;
    HWND statusBar = nullptr;
};

ExchangeDialog* dialogOf(HWND window) {
    return reinterpret_cast<ExchangeDialog*>(GetWindowLongPtrA(window, DWLP_USER));
}

HWND item(ExchangeDialog& dialog, int id) { return GetDlgItem(dialog.window, id); }

void show(ExchangeDialog& dialog, int id, bool shown) { ShowWindow(item(dialog, id), shown ? SW_SHOW : SW_HIDE); }
void enable(ExchangeDialog& dialog, int id, bool enabled) { EnableWindow(item(dialog, id), enabled ? TRUE : FALSE); }

std::string fieldText(ExchangeDialog& dialog, int id, int limit) {
    char text[64] = {};
    GetDlgItemTextA(dialog.window, id, text, limit + 1);
    return text;
}

// Shows the controls of the current stage.
void applyView(ExchangeDialog& dialog) {
    ExchangeView view = dialog.state.view();
    for (int id : actionControls) enable(dialog, id, view.actionsEnabled);
    show(dialog, IDC_SND_BACK, view.backShown);
    show(dialog, IDC_SND_START, view.startShown);
    enable(dialog, IDC_SND_START, view.startEnabled);
    show(dialog, IDC_SND_STOP, view.stopShown);
    show(dialog, IDC_SND_ABORT, view.abortShown);
    for (int id : headerFields) enable(dialog, id, view.headerFieldsEnabled);
    enable(dialog, IDC_SND_TEST_TONE, view.toneButtonEnabled);
    SetDlgItemTextA(dialog.window, IDC_SND_TEST_TONE, view.toneButtonText);
}

// Moves the state machine and shows the new stage with its prompt.
void enter(ExchangeDialog& dialog, ExchangeEvent event) {
    if (!dialog.state.apply(event)) return;
    applyView(dialog);
    if (const char* prompt = exchangePrompt(dialog.state.stage)) ui().setStatus(promptPart, prompt);
}

void showHeader(ExchangeDialog& dialog, const TapeHeader& header) {
    SetDlgItemTextA(dialog.window, IDC_SND_NAME, header.name.c_str());
    SetDlgItemTextA(dialog.window, IDC_SND_AA, formatHex4(header.aa).c_str());
    SetDlgItemTextA(dialog.window, IDC_SND_EA, formatHex4(header.ea).c_str());
    SetDlgItemTextA(dialog.window, IDC_SND_SA, formatHex4(header.sa).c_str());
}

// The common end of "Abbruch", "Stopp", a written WAV and a finished playback.
void returnToIdle(ExchangeDialog& dialog, ExchangeEvent event, bool blankHeader = true) {
    bool wasCapturing = dialog.state.capturing();
    SendMessageA(item(dialog, IDC_SND_LEVEL_METER), PBM_SETPOS, 0, 0);
    SendMessageA(item(dialog, IDC_SND_PROGRESS), PBM_SETPOS, 0, 0);
    if (blankHeader)
        for (int id : headerFields) SetDlgItemTextA(dialog.window, id, " ");
    dialog.sound.closePlayback();
    enter(dialog, event);
    ui().setStatus(promptPart, " ");
    ui().setStatus(sizePart, " ");
    if (wasCapturing && event == ExchangeEvent::Abort)
        ui().ask(Message{"Aufgezeichnung abgebrochen", "Spulwerk Vers. 0.9e", mb::ok, dialog.window});
}

void onRecord(ExchangeDialog& dialog) {
    selectSampleRate(44100);
    if (!dialog.sound.armCapture()) return;
    enter(dialog, ExchangeEvent::Arm);
}

void prepareBinSource(ExchangeDialog& dialog, ExchangeEvent event) {
    for (int id : headerFields) enable(dialog, id, true);
    dialog.state.header = headerOfBinSource(dialog.state.sourcePath, dialog.window);
    showHeader(dialog, dialog.state.header);
    enter(dialog, event);
}

void onBinToWav(ExchangeDialog& dialog) {
    selectSampleRate(44100);
    std::optional<ConversionFiles> files = chooseConversionFiles(dialog.window);
    if (!files) return;
    dialog.state.sourcePath = files->source;
    dialog.state.targetWavPath = files->target;
    prepareBinSource(dialog, ExchangeEvent::PrepareConversion);
}

void onOutput(ExchangeDialog& dialog) {
    std::optional<std::string> source = chooseOutputSource(dialog.window);
    if (!source) return;
    dialog.state.sourcePath = *source;
    if (hasExtension(*source, ".wav"))
        enter(dialog, ExchangeEvent::PrepareOutputWav);
    else
        prepareBinSource(dialog, ExchangeEvent::PrepareOutputBin);
}

void onStart(ExchangeDialog& dialog) {
    ExchangeState& state = dialog.state;
    StartAction action = startAction(state.stage);
    if (action == StartAction::None) return;
    if (writesTempWav(action) && !mayOverwriteTempWav(dialog.window)) return;
    state.startPressed = true;
    applyView(dialog);
    if (action == StartAction::Capture) {
        removeTempWav();
        dialog.sound.resetRecordedBytes();
        enter(dialog, ExchangeEvent::StartCapture);
        return;
    }
    if (action == StartAction::PlayWav) {
        ui().setStatus(promptPart, state.sourcePath);
        if (dialog.sound.play(state.sourcePath) == 0) enter(dialog, ExchangeEvent::PlaybackStarted);
        return;
    }
    std::optional<TapeHeader> header =
        headerOfFields(fieldText(dialog, IDC_SND_NAME, 16), fieldText(dialog, IDC_SND_AA, 4),
                       fieldText(dialog, IDC_SND_EA, 4), fieldText(dialog, IDC_SND_SA, 4));
    if (!header) return;
    state.header = *header;
    for (int id : headerFields) enable(dialog, id, false);
    ui().setStatus(promptPart, state.sourcePath);
    SetDlgItemTextA(dialog.window, IDC_SND_NAME, state.header.name.c_str());
    if (action == StartAction::WriteWav) {
        if (encodeStandardWav(EncodeVariant::Write, state.sourcePath, state.header) != 0) return;
        nameTempWav(state.targetWavPath);
        returnToIdle(dialog, ExchangeEvent::Written);
        return;
    }
    if (encodeStandardWav(EncodeVariant::Output, state.sourcePath, state.header, &dialog.sound) == 0)
        enter(dialog, ExchangeEvent::PlaybackStarted);
}

void onStop(ExchangeDialog& dialog) {
    if (!dialog.state.capturing()) return;
    dialog.sound.stopCapture();
    // No longer capturing: behind the boxes that follow, "Stopp" and "Abbruch" are gone and do nothing.
    enter(dialog, ExchangeEvent::Stop);
    KeptRecording kept = keepRecording(dialog.window);
    returnToIdle(dialog, ExchangeEvent::Kept);
    if (kept.convertNow) {
        decodeWavToBin(kept.path, &dialog, dialog.window);
        for (int id : headerFields) SetDlgItemTextA(dialog.window, id, " ");
    }
}

void onAbort(ExchangeDialog& dialog) {
    if (!nextStage(dialog.state.stage, ExchangeEvent::Abort)) return;
    if (dialog.sound.captureArmed()) dialog.sound.stopCapture();
    returnToIdle(dialog, ExchangeEvent::Abort);
}

void onWavToBin(ExchangeDialog& dialog) {
    std::optional<std::string> path = chooseWavToDecode(dialog.window);
    if (path) decodeWavToBin(*path, &dialog, dialog.window);
}

void onTestTone(ExchangeDialog& dialog) {
    if (dialog.state.stage == ExchangeStage::TestTone) {
        dialog.sound.stopTestTone();
        enter(dialog, ExchangeEvent::ToneOff);
        return;
    }
    enter(dialog, ExchangeEvent::ToneOn);
    dialog.sound.startTestTone();
}

void onAddressLeft(ExchangeDialog& dialog, int id) {
    std::optional<std::string> normalised = checkAddressField(fieldText(dialog, id, 4));
    if (normalised) {
        SetDlgItemTextA(dialog.window, id, normalised->c_str());
        return;
    }
    HWND field = item(dialog, id);
    SetFocus(field);
    SendMessageA(field, EM_SETSEL, 0, -1);
}

void onPlaybackTimer(ExchangeDialog& dialog) {
    if (!dialog.sound.onPlaybackTimer()) return;
    returnToIdle(dialog, ExchangeEvent::PlaybackEnded, false);
}

void onInit(HWND window, ExchangeDialog& dialog) {  // owns `dialog` from here until WM_NCDESTROY
    SetWindowLongPtrA(window, DWLP_USER, reinterpret_cast<LONG_PTR>(&dialog));
    SetMenu(window, LoadMenuA(programInstance(), MAKEINTRESOURCEA(IDM_SOUND)));
    dialog.sound.setUpVolumeSlider();
    dialog.statusBar = createStatusBar(window);
    dialog.status.install(dialog.statusBar);
    SendDlgItemMessageA(window, IDC_SND_NAME, EM_LIMITTEXT, 16, 0);
    for (int id : {IDC_SND_AA, IDC_SND_EA, IDC_SND_SA}) SendDlgItemMessageA(window, id, EM_LIMITTEXT, 4, 0);
    dialog.state.targetWavPath.clear();
    dialog.sound.fillDeviceLists();
    dialog.sound.saveVolume();
    dialog.sound.applyVolume();
    dialog.sound.setUpMeter();
    applyView(dialog);
    SetFocus(item(dialog, IDC_SND_BACK));
}

void onCommand(ExchangeDialog& dialog, int id, int notification) {
    switch (id) {
    case IDC_SND_RECORD: onRecord(dialog); break;
    case IDC_SND_BIN_TO_WAV: onBinToWav(dialog); break;
    case IDC_SND_OUTPUT: onOutput(dialog); break;
    case IDC_SND_START: onStart(dialog); break;
    case IDC_SND_STOP: onStop(dialog); break;
    case IDC_SND_ABORT: onAbort(dialog); break;
    case IDC_SND_WAV_TO_BIN: onWavToBin(dialog); break;
    case IDC_SND_TEST_TONE: onTestTone(dialog); break;
    case IDC_SND_MIXER: ShellExecuteA(dialog.window, nullptr, "sndvol32.exe", "/r", nullptr, SW_SHOWNORMAL); break;
    case IDC_SND_BACK: SendMessageA(dialog.window, WM_CLOSE, 0, 0); break;
    case IDC_SND_IN_DEVICE:
        if (notification == CBN_SELCHANGE)
            dialog.sound.selectRecordingDevice(static_cast<int>(SendMessageA(item(dialog, id), CB_GETCURSEL, 0, 0)));
        break;
    case IDC_SND_OUT_DEVICE:
        if (notification == CBN_SELCHANGE)
            dialog.sound.selectPlaybackDevice(static_cast<int>(SendMessageA(item(dialog, id), CB_GETCURSEL, 0, 0)));
        break;
    case IDC_SND_AA:
    case IDC_SND_EA:
    case IDC_SND_SA:
        if (notification == EN_KILLFOCUS) onAddressLeft(dialog, id);
        break;
    case CMD_SND_PREFERENCES: showPreferences(dialog.owner); break;
    case CMD_SND_HEXDUMP: openHexDump(dialog.window); break;
    case CMD_SND_HELP: showInfo(dialog.window, HelpVariant::Converter); break;
    default: break;
    }
}

INT_PTR CALLBACK exchangeDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        onInit(window, *new ExchangeDialog(window, reinterpret_cast<HWND>(lParam)));
        return FALSE;   // the focus is on "zurück"
    }
    ExchangeDialog* dialog = dialogOf(window);
    if (!dialog) return FALSE;
    switch (message) {
    case MM_WIM_DATA:
        dialog->sound.onCaptureBlock(reinterpret_cast<WAVEHDR*>(lParam), dialog->state.capturing());
        return TRUE;
    case WM_TIMER:
        if (wParam == SoundIo::playbackTimer) onPlaybackTimer(*dialog);
        return TRUE;
    case WM_VSCROLL:
        if (LOWORD(wParam) == TB_THUMBTRACK && reinterpret_cast<HWND>(lParam) == item(*dialog, IDC_SND_VOLUME))
            dialog->sound.onVolumeSlider(static_cast<int>(SendMessageA(reinterpret_cast<HWND>(lParam), TBM_GETPOS, 0, 0)));
        return TRUE;
    case WM_HELP:
        showInfo(window, HelpVariant::Converter);
        return TRUE;
    case WM_COMMAND:
        onCommand(*dialog, LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_CLOSE:
        // Only "zurück" ends the dialog, and it is there only while idle.
        if (dialog->state.stage != ExchangeStage::Idle) return TRUE;
        if (!mayCloseWithTempRecording(window)) return TRUE;
        dialog->sound.restoreVolume();
        EndDialog(window, 0);
        return TRUE;
    case WM_NCDESTROY:
        // The status target and the devices go with the state.
        if (dialog->state.stage == ExchangeStage::TestTone) dialog->sound.stopTestTone();
        SetWindowLongPtrA(window, DWLP_USER, 0);
        delete dialog;
        return FALSE;
    }
    return FALSE;
}
}

void showExchangeDialog(HWND owner) {
    DialogBoxParamA(programInstance(), "Sounddialog", owner, exchangeDialogProc, reinterpret_cast<LPARAM>(owner));
}
