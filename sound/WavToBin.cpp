#include "sound/WavToBin.h"

#include "shell/CommonServices.h"
#include "shell/FileIo.h"
#include "shell/GlobalSettings.h"
#include "shell/OverwriteQuestion.h"
#include "shell/StringTable.h"
#include "sound/SampleRate.h"
#include "tape/BinFileName.h"
#include "tape/SideReading.h"
#include "tape/WavFile.h"

namespace {
DecodeOutcome cannotWrite(const char* traceLine) {
    ui().trace(traceLine);
    showStringError(str::cannotWriteBinary);
    return DecodeOutcome::CannotWrite;
}

// The recording's rate becomes the current format, as a capture or an
// encoding would select it; the status shows the rate the file states.
void selectRateOf(const WavSamples& wav) {
    selectSampleRate(wav.rate);
    if (wav.fileRate != wav.rate) ui().setStatus(sampleRateStatusPart, sampleRateStatusText(wav.fileRate));
}
}

DecodeOutcome saveDecodedImage(const DecodedRecord& record, WindowRef owner) {
    const std::string proposal = binNameFor(record.header);
    const std::string filter = makeFilter({"Binärdateien (*.bin)", "*.bin"});
    for (;;) {
        offerFileName(proposal);
        std::optional<std::string> confirmed = chooseSaveFile(owner, "Binärdatei speichern unter", filter);
        if (!confirmed) return DecodeOutcome::NotSaved;
        std::string chosen = *confirmed;
        if (!hasExtension(chosen, ".bin")) chosen += ".BIN";
        switch (askBeforeOverwriting(chosen, nullptr, OverwriteStyle::ChooseAgain)) {
        case OverwriteAnswer::Write: break;
        case OverwriteAnswer::AnotherName: continue;
        case OverwriteAnswer::Cancelled: return DecodeOutcome::NotSaved;
        }
        switch (writeFile(chosen, record.image.data(), record.image.size())) {
        case WriteOutcome::Ok: break;
        case WriteOutcome::CannotCreate:
        case WriteOutcome::CannotReplace: return cannotWrite("Kann BIN-Datei nicht schreiben");
        case WriteOutcome::ShortWrite: return cannotWrite("Fehler beim Schreiben BIN");
        }
        ui().ask(Message{"Binärdatei erfolgreich geschrieben", "WAV-->BV7", mb::ok, owner});
        return DecodeOutcome::Saved;
    }
}

DecodeOutcome decodeWavToBin(const std::string& path, HeaderFieldSink* fields, WindowRef owner) {
    SideReading side;
    {
        WavSamples wav = readWavSamples(path);
        if (wav.error) showStringError(wav.error);
        if (wav.rate != 0) selectRateOf(wav);
        if (wav.error) return DecodeOutcome::Failed;
        ReadingOptions options;
        options.triggerLevel = globalSettings().triggerLevel;
        options.fields = fields;
        side = readSide(wav.samples, wav.rate, sourceFactsOf(wav), options, path);
    }   // the samples are released here, before any box
    const ReadRecord& read = side.records.front();
    const DecodedRecord& record = read.reading;
    if (record.status != DecodeStatus::Ok) {
        showStringError(decodeStatusMessage(record.status));
        return DecodeOutcome::Failed;
    }
    if (!read.whole) {
        ui().ask(Message{faultyReportText(record), "Fehler", mb::ok, owner});
        return DecodeOutcome::Faulty;
    }
    Answer answer = ui().ask(Message{decodeReportText(record), "WAV wurde konvertiert. Jetzt als BIN speichern?",
                                     mb::yesNo, owner});
    if (answer != Answer::Yes) return DecodeOutcome::NotSaved;
    return saveDecodedImage(record, owner);
}
