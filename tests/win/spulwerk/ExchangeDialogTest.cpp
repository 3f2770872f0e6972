// The exchange dialog driven for real: its controls in every stage, the
// conversions through the choosers, and the sound card. The tests that need
// sound run only where SPULWERK_AUDIO is "cable" (scripts/with-audio: what is
// played is what is recorded); the others run without any audio server.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <mmsystem.h>

#include <algorithm>
#include <cstring>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bench/SignalDegrader.h"
#include "common/BoxDriver.h"
#include "common/Screenshot.h"
#include "resources/SpulwerkIds.h"
#include "shell/CommonServices.h"
#include "shell/GlobalSettings.h"
#include "shell/HexText.h"
#include "shell/StringTable.h"
#include "shell/win/Win32UserInterface.h"
#include "sound/ExchangeFlows.h"
#include "sound/SampleRate.h"
#include "sound/SoundRules.h"
#include "sound/TempWav.h"
#include "sound/win/ExchangeDialog.h"
#include "support/WinTestFiles.h"
#include "tape/Decoder.h"
#include "tape/Encoder.h"
#include "tape/WavFile.h"

namespace {
const char* const caption = "Programm-/Datenaustausch BV7<->PC";
constexpr int fileNameField = 0x047C;   // the name field of the system choosers

bool withCable() {
    const char* audio = std::getenv("SPULWERK_AUDIO");
    return audio && std::string(audio) == "cable";
}

std::vector<std::uint8_t> fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::string statusText(HWND dialog, int part) {
    char text[512] = {};
    SendDlgItemMessageA(dialog, IDC_STATUSBAR, SB_GETTEXTA, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(text));
    return text;
}

bool shown(HWND dialog, int id) { return IsWindowVisible(GetDlgItem(dialog, id)) != FALSE; }
bool enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }
std::string text(HWND dialog, int id) { return windowText(GetDlgItem(dialog, id)); }
void press(HWND dialog, int id) { SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

std::vector<std::string> comboEntries(HWND dialog, int id) {
    std::vector<std::string> entries;
    LRESULT count = SendDlgItemMessageA(dialog, id, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        char entry[256] = {};
        SendDlgItemMessageA(dialog, id, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(entry));
        entries.push_back(entry);
    }
    return entries;
}

// The idle look: every action usable, "zurück" there, Start/Stopp/Abbruch gone.
testing::AssertionResult isIdle(HWND dialog) {
    std::string wrong;
    for (int id : {IDC_SND_RECORD, IDC_SND_OUTPUT, IDC_SND_WAV_TO_BIN, IDC_SND_BIN_TO_WAV, IDC_SND_TEST_TONE, IDC_SND_MIXER})
        if (!enabled(dialog, id)) wrong += " action " + std::to_string(id) + " disabled;";
    if (!shown(dialog, IDC_SND_BACK)) wrong += " no zurück;";
    for (int id : {IDC_SND_START, IDC_SND_STOP, IDC_SND_ABORT})
        if (shown(dialog, id)) wrong += " " + std::to_string(id) + " shown;";
    for (int id : {IDC_SND_NAME, IDC_SND_AA, IDC_SND_EA, IDC_SND_SA})
        if (enabled(dialog, id)) wrong += " field " + std::to_string(id) + " enabled;";
    if (wrong.empty()) return testing::AssertionSuccess();
    return testing::AssertionFailure() << "not idle:" << wrong;
}

// Opens the dialog and runs `script` inside its own message loop; choosers
// get the names of `files` ("" cancels), boxes the answers of `boxes`.
struct ExchangeSession {
    BoxDriver driver;
    std::deque<std::string> files;
    std::vector<std::string> chooserTitles, offered;
    // Answers a box by its caption when set (0: not planned); else driver.answers.
    std::function<int(const SeenBox&)> answerBox;
    std::vector<SeenBox> boxes;
    std::vector<DWORD> boxTicks;   // when each box was answered
    HWND dialog = nullptr;

    void run(const std::function<void(HWND)>& script) {
        driver.onDialog = [this, script](HWND window) {
            std::string title = windowText(window);
            if (!dialog && title == caption) {
                dialog = window;
                // The dialog is activated (the focus on "zurück") before its
                // modal loop shows it; on a busy machine this timer can come first.
                ShowWindow(window, SW_SHOW);
                script(window);
                press(window, IDC_SND_ABORT);
                press(window, IDC_SND_BACK);
                return true;
            }
            if (HWND name = GetDlgItem(window, fileNameField)) {
                chooserTitles.push_back(title);
                offered.push_back(windowText(name));
                std::string chosen = files.empty() ? "" : files.front();
                if (!files.empty()) files.pop_front();
                if (chosen.empty()) {
                    PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
                } else {
                    SetWindowTextA(name, chosen.c_str());
                    PostMessageA(window, WM_COMMAND, IDOK, 0);
                }
                return true;
            }
            SeenBox box = driver.seen.back();
            boxes.push_back(box);
            boxTicks.push_back(GetTickCount());
            if (answerBox) {
                if (int answer = answerBox(box)) {
                    PostMessageA(window, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0);
                    return true;
                }
            }
            return false;
        };
        showExchangeDialog(nullptr);
        driver.onDialog = nullptr;
    }
};

struct ExchangeDialogTest : testing::Test {
    void SetUp() override {
        installWin32UserInterface(GetModuleHandleA(nullptr));
        resetGlobalSettings();
        setTempWavPath(testFilePath("exchange-temp.wav"));
        DeleteFileA(tempWavPath().c_str());
        setRecordingLeftInTempWav(false);
    }
    void TearDown() override {
        for (const std::string& path : made) DeleteFileA(path.c_str());
        DeleteFileA(tempWavPath().c_str());
        setTempWavPath("temp.wav");
        setRecordingLeftInTempWav(false);
    }
    std::string made_(const std::string& name) {
        made.push_back(testFilePath(name));
        DeleteFileA(made.back().c_str());
        return made.back();
    }
    // An image of `size` bytes as a BIN file named by the scheme.
    std::string binFile(const std::string& name, std::size_t size, std::vector<std::uint8_t>& image) {
        image.clear();
        for (std::size_t i = 0; i < size; ++i) image.push_back(static_cast<std::uint8_t>(i * 7 + i / 256));
        std::string path = made_(name);
        writeTestFile(name, std::string(image.begin(), image.end()));
        return path;
    }
    // The encoder's signal of `image` as a WAV file at 44100 samples per
    // second, worn by `faults` if given.
    std::string signalFile(const std::string& name, const std::vector<std::uint8_t>& image, const TapeHeader& header,
                           const degrade::Faults* faults = nullptr) {
        std::vector<std::uint8_t> samples = encodeRecordSamples(image, header, 14);
        if (faults) samples = degrade::degradeSignal(samples, *faults);
        AudioFormat format;
        format.samplesPerSecond = format.bytesPerSecond = 44100;
        std::vector<std::uint8_t> bytes = makeWavFileBytes(format, samples.data(), static_cast<std::uint32_t>(samples.size()));
        std::string path = made_(name);
        writeTestFile(name, std::string(bytes.begin(), bytes.end()));
        return path;
    }
    std::vector<std::string> made;
};
}

