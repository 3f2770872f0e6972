// The interactive side of the decoder: the report boxes and the save flow.
#include <cctype>
#include <cstdio>
#include <cstring>
#include <memory>

#include "shell/FileHandle.h"
#include "hexdump/Crc16.h"
#include "shell/CommonServices.h"
#include "shell/GlobalSettings.h"
#include "shell/HexText.h"
#include "shell/StringTable.h"
#include "tape/AudioFormat.h"
#include "tape/BinFileName.h"
#include "tape/Decoder.h"
#include "tape/WavFile.h"

namespace {
bool endsWithBin(const std::string& name) {
    std::string tail = lastChars(name, 4);
    for (char& c : tail) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return tail == ".bin";
}

void offerName(const std::string& proposal) {
    FileNameBuffer& buffer = sharedFileName();
    std::size_t length = proposal.copy(buffer, fileNameBufferSize - 1);
    buffer[length] = '\0';
}

DecodeOutcome cannotWrite(const char* traceLine) {
    ui().trace(traceLine);
    showStringError(str::cannotWriteBinary);
    return DecodeOutcome::CannotWrite;
}
}

std::string decodeReportText(const DecodedRecord& record) {
    const std::vector<std::uint8_t>& image = record.image;
    return "Programmname:\t" + record.header.name + "\r\n" + "gelesene Blöcke: \t" + formatDecimal(record.blocks) +
           "\r\n" + "Programmlänge:\t" + formatDecimal(static_cast<std::int32_t>(image.size())) + "\r\n" +
           "Prüfsumme:\t" + formatHex4(crc16Sdlc(image.data(), image.size()));
}

std::string faultyReportText(const DecodedRecord& record) {
    return "Blöcke gelesen:\t" + formatDecimal(record.blocks) + "\r\n" + "davon fehlerhaft:\t" +
           formatDecimal(record.faulty);
}

DecodeOutcome saveDecodedImage(const DecodedRecord& record, WindowRef owner) {
    const std::string proposal = proposeBinFileName(record.header);
    const std::string filter = makeFilter({"Binärdateien (*.bin)", "*.bin"});
    for (;;) {
        offerName(proposal);
        if (!chooseSaveFile(owner, "Binärdatei speichern unter", filter)) return DecodeOutcome::NotSaved;
        std::string chosen = sharedFileName();
        if (!endsWithBin(chosen)) chosen += ".BIN";
        if (fileExists(chosen)) {
            Answer answer = ui().ask(Message{"Datei existiert schon. Überschreiben?", "Fehler", mb::yesNoCancel, nullptr});
            if (answer == Answer::No) continue;
            if (answer != Answer::Yes) return DecodeOutcome::NotSaved;
        }
        File file(std::fopen(chosen.c_str(), "wb"));
        if (!file) return cannotWrite("Kann BIN-Datei nicht schreiben");
        std::size_t total = record.image.size();
        bool written = total == 0 || std::fwrite(record.image.data(), 1, total, file.get()) == total;
        if (std::fclose(file.release()) != 0) written = false;
        if (!written) return cannotWrite("Fehler beim Schreiben BIN");
        ui().ask(Message{"Binärdatei erfolgreich geschrieben", "WAV-->BV7", mb::ok, owner});
        return DecodeOutcome::Saved;
    }
}

DecodeOutcome decodeWavToBin(const std::string& path, HeaderFieldSink* fields, WindowRef owner) {
    DecodedRecord record;
    {
        WavSamples wav = readWavSamples(path);
        if (wav.error) return DecodeOutcome::Failed;
        DecoderSettings settings;
        settings.threshold = currentStretchThreshold();
        settings.triggerLevel = globalSettings().triggerLevel;
        record = decodeRecord(wav.samples, settings, 0, fields);
    }   // the samples are released here, before any box
    if (record.status != DecodeStatus::Ok) {
        showStringError(decodeStatusMessage(record.status));
        return DecodeOutcome::Failed;
    }
    if (record.faulty > 0) {
        ui().ask(Message{faultyReportText(record), "Fehler", mb::ok, owner});
        return DecodeOutcome::Faulty;
    }
    Answer answer = ui().ask(Message{decodeReportText(record), "WAV wurde konvertiert. Jetzt als BIN speichern?",
                                     mb::yesNo, owner});
    if (answer != Answer::Yes) return DecodeOutcome::NotSaved;
    return saveDecodedImage(record, owner);
}
