#include "sound/ExchangeFlows.h"

#include "shell/CommonServices.h"
#include "shell/FileIo.h"
#include "shell/HexText.h"
#include "shell/OverwriteQuestion.h"
#include "shell/StringTable.h"
#include "sound/ExchangeState.h"
#include "sound/TempWav.h"
#include "tape/BinFileName.h"

namespace {
const char* const wavFilterPair[] = {"WAV-Audio-Dateien (*.wav)", "*.wav"};

std::string wavFilter() { return makeFilter({wavFilterPair[0], wavFilterPair[1]}); }

// The name made fit for the tape; what changed in one box.
void normaliseName(std::string& name) {
    const std::string changes = normaliseProgramName(name);
    if (!changes.empty()) ui().ask(Message{changes, "Fehler", mb::ok, nullptr});
}
}

std::optional<std::string> chooseWavTarget(WindowRef owner, const std::string& title) {
    for (;;) {
        std::optional<std::string> confirmed = chooseSaveFile(owner, title, wavFilter());
        if (!confirmed) return std::nullopt;
        std::string chosen = *confirmed;
        if (!hasExtension(chosen, ".wav")) chosen += ".wav";
        switch (askBeforeOverwriting(chosen, nullptr, OverwriteStyle::ChooseAgain)) {
        case OverwriteAnswer::Write: return chosen;
        case OverwriteAnswer::AnotherName: break;
        case OverwriteAnswer::Cancelled: return std::nullopt;
        }
    }
}

std::optional<ConversionFiles> chooseConversionFiles(WindowRef owner) {
    std::optional<std::string> source = chooseOpenFile(
        owner, "Binärdatei auswählen", makeFilter({"Binärdateien (*.bin)", "*.bin", "Alle Dateien (*.*)", "*.*"}));
    if (!source) return std::nullopt;
    ConversionFiles files;
    files.source = *source;
    ui().setStatus(promptPart, files.source);
    offerFileName(proposeWavFileName(files.source));
    std::optional<std::string> target = chooseWavTarget(owner, "WAV speichern unter");
    if (!target) return std::nullopt;
    files.target = *target;
    return files;
}

std::optional<std::string> chooseOutputSource(WindowRef owner) {
    return chooseOpenFile(owner, "Binärdatei auswählen",
                          makeFilter({"Binär-/Wav-Dateien (*.bin, *.wav)", "*.bin;*.wav", "Binärdateien (*.bin)", "*.bin",
                                      wavFilterPair[0], wavFilterPair[1], "Alle Dateien (*.*)", "*.*"}));
}

std::optional<std::string> chooseWavToDecode(WindowRef owner) {
    return chooseOpenFile(owner, "Wähle eine WAV-Datei:", wavFilter());
}

TapeHeader headerOfBinSource(const std::string& path, WindowRef owner) {
    TapeHeader header;
    if (!parseBinFileName(path, header)) {
        header = TapeHeader{"unbenannt", 0, 0, 0};
        ui().ask(Message{"Der BIN-Dateiname enthielt keine (korrekt strukturierten) Angaben.\r\n"
                         "Du musst jetzt noch Programmname sowie Adressen anpassen",
                         "Ton-Ausgabe ist vorbereitet", mb::ok, owner});
        return header;
    }
    normaliseName(header.name);
    return header;
}

std::optional<TapeHeader> headerOfFields(const std::string& name, const std::string& aa, const std::string& ea,
                                         const std::string& sa) {
    TapeHeader header;
    std::uint16_t* targets[] = {&header.aa, &header.ea, &header.sa};
    const std::string* texts[] = {&aa, &ea, &sa};
    for (int i = 0; i < 3; ++i) {
        int value = parseHexAddress(*texts[i]);
        if (value < 0) {
            showStringError(str::badHexAddress);
            return std::nullopt;
        }
        *targets[i] = static_cast<std::uint16_t>(value);
    }
    header.name = name;
    normaliseName(header.name);
    return header;
}

KeptRecording keepRecording(WindowRef owner) {
    KeptRecording kept;
    setRecordingLeftInTempWav(true);
    if (convertRawCaptureToWav() != 0) {   // the cause is on the trace
        ui().ask(Message{"Die Aufnahme konnte nicht in eine WAV-Datei umgewandelt werden.\r\nDie Rohdaten bleiben in\r\n" +
                             tempWavPath(),
                         "Fehler", mb::ok, owner});
        return kept;
    }
    offerFileName("proggi.wav");
    std::optional<std::string> target = chooseWavTarget(owner, "Aufzeichnung beendet. Als WAV-Datei speichern unter");
    if (!target || nameTempWav(*target) != 0) return kept;
    setRecordingLeftInTempWav(false);
    kept.saved = true;
    kept.path = *target;
    Answer answer = ui().ask(Message{"Aufnahme wurde als WAV gespeichert. Jetzt in BIN konvertieren?", "Anfrage",
                                     mb::yesNo, nullptr});
    kept.convertNow = answer == Answer::Yes;
    return kept;
}