TEST_F(ExchangeDialogTest, OpensIdleWithItsControlsMenuAndStatusBar) {
    HWND before = win32Interface().statusBar;
    ExchangeSession session;
    session.answerBox = [](const SeenBox& box) { return box.caption == "Infos zum Datenkonverter" ? IDC_INFO_OK : 0; };
    bool checked = false;
    session.run([&](HWND dialog) {
        checked = true;
        EXPECT_TRUE(isIdle(dialog));
        EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDC_SND_BACK));
        EXPECT_EQ(GetWindowLongA(dialog, GWL_STYLE) & WS_SYSMENU, 0) << "no close box";
        HMENU menu = GetMenu(dialog);
        ASSERT_NE(menu, nullptr);
        char item[64] = {};
        const std::pair<UINT, const char*> items[] = {
            {CMD_SND_PREFERENCES, "&Voreinstellungen"}, {CMD_SND_HEXDUMP, "HEX-&Dump..."}, {CMD_SND_HELP, "&Hilfe"}};
        for (const auto& entry : items) {
            GetMenuStringA(menu, entry.first, item, sizeof item, MF_BYCOMMAND);
            EXPECT_STREQ(item, entry.second);
        }
        EXPECT_EQ(text(dialog, IDC_SND_TEST_TONE), "Test-Ton");
        EXPECT_EQ(text(dialog, IDC_SND_RECORD), "Einlesen von BV7/Kassette");
        EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_SND_VOLUME, TBM_GETPOS, 0, 0), 5) << "10 - level 5";
        // Only dragging the thumb sets the level; the top is the loudest.
        HWND slider = GetDlgItem(dialog, IDC_SND_VOLUME);
        SendMessageA(slider, TBM_SETPOS, TRUE, 2);
        SendMessageA(dialog, WM_VSCROLL, MAKEWPARAM(TB_THUMBTRACK, 2), reinterpret_cast<LPARAM>(slider));
        EXPECT_EQ(globalSettings().outputVolume, 8);
        SendMessageA(slider, TBM_SETPOS, TRUE, 9);
        SendMessageA(dialog, WM_VSCROLL, MAKEWPARAM(TB_ENDTRACK, 0), reinterpret_cast<LPARAM>(slider));
        EXPECT_EQ(globalSettings().outputVolume, 8);
        EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_SND_LEVEL_METER, PBM_GETRANGE, FALSE, 0), 100);
        // The dialog's status bar is the seam's target while it is open.
        ui().setStatus(1, "Probe");
        EXPECT_EQ(statusText(dialog, 1), "Probe");
        // The menu: help on the converter, and the hex dump's chooser (cancelled).
        press(dialog, CMD_SND_HELP);
        press(dialog, CMD_SND_HEXDUMP);
        EXPECT_TRUE(isIdle(dialog));
    });
    EXPECT_TRUE(checked);
    ASSERT_EQ(session.boxes.size(), 1u);
    EXPECT_EQ(session.boxes[0].caption, "Infos zum Datenkonverter");
    EXPECT_EQ(session.chooserTitles, std::vector<std::string>{"Wähle eine Datei:"});
    EXPECT_EQ(win32Interface().statusBar, before) << "the previous target is back";
}

TEST_F(ExchangeDialogTest, WithoutAudioServerNoDevicesAndArmingFailsInWords) {
    if (withCable()) GTEST_SKIP() << "an audio server is running";
    ExchangeSession session;
    session.driver.answers = {IDOK};
    session.run([&](HWND dialog) {
        EXPECT_EQ(comboEntries(dialog, IDC_SND_IN_DEVICE), std::vector<std::string>{"WAVE-Mapper"});
        EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_SND_IN_DEVICE, CB_GETCURSEL, 0, 0), CB_ERR);
        EXPECT_TRUE(comboEntries(dialog, IDC_SND_OUT_DEVICE).empty());
        press(dialog, IDC_SND_RECORD);
        EXPECT_TRUE(isIdle(dialog));
        EXPECT_EQ(statusText(dialog, 2), "44 kHz");
    });
    ASSERT_EQ(session.boxes.size(), 1u);
    EXPECT_TRUE(isBox(session.boxes[0], "Fehler", "Angegebene ID außerhalb zulässigem Bereich", nullptr));
}

TEST_F(ExchangeDialogTest, WithoutAudioServerPlayingAWavFailsAndAbbruchReturns) {
    if (withCable()) GTEST_SKIP() << "an audio server is running";
    std::vector<std::uint8_t> image;
    binFile("KURZ_1000_1003_1000.BIN", 4, image);
    std::string wav = signalFile("kurz.wav", image, TapeHeader{"KURZ", 0x1000, 0x1003, 0x1000});
    ExchangeSession session;
    session.files = {wav};
    session.driver.answers = {IDOK};
    session.run([&](HWND dialog) {
        press(dialog, IDC_SND_OUTPUT);
        EXPECT_FALSE(enabled(dialog, IDC_SND_NAME)) << "a WAV file leaves the header alone";
        press(dialog, IDC_SND_START);
        EXPECT_FALSE(enabled(dialog, IDC_SND_START));
        EXPECT_TRUE(shown(dialog, IDC_SND_ABORT));
        press(dialog, IDC_SND_ABORT);
        EXPECT_TRUE(isIdle(dialog));
    });
    EXPECT_EQ(session.chooserTitles, std::vector<std::string>{"Binärdatei auswählen"});
    ASSERT_EQ(session.boxes.size(), 1u);
    EXPECT_TRUE(isBox(session.boxes[0], "Fehler", "Wiedergabe konnte nicht gestartet werden", nullptr));
}

