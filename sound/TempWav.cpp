#include "sound/TempWav.h"

#include <optional>
#include <vector>

#include "shell/CommonServices.h"
#include "shell/FileIo.h"
#include "sound/ExchangeFlows.h"
#include "sound/SampleRate.h"
#include "tape/WavFile.h"

namespace {
const std::string tempWavName = "temp.wav";
std::string tempPath = tempWavName;
bool recordingInTempWav = false;   // for the whole run, like the file itself

bool holdsRecording() { return recordingInTempWav && fileExists(tempPath); }

// The start of the questions about a recording still in "temp.wav".
std::string recordingLeftText() { return "Die letzte Aufnahme liegt ungespeichert in\r\n" + tempPath; }
}

const std::string& tempWavPath() { return tempPath; }
void placeTempWavIn(const std::string& directory) { tempPath = directory + "\\" + tempWavName; }
void setTempWavPath(const std::string& path) { tempPath = path; }

int appendRawCapture(const std::uint8_t* block, std::size_t size) {
    switch (appendFile(tempPath, block, size)) {
    case WriteOutcome::Ok: return 0;
    case WriteOutcome::CannotCreate:
    case WriteOutcome::CannotReplace: ui().trace("Fehler beim Öffnen " + tempWavName); return -1;
    case WriteOutcome::ShortWrite: ui().trace("Fehler beim Schreiben " + tempWavName); return -1;
    }
    return -1;
}

int convertRawCaptureToWav() {
    std::vector<std::uint8_t> raw;
    switch (readFile(tempPath, raw)) {
    case ReadOutcome::Ok: break;
    case ReadOutcome::CannotOpen:
    case ReadOutcome::NotRegularFile: ui().trace("Kann Rohdaten nicht öffnen"); return -1;
    case ReadOutcome::OutOfMemory: ui().trace("Speicher nicht ausreichend"); return -1;
    }
    if (raw.empty()) {
        ui().trace("Fehler beim Einlesen");
        return -1;
    }
    if (raw.size() > maxWavSampleCount) {
        ui().trace("Speicher nicht ausreichend");
        return -1;
    }
    // The recording is the only copy: it is replaced only by a complete WAV file.
    auto count = static_cast<std::uint32_t>(raw.size());
    auto header = makeWavHeader(currentAudioFormat(), count);
    const std::uint8_t pad = 0;
    switch (replaceFile(tempPath, {ByteView(header), ByteView(raw), ByteView(&pad, count & 1)})) {
    case WriteOutcome::Ok: return 0;
    case WriteOutcome::CannotCreate: ui().trace("Fehler bei open"); return -1;
    case WriteOutcome::ShortWrite: ui().trace("Fehler beim Datenschreiben"); return -1;
    case WriteOutcome::CannotReplace: ui().trace("Fehler beim Umbenennen " + tempWavName); return -1;
    }
    return -1;
}

int nameTempWav(const std::string& target) {
    if (moveReplacing(tempPath, target)) return 0;
    ui().ask(Message{"Fehler beim Benennen des WAV", "Fehler", mb::ok, nullptr});
    return -1;
}

bool recordingLeftInTempWav() { return recordingInTempWav; }
void setRecordingLeftInTempWav(bool left) { recordingInTempWav = left; }

bool mayOverwriteTempWav(WindowRef owner) {
    if (holdsRecording() &&
        ui().ask(Message{recordingLeftText() + "\r\nÜberschreiben?", "Anfrage", mb::yesNo, owner}) != Answer::Yes)
        return false;
    recordingInTempWav = false;
    return true;
}

bool mayCloseWithTempRecording(WindowRef owner) {
    if (!holdsRecording()) return true;
    return ui().ask(Message{recordingLeftText() + "\r\nund wird beim Programmende erst nach Rückfrage gelöscht. Trotzdem schließen?",
                            "Anfrage", mb::yesNo, owner}) == Answer::Yes;
}

bool mayEndWithTempRecording(WindowRef owner) {
    if (!holdsRecording()) return true;
    switch (ui().ask(Message{recordingLeftText() + "\r\nErst speichern?", "Anfrage", mb::yesNoCancel, owner})) {
    case Answer::Yes: {
        offerFileName("proggi.wav");
        std::optional<std::string> target = chooseWavTarget(owner, "Aufnahme speichern unter");
        if (!target || nameTempWav(*target) != 0) return false;
        recordingInTempWav = false;
        return true;
    }
    case Answer::No: recordingInTempWav = false; return true;
    default: return false;
    }
}

void removeTempWav() {
    if (!holdsRecording()) removeFile(tempPath);
}