TEST_F(ExchangeDialogTest, TestToneLeavesOnlyItsOwnButton) {
    ExchangeSession session;
    session.run([&](HWND dialog) {
        press(dialog, IDC_SND_TEST_TONE);
        EXPECT_EQ(text(dialog, IDC_SND_TEST_TONE), "Test-Ton aus");
        EXPECT_FALSE(enabled(dialog, IDC_SND_RECORD));
        SendMessageA(dialog, WM_CLOSE, 0, 0);
        EXPECT_TRUE(IsWindow(dialog)) << "no way out while the tone plays";
        press(dialog, IDC_SND_TEST_TONE);
        EXPECT_TRUE(isIdle(dialog));
    });
}

TEST_F(ExchangeDialogTest, BinToWavAndBackGiveTheSameImage) {
    std::vector<std::uint8_t> image;
    std::string bin = binFile("SPIEL_1000_112B_1000.BIN", 300, image);
    std::string played = signalFile("gespielt.wav", image, TapeHeader{"SPIEL", 0x1000, 0x112B, 0x1000});
    std::string wav = made_("spiel-ziel.wav");
    std::string back = made_("zurueck.BIN");
    ExchangeSession session;
    session.files = {played, bin, testFilePath("spiel-ziel"), wav, back};
    session.driver.answers = {IDOK, IDYES, IDOK};
    session.run([&](HWND dialog) {
        // A WAV file prepared for output first: what "Start" does later follows the later preparation.
        press(dialog, IDC_SND_OUTPUT);
        press(dialog, IDC_SND_ABORT);
        press(dialog, IDC_SND_BIN_TO_WAV);
        EXPECT_EQ(statusText(dialog, 0), "Konvertierung ist vorbereitet, <START> schreibt WAV");
        EXPECT_EQ(statusText(dialog, 2), "44 kHz");
        EXPECT_EQ(text(dialog, IDC_SND_NAME), "SPIEL");
        EXPECT_EQ(text(dialog, IDC_SND_AA), "1000");
        EXPECT_EQ(text(dialog, IDC_SND_EA), "112B");
        EXPECT_EQ(text(dialog, IDC_SND_SA), "1000");
        EXPECT_TRUE(enabled(dialog, IDC_SND_NAME));
        EXPECT_TRUE(shown(dialog, IDC_SND_START) && enabled(dialog, IDC_SND_START));
        EXPECT_FALSE(shown(dialog, IDC_SND_BACK));
        // An address field left with a short entry is padded; a bad one keeps the focus.
        SetDlgItemTextA(dialog, IDC_SND_SA, "1F");
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_SND_SA, EN_KILLFOCUS), 0);
        EXPECT_EQ(text(dialog, IDC_SND_SA), "001F");
        SetDlgItemTextA(dialog, IDC_SND_EA, "1G");
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_SND_EA, EN_KILLFOCUS), 0);
        EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDC_SND_EA));
        SetDlgItemTextA(dialog, IDC_SND_EA, "112B");
        SetDlgItemTextA(dialog, IDC_SND_SA, "1000");
        press(dialog, IDC_SND_START);
        EXPECT_TRUE(isIdle(dialog));
        EXPECT_EQ(text(dialog, IDC_SND_NAME), " ");
        EXPECT_EQ(GetFileAttributesA(tempWavPath().c_str()), INVALID_FILE_ATTRIBUTES) << "moved to the target";

        press(dialog, IDC_SND_WAV_TO_BIN);
        EXPECT_EQ(text(dialog, IDC_SND_NAME), "SPIEL           ");
        EXPECT_EQ(text(dialog, IDC_SND_EA), "112B");
        EXPECT_TRUE(isIdle(dialog));
    });
    EXPECT_EQ(session.chooserTitles,
              (std::vector<std::string>{"Binärdatei auswählen", "Binärdatei auswählen", "WAV speichern unter",
                                        "Wähle eine WAV-Datei:", "Binärdatei speichern unter"}));
    ASSERT_EQ(session.offered.size(), 5u);
    EXPECT_EQ(session.offered[2], "SPIEL.wav");
    EXPECT_EQ(session.offered[4], "SPIEL_1000_112B_1000.BIN");
    ASSERT_EQ(session.boxes.size(), 3u);
    EXPECT_TRUE(isBox(session.boxes[0], "BV7-->WAV", "WAV-Daten erfolgreich geschrieben", nullptr));
    EXPECT_EQ(session.boxes[1].caption, "WAV wurde konvertiert. Jetzt als BIN speichern?");
    EXPECT_TRUE(isBox(session.boxes[2], "WAV-->BV7", "Binärdatei erfolgreich geschrieben"));
    EXPECT_EQ(fileBytes(back), image);
}

TEST_F(ExchangeDialogTest, ABinNameOffTheSchemeIsUnbenanntAndProggi) {
    std::vector<std::uint8_t> image;
    std::string bin = binFile("plain.bin", 3, image);
    ExchangeSession session;
    session.files = {bin, ""};
    session.run([&](HWND dialog) {
        press(dialog, IDC_SND_BIN_TO_WAV);
        EXPECT_TRUE(isIdle(dialog)) << "cancelling the save chooser changes nothing";
        EXPECT_EQ(statusText(dialog, 0), bin);
    });
    ASSERT_EQ(session.offered.size(), 2u);
    EXPECT_EQ(session.offered[1], "proggi.wav");

    ExchangeSession output;
    output.files = {bin};
    output.driver.answers = {IDOK};
    output.run([&](HWND dialog) {
        press(dialog, IDC_SND_OUTPUT);
        EXPECT_EQ(text(dialog, IDC_SND_NAME), "UNBENANNT") << "the field shows upper case";
        EXPECT_EQ(text(dialog, IDC_SND_AA) + text(dialog, IDC_SND_EA) + text(dialog, IDC_SND_SA), "000000000000");
        EXPECT_TRUE(enabled(dialog, IDC_SND_NAME));
        press(dialog, IDC_SND_ABORT);
        EXPECT_TRUE(isIdle(dialog));
    });
    ASSERT_EQ(output.boxes.size(), 1u);
    EXPECT_EQ(output.boxes[0].caption, "Ton-Ausgabe ist vorbereitet");
    EXPECT_EQ(output.boxes[0].owner, output.dialog);
}

// Replacing a WAV file while "temp.wav" cannot be moved (another program
// holds it open): the old file stays whole, the new WAV stays in "temp.wav",
// and the user hears of it.
TEST_F(ExchangeDialogTest, AnOldWavThatCannotBeReplacedStaysWhole) {
    std::vector<std::uint8_t> image;
    std::string bin = binFile("HALT_1000_1003_1000.BIN", 4, image);
    std::string target = made_("halt.wav");
    writeTestFile("halt.wav", "alt");
    HANDLE holder = CreateFileA(tempWavPath().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_ALWAYS, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    ExchangeSession session;
    session.files = {bin, target};
    session.driver.answers = {IDYES, IDOK, IDOK};
    session.run([&](HWND dialog) {
        press(dialog, IDC_SND_BIN_TO_WAV);
        press(dialog, IDC_SND_START);
        EXPECT_TRUE(isIdle(dialog));
    });
    CloseHandle(holder);
    ASSERT_EQ(session.boxes.size(), 3u);
    EXPECT_TRUE(isBox(session.boxes[0], "Fehler", "Datei existiert schon. Überschreiben?"));
    EXPECT_TRUE(isBox(session.boxes[1], "BV7-->WAV", "WAV-Daten erfolgreich geschrieben"));
    EXPECT_TRUE(isBox(session.boxes[2], "Fehler", "Fehler beim Benennen des WAV", nullptr));
    EXPECT_EQ(fileBytes(target), (std::vector<std::uint8_t>{'a', 'l', 't'}));
    EXPECT_GT(fileBytes(tempWavPath()).size(), wavHeaderBytes);
}

// A recording that "Stopp" left unsaved in "temp.wav" belongs to the program:
// after leaving the dialog with Yes and opening it again, "Start" and
// "zurück" still ask for it.
TEST_F(ExchangeDialogTest, ARecordingLeftInTempWavIsStillAskedForAfterReopening) {
    std::vector<std::uint8_t> image;
    std::string bin = binFile("NEU_1000_1003_1000.BIN", 4, image);
    std::string target = made_("neu.wav");
    writeTestFile("exchange-temp.wav", std::string(4096, '\x90'));
    ExchangeSession first;
    first.files = {""};
    first.driver.answers = {IDYES};
    first.run([&](HWND dialog) {
        selectSampleRate(44100);
        keepRecording(dialog);   // what "Stopp" runs once the device is closed; the naming is cancelled
    });
    const std::vector<std::uint8_t> kept = fileBytes(tempWavPath());

    ExchangeSession second;
    second.files = {bin, target};
    second.driver.answers = {IDNO, IDYES};
    bool startStays = false;
    second.run([&](HWND dialog) {
        press(dialog, IDC_SND_BIN_TO_WAV);
        press(dialog, IDC_SND_START);   // No: nothing is encoded
        startStays = enabled(dialog, IDC_SND_START);
    });
    ASSERT_EQ(first.boxes.size(), 1u);
    EXPECT_TRUE(isBox(first.boxes[0], "Anfrage", "Die letzte Aufnahme liegt ungespeichert in\r\n" + tempWavPath() +
                                                     "\r\nund wird beim Programmende erst nach Rückfrage gelöscht. Trotzdem schließen?"));
    ASSERT_EQ(second.boxes.size(), 2u);
    EXPECT_TRUE(isBox(second.boxes[0], "Anfrage", "Die letzte Aufnahme liegt ungespeichert in\r\n" + tempWavPath() + "\r\nÜberschreiben?"));
    EXPECT_EQ(second.boxes[1].text, first.boxes[0].text);
    EXPECT_TRUE(startStays);
    EXPECT_EQ(kept.size(), wavHeaderBytes + 4096);
    EXPECT_EQ(fileBytes(tempWavPath()), kept);
    EXPECT_EQ(GetFileAttributesA(target.c_str()), INVALID_FILE_ATTRIBUTES);
}

namespace {
int number(const std::string& text) { return std::atoi(text.c_str()); }

// A shot of the dialog into SPULWERK_SCREENSHOTS, when that is set.
void shoot(HWND dialog, const char* name) {
    std::string folder = screenshotFolder();
    if (folder.empty()) return;
    SetCursorPos(0, 0);
    EXPECT_TRUE(saveWindowShot(dialog, folder + "\\" + name + ".bmp"));
}

// The Unix name of a Windows path (Wine's own mapping); empty when there is none.
std::string unixPath(const std::string& path) {
    using UnixName = char*(CDECL*)(LPCWSTR);
    auto unixName = reinterpret_cast<UnixName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!unixName) return "";
    wchar_t wide[MAX_PATH] = {};
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
    char* file = unixName(wide);
    if (!file) return "";
    std::string name = file;
    HeapFree(GetProcessHeap(), 0, file);
    return name;
}

// Starts a Unix program (Wine starts them like any other); false when it cannot.
bool startUnix(const std::string& program, const std::string& arguments) {
    std::string command = program + " " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(("Z:" + program).c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

// Plays a WAV file into the cable with the sound server's own player
// (paplay), so that a busy machine cannot starve the sound on its way in.
bool playWithServer(const std::string& path) {
    std::string file = unixPath(path);
    return !file.empty() && startUnix("/usr/bin/paplay", "\"" + file + "\"");
}

// Records the cable with the sound server's own recorder (parecord on the
// null sink's monitor, 8-bit mono at 44100), independent of the program.
struct CableRecorder {
    std::string wav, script;
    bool started = false;

    explicit CableRecorder(const std::string& name) : wav(testFilePath(name)), script(testFilePath(name + ".sh")) {
        DeleteFileA(wav.c_str());
        DeleteFileA((wav + ".part").c_str());
        DeleteFileA((wav + ".pid").c_str());
        // The recording is named only when parecord has ended and closed it.
        writeTestFile(name + ".sh",
                      "parecord --format=u8 --channels=1 --rate=44100 --file-format=wav \"$1.part\" &\n"
                      "echo $! >\"$1.pid\"\nwait $!\nmv \"$1.part\" \"$1\"\n");
        started = startUnix("/bin/sh", "\"" + unixPath(script) + "\" \"" + unixPath(wav) + "\"") &&
                  pumpUntil([this] { return fileSize(wav + ".part") > wavHeaderBytes + 4410; }, 10000);
    }
    ~CableRecorder() {
        for (const std::string& path : {wav, wav + ".part", wav + ".pid", script}) DeleteFileA(path.c_str());
    }
    static std::size_t fileSize(const std::string& path) {
        WIN32_FILE_ATTRIBUTE_DATA attributes{};
        if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &attributes)) return 0;
        return attributes.nFileSizeLow;
    }
    // Ends the recording and returns it; empty when it did not end within 10 s.
    std::vector<std::uint8_t> stop() {
        if (!started) return {};
        std::vector<std::uint8_t> pidFile = fileBytes(wav + ".pid");
        std::string pid(pidFile.begin(), pidFile.end());
        while (!pid.empty() && (pid.back() == '\n' || pid.back() == '\r')) pid.pop_back();
        if (pid.empty() || !startUnix("/bin/kill", "-INT " + pid)) return {};
        if (!pumpUntil([this] { return GetFileAttributesA(wav.c_str()) != INVALID_FILE_ATTRIBUTES; }, 10000)) return {};
        return fileBytes(wav);
    }
};

struct Capture {
    std::vector<SeenBox> boxes;
    std::vector<std::string> offered;
    int highestLevel = -1;
    int wrongColours = 0;
    std::string armedPrompt, capturingPrompt;
    bool reachedEnd = false;
};

// Where the cable departs from the signal: empty when the signal arrived
// sample for sample, else how far it came.
std::string cableDifference(ByteView cable, const std::vector<std::uint8_t>& signal) {
    const std::size_t probe = 64;
    std::size_t start = 0;
    while (start + probe <= cable.size && std::memcmp(cable.data + start, signal.data(), probe) != 0) ++start;
    if (start + probe > cable.size) return "the signal's beginning is not in the cable";
    std::size_t same = 0;
    while (same < signal.size() && start + same < cable.size && cable[start + same] == signal[same]) ++same;
    if (same == signal.size()) return "";
    return "the cable matched the signal for " + std::to_string(same) + " of " + std::to_string(signal.size()) +
           " samples, then " + (start + same < cable.size ? "differed" : "ended");
}

// Keeps `bytes` as `name` in the folder of the pictures, if there is one.
void keepBesideShots(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    if (screenshotFolder().empty()) return;
    if (std::FILE* file = std::fopen((screenshotFolder() + "\\" + name).c_str(), "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }
}

// One playback of `source` through "Ausgabe an BV7/Kassette" and "Start",
// recorded from the cable and read back with the program's own reader.
struct CablePlayback {
    bool recorded = false;
    bool ended = false;   // idle again after the sound
    std::vector<SeenBox> boxes;
    DecodedRecord record;
    std::string difference;
    std::vector<std::uint8_t> cable;   // the recording, kept beside the pictures when it failed
};

CablePlayback playIntoCable(const std::string& source, const std::vector<std::uint8_t>& signal) {
    CablePlayback result;
    CableRecorder recorder("kabel-aufnahme.wav");
    ExchangeSession session;
    session.files = {source};
    const DWORD milliseconds = static_cast<DWORD>(signal.size() * 1000 / 44100);
    session.run([&](HWND dialog) {
        if (!recorder.started) return;
        press(dialog, IDC_SND_OUTPUT);
        press(dialog, IDC_SND_START);
        result.ended = pumpUntil([&] { return shown(dialog, IDC_SND_BACK); }, milliseconds + 15000);
    });
    result.boxes = session.boxes;
    std::vector<std::uint8_t> cable = recorder.stop();
    result.recorded = !cable.empty();
    result.cable = cable;
    WavSamples samples = parseWavSamples(ByteView(cable));
    if (result.recorded && !samples.error) {
        result.record = decodeRecord(samples.samples, DecoderSettings{});
        result.difference = cableDifference(samples.samples, signal);
    }
    return result;
}

testing::AssertionResult deliveredWhole(const CablePlayback& played, const TapeHeader& header,
                                        const std::vector<std::uint8_t>& image) {
    std::string wrong;
    if (!played.recorded) wrong += " nothing recorded;";
    if (!played.ended) wrong += " not idle after the sound;";
    for (const SeenBox& box : played.boxes) wrong += " box " + box.caption + ": " + box.text + ";";
    const DecodedRecord& record = played.record;
    if (record.status != DecodeStatus::Ok) wrong += " decoding: " + loadString(decodeStatusMessage(record.status)) + ";";
    if (record.faulty) wrong += " " + std::to_string(record.faulty) + " faulty blocks;";
    std::string name = record.header.name;   // as on tape: filled up with blanks to 16 characters
    while (!name.empty() && name.back() == ' ') name.pop_back();
    if (name != header.name || record.header.aa != header.aa || record.header.ea != header.ea ||
        record.header.sa != header.sa)
        wrong += " header " + record.header.name + " " + formatHex4(record.header.aa) + " " +
                 formatHex4(record.header.ea) + " " + formatHex4(record.header.sa) + ";";
    if (record.image != image) wrong += " the image differs;";
    if (wrong.empty()) return testing::AssertionSuccess() << (played.difference.empty() ? "sample for sample" : played.difference);
    return testing::AssertionFailure() << wrong << " (" << played.difference << ")";
}
}

// The cable carries the encoder's signal from the speaker to the recording:
// "Einlesen", "Start", the sound, "Stopp", saved as WAV, converted at once and
// saved as BIN, which must hold the image. Under load the cable may lose a
// piece of the sound; such a run is repeated once.
TEST_F(ExchangeDialogTest, LoopbackRecordsAProgramAndKeepsItAsWavAndBin) {
    if (!withCable()) GTEST_SKIP() << "needs the audio cable of scripts/with-audio";
    std::vector<std::uint8_t> image;
    binFile("LOOP_1000_112B_1000.BIN", 300, image);
    std::string signal = signalFile("loop-signal.wav", image, TapeHeader{"LOOP", 0x1000, 0x112B, 0x1000});
    const std::size_t signalSamples = fileBytes(signal).size() - wavHeaderBytes;
    std::string wav = made_("aufnahme.wav");
    std::string bin = made_("LOOP_1000_112B_1000-zurueck.BIN");

    Capture capture;
    for (int attempt = 1; attempt <= 2; ++attempt) {
        DeleteFileA(wav.c_str());
        DeleteFileA(bin.c_str());
        capture = Capture{};
        ExchangeSession session;
        session.files = {testFilePath("aufnahme"), bin};
        session.answerBox = [](const SeenBox& box) {
            if (box.caption == "Anfrage" || box.caption == "WAV wurde konvertiert. Jetzt als BIN speichern?") return IDYES;
            if (box.caption == "WAV-->BV7" || box.caption == "Fehler") return IDOK;
            return 0;
        };
        session.run([&](HWND dialog) {
            if (attempt == 1) shoot(dialog, "exchange-idle");
            press(dialog, IDC_SND_RECORD);
            capture.armedPrompt = statusText(dialog, 0);
            // The meter runs as soon as the capture is armed.
            EXPECT_TRUE(pumpUntil([&] { return text(dialog, IDC_SND_LEVEL_TEXT) == "0 %"; }, 10000));
            if (attempt == 1) shoot(dialog, "exchange-armed");
            press(dialog, IDC_SND_START);
            capture.capturingPrompt = statusText(dialog, 0);
            ASSERT_TRUE(playWithServer(signal));
            // The whole signal and a second of silence behind it.
            const int wantedKb = static_cast<int>((signalSamples + 44100) / 1024);
            bool shot = attempt != 1;
            capture.reachedEnd = pumpUntil(
                [&] {
                    int level = number(text(dialog, IDC_SND_LEVEL_TEXT));
                    capture.highestLevel = std::max(capture.highestLevel, level);
                    COLORREF bar = static_cast<COLORREF>(
                        SendDlgItemMessageA(dialog, IDC_SND_LEVEL_METER, PBM_GETBARCOLOR, 0, 0));
                    if (bar != meterColour(level)) ++capture.wrongColours;
                    if (!shot && level > 50) {
                        shot = true;
                        shoot(dialog, "exchange-capturing");
                    }
                    return number(statusText(dialog, 1)) >= wantedKb;
                },
                60000);
            press(dialog, IDC_SND_STOP);
            EXPECT_TRUE(isIdle(dialog));
        });
        capture.boxes = session.boxes;
        capture.offered = session.offered;
        if (GetFileAttributesA(bin.c_str()) != INVALID_FILE_ATTRIBUTES) break;
    }
    EXPECT_EQ(capture.armedPrompt, "WAV Aufnahme ist vorbereitet, mit <START> beginnt das Einlesen.");
    EXPECT_EQ(capture.capturingPrompt, "Aufnahme läuft, <STOPP> beendet das Einlesen.");
    EXPECT_TRUE(capture.reachedEnd) << "the recording grew to the signal's length within 60 s";
    EXPECT_GT(capture.highestLevel, 50) << "the meter showed the sound";
    EXPECT_EQ(capture.wrongColours, 0) << "red up to 82, dark green above";
    // Kept beside the pictures, for a look at what the cable delivered.
    if (!screenshotFolder().empty()) CopyFileA(wav.c_str(), (screenshotFolder() + "\\recorded.wav").c_str(), FALSE);
    std::string said;
    for (const SeenBox& box : capture.boxes) said += "\n  " + box.caption + ": " + box.text;
    ASSERT_EQ(capture.boxes.size(), 3u) << said;
    EXPECT_TRUE(isBox(capture.boxes[0], "Anfrage", "Aufnahme wurde als WAV gespeichert. Jetzt in BIN konvertieren?", nullptr));
    EXPECT_EQ(capture.boxes[1].caption, "WAV wurde konvertiert. Jetzt als BIN speichern?");
    ASSERT_EQ(capture.offered.size(), 2u);
    EXPECT_EQ(capture.offered[0], "proggi.wav");
    EXPECT_EQ(capture.offered[1], "LOOP_1000_112B_1000.BIN");
    EXPECT_EQ(fileBytes(bin), image);
    std::vector<std::uint8_t> recorded = fileBytes(wav);
    ASSERT_GT(recorded.size(), wavHeaderBytes + signalSamples);
    EXPECT_EQ(recorded[24] | recorded[25] << 8, 44100);
    EXPECT_EQ(GetFileAttributesA(tempWavPath().c_str()), INVALID_FILE_ATTRIBUTES) << "moved, not copied";
}

// "Ausgabe an BV7/Kassette" with a WAV file: the duration of the file, the
// progress bar, and idle again when the sound has ended.
TEST_F(ExchangeDialogTest, LoopbackPlaysAWavFileWithItsDuration) {
    if (!withCable()) GTEST_SKIP() << "needs the audio cable of scripts/with-audio";
    std::vector<std::uint8_t> image;
    binFile("DAUER_1000_13FF_1000.BIN", 1024, image);
    std::string signal = signalFile("dauer.wav", image, TapeHeader{"DAUER", 0x1000, 0x13FF, 0x1000});
    const std::uint32_t milliseconds =
        static_cast<std::uint32_t>((fileBytes(signal).size() - wavHeaderBytes) * 1000ull / 44100);
    ExchangeSession session;
    session.files = {signal};
    std::string duration, prompt;
    int progress = 0;
    bool ended = false;
    session.run([&](HWND dialog) {
        press(dialog, IDC_SND_OUTPUT);
        press(dialog, IDC_SND_START);
        prompt = statusText(dialog, 0);
        duration = statusText(dialog, 1);
        EXPECT_TRUE(shown(dialog, IDC_SND_ABORT));
        EXPECT_FALSE(enabled(dialog, IDC_SND_START));
        EXPECT_FALSE(shown(dialog, IDC_SND_BACK));
        EXPECT_TRUE(pumpUntil([&] {
            progress = static_cast<int>(SendDlgItemMessageA(dialog, IDC_SND_PROGRESS, PBM_GETPOS, 0, 0));
            return progress > 1000;
        }, 10000));
        shoot(dialog, "exchange-playing");
        ended = pumpUntil([&] { return shown(dialog, IDC_SND_BACK); }, milliseconds + 15000);
        EXPECT_TRUE(isIdle(dialog));
        EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_SND_PROGRESS, PBM_GETPOS, 0, 0), 0);
        EXPECT_EQ(statusText(dialog, 1), " ");
    });
    EXPECT_EQ(prompt, signal);
    EXPECT_EQ(duration, durationText(milliseconds));
    EXPECT_GT(progress, 1000);
    EXPECT_TRUE(ended) << "back to idle after the sound";
    EXPECT_TRUE(session.boxes.empty());
}

// The test tone comes out of the cable at 1470 Hz.
TEST_F(ExchangeDialogTest, LoopbackTestToneSoundsAt1470Hz) {
    if (!withCable()) GTEST_SKIP() << "needs the audio cable of scripts/with-audio";
    std::vector<std::uint8_t> heard(44100);
    bool recorded = false;
    ExchangeSession session;
    session.run([&](HWND dialog) {
        press(dialog, IDC_SND_TEST_TONE);
        WAVEFORMATEX format{WAVE_FORMAT_PCM, 1, 44100, 44100, 1, 8, 0};
        HWAVEIN input = nullptr;
        ASSERT_EQ(waveInOpen(&input, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
        WAVEHDR header{};
        header.lpData = reinterpret_cast<LPSTR>(heard.data());
        header.dwBufferLength = static_cast<DWORD>(heard.size());
        waveInPrepareHeader(input, &header, sizeof header);
        waveInAddBuffer(input, &header, sizeof header);
        waveInStart(input);
        recorded = pumpUntil([&] { return (header.dwFlags & WHDR_DONE) != 0; }, 10000);
        waveInReset(input);
        waveInUnprepareHeader(input, &header, sizeof header);
        waveInClose(input);
        press(dialog, IDC_SND_TEST_TONE);
    });
    ASSERT_TRUE(recorded);
    // The distances between rising crossings of the centre line: one period
    // of 1470 Hz is 30 samples at 44100. The loop may leave short gaps
    // between its repeats; the most frequent distance is the period.
    std::vector<int> distances;
    std::size_t last = 0;
    for (std::size_t i = 0; i + 1 < heard.size(); ++i)
        if (heard[i] <= 0x80 && heard[i + 1] > 0x80) {
            if (last) distances.push_back(static_cast<int>(i - last));
            last = i;
        }
    ASSERT_GT(distances.size(), 300u) << "the tone sounded for at least a fifth of the second";
    std::sort(distances.begin(), distances.end());
    EXPECT_EQ(distances[distances.size() / 2], 30) << "44100 / 1470";
}

// "Stopp" after three minutes: the recording is turned into a WAV file and
// moved to its name whole, whatever is pressed behind the question that follows. The raw file is filled up to three minutes' worth
// of samples behind the blocks the cable delivered, so the run does not take
// three minutes; the work after "Stopp" is the same. The time from "Stopp" to
// the question after the move is printed (it includes the chooser and the
// test's 50 ms answer timers), not checked.
TEST_F(ExchangeDialogTest, LoopbackStopKeepsAThreeMinuteRecordingWhole) {
    if (!withCable()) GTEST_SKIP() << "needs the audio cable of scripts/with-audio";
    std::string wav = made_("drei-minuten.wav");
    ExchangeSession session;
    session.files = {wav};
    // "Stopp" and "Abbruch" pressed again behind the question after the move
    // change nothing: one question, no "Aufgezeichnung abgebrochen", one header.
    session.answerBox = [&session](const SeenBox& box) {
        if (box.caption != "Anfrage") return 0;
        press(session.dialog, IDC_SND_STOP);
        press(session.dialog, IDC_SND_ABORT);
        return IDNO;
    };
    DWORD stopped = 0;
    std::size_t rawBytes = 0;
    session.run([&](HWND dialog) {
        press(dialog, IDC_SND_RECORD);
        press(dialog, IDC_SND_START);
        // SPULWERK_RECORD_SECONDS records that long for real instead.
        if (const char* seconds = std::getenv("SPULWERK_RECORD_SECONDS")) {
            const int wantedKb = std::atoi(seconds) * 44100 / 1024;
            ASSERT_TRUE(pumpUntil([&] { return number(statusText(dialog, 1)) >= wantedKb; },
                                  static_cast<DWORD>(std::atoi(seconds)) * 1000 + 30000));
            rawBytes = fileBytes(tempWavPath()).size();
            stopped = GetTickCount();
            press(dialog, IDC_SND_STOP);
            return;
        }
        ASSERT_TRUE(pumpUntil([&] { return number(statusText(dialog, 1)) >= 8; }, 10000));
        std::vector<char> filler(180 * 44100, static_cast<char>(0x80));
        HANDLE file = CreateFileA(tempWavPath().c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        WriteFile(file, filler.data(), static_cast<DWORD>(filler.size()), &written, nullptr);
        CloseHandle(file);
        WIN32_FILE_ATTRIBUTE_DATA attributes{};
        GetFileAttributesExA(tempWavPath().c_str(), GetFileExInfoStandard, &attributes);
        rawBytes = attributes.nFileSizeLow;
        stopped = GetTickCount();
        press(dialog, IDC_SND_STOP);
    });
    ASSERT_EQ(session.boxes.size(), 1u);
    EXPECT_EQ(session.boxes[0].caption, "Anfrage");
    EXPECT_GE(rawBytes, 180u * 44100);
    EXPECT_EQ(fileBytes(wav).size(), wavHeaderBytes + rawBytes + (rawBytes & 1)) << "every byte kept";
    std::printf("from Stopp to the saved WAV of %u bytes of recording: %lu ms\n", static_cast<unsigned>(rawBytes),
                static_cast<unsigned long>(session.boxTicks[0] - stopped));
}

// "Abbruch" while only armed ends quietly; while recording it says so.
TEST_F(ExchangeDialogTest, LoopbackAbbruchDiscardsARecordingWithAWord) {
    if (!withCable()) GTEST_SKIP() << "needs the audio cable of scripts/with-audio";
    ExchangeSession session;
    session.driver.answers = {IDOK};
    std::size_t boxesWhenArmed = 99;
    session.run([&](HWND dialog) {
        press(dialog, IDC_SND_RECORD);
        EXPECT_FALSE(enabled(dialog, IDC_SND_TEST_TONE));
        press(dialog, IDC_SND_ABORT);
        boxesWhenArmed = session.boxes.size();
        EXPECT_TRUE(isIdle(dialog));
        press(dialog, IDC_SND_RECORD);
        press(dialog, IDC_SND_START);
        EXPECT_TRUE(shown(dialog, IDC_SND_STOP));
        EXPECT_FALSE(enabled(dialog, IDC_SND_START));
        EXPECT_TRUE(pumpUntil([&] { return number(statusText(dialog, 1)) >= 4; }, 10000));
        press(dialog, IDC_SND_ABORT);
        EXPECT_TRUE(isIdle(dialog));
        EXPECT_EQ(statusText(dialog, 1), " ");
    });
    EXPECT_EQ(boxesWhenArmed, 0u);
    ASSERT_EQ(session.boxes.size(), 1u);
    EXPECT_TRUE(isBox(session.boxes[0], "Spulwerk Vers. 0.9e", "Aufgezeichnung abgebrochen", session.dialog));
}

// A recording whose naming was cancelled stays in "temp.wav"; neither the
// next recording nor leaving the dialog takes it away without a question.
TEST_F(ExchangeDialogTest, LoopbackARecordingLeftInTempWavIsNotLostSilently) {
    if (!withCable()) GTEST_SKIP() << "needs the audio cable of scripts/with-audio";
    ExchangeSession session;
    session.files = {""};
    session.driver.answers = {IDNO, IDNO};
    std::size_t kept = 0, keptAfterNo = 0;
    bool stillOpen = false;
    session.run([&](HWND dialog) {
        press(dialog, IDC_SND_RECORD);
        press(dialog, IDC_SND_START);
        ASSERT_TRUE(pumpUntil([&] { return number(statusText(dialog, 1)) >= 4; }, 10000));
        press(dialog, IDC_SND_STOP);
        EXPECT_TRUE(isIdle(dialog));
        kept = fileBytes(tempWavPath()).size();
        press(dialog, IDC_SND_RECORD);
        press(dialog, IDC_SND_START);   // No: the recording stays
        EXPECT_TRUE(enabled(dialog, IDC_SND_START));
        EXPECT_FALSE(shown(dialog, IDC_SND_STOP));
        keptAfterNo = fileBytes(tempWavPath()).size();
        press(dialog, IDC_SND_ABORT);
        press(dialog, IDC_SND_BACK);   // No: the dialog stays
        stillOpen = IsWindow(dialog) && IsWindowVisible(dialog);
        session.driver.answers = {IDYES};
    });
    EXPECT_GE(kept, wavHeaderBytes + 4096) << "a WAV file with the recording";
    EXPECT_EQ(keptAfterNo, kept);
    EXPECT_TRUE(stillOpen);
    ASSERT_EQ(session.boxes.size(), 3u);
    for (const SeenBox& box : session.boxes) EXPECT_EQ(box.caption, "Anfrage");
    EXPECT_NE(session.boxes[0].text.find("Überschreiben?"), std::string::npos);
    EXPECT_NE(session.boxes[1].text.find("Trotzdem schließen?"), std::string::npos);
    EXPECT_EQ(session.boxes[2].text, session.boxes[1].text);
}

// "Ausgabe an BV7/Kassette" through the program's own playback, with a BIN,
// with the encoder's WAV and with the same signal as a 16-bit stereo WAV:
// what reaches the cable is read back by the program's own reader to the last
// byte, name and addresses included. A run the cable spoiled (an underrun on a
// busy machine) is repeated once, and said so; its recording stays beside the
// pictures. SPULWERK_PLAY_RUNS=N plays each N times without repeats. It comes
// last, when Wine has settled after its start.
TEST_F(ExchangeDialogTest, LoopbackOutputReachesTheCableWhole) {
    if (!withCable()) GTEST_SKIP() << "needs the audio cable of scripts/with-audio";
    std::vector<std::uint8_t> image;
    const TapeHeader header{"KABEL", 0x4000, 0x40FF, 0x4100};
    const std::string bin = binFile("KABEL_4000_40FF_4100.BIN", 256, image);
    const std::vector<std::uint8_t> signal = encodeRecordSamples(image, header, 14);
    const std::string wav = signalFile("kabel.wav", image, header);
    std::vector<std::uint8_t> stereo;
    for (std::uint8_t sample : signal)
        for (int channel = 0; channel < 2; ++channel) stereo.insert(stereo.end(), {0, static_cast<std::uint8_t>(sample ^ 0x80)});
    AudioFormat stereoFormat{1, 2, 44100, 44100 * 4, 4, 16, 0};
    std::vector<std::uint8_t> stereoFile = makeWavFileBytes(stereoFormat, stereo.data(), static_cast<std::uint32_t>(stereo.size()));
    const std::string stereoWav = made_("kabel-stereo.wav");
    writeTestFile("kabel-stereo.wav", std::string(stereoFile.begin(), stereoFile.end()));

    const char* runsText = std::getenv("SPULWERK_PLAY_RUNS");
    const int runs = runsText ? std::max(1, std::atoi(runsText)) : 1;
    for (const auto& [what, source] : {std::pair{"BIN", bin}, std::pair{"WAV", wav}, std::pair{"WAV-16-Bit-Stereo", stereoWav}}) {
        int whole = 0;
        for (int run = 1; run <= runs; ++run) {
            CablePlayback played = playIntoCable(source, signal);
            testing::AssertionResult result = deliveredWhole(played, header, image);
            if (!result) keepBesideShots("cable-" + std::string(what) + "-" + std::to_string(run) + ".wav", played.cable);
            if (!result && runs == 1) {
                std::printf("Ausgabe %s: repeated once after:%s\n", what, result.message());
                played = playIntoCable(source, signal);
                result = deliveredWhole(played, header, image);
            }
            std::printf("Ausgabe %s, run %d: %s%s\n", what, run, result ? "read back whole, " : "FAILED:", result.message());
            EXPECT_TRUE(result) << what;
            whole += result ? 1 : 0;
        }
        std::printf("Ausgabe %s: %d of %d playbacks read back whole\n", what, whole, runs);
    }
}
