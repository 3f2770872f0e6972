#include "sound/BinToWav.h"

#include <memory>
#include <new>

#include "shell/CommonServices.h"
#include "shell/FileIo.h"
#include "shell/StringTable.h"
#include "shell/UserInterface.h"
#include "sound/SampleRate.h"
#include "sound/TempWav.h"
#include "tape/Encoder.h"
#include "tape/WavFile.h"

namespace {
int failed() {
    ui().ask(Message{"WAV-Daten konnten nicht berechnet werden", "Fehler", mb::ok, nullptr});
    return -1;
}

// The trace line of a WAV file that could not be written.
const char* wavWriteFailureLine(WavWriteOutcome outcome) {
    switch (outcome) {
    case WavWriteOutcome::TooManySamples: return "Fehler bei RIFF";
    case WavWriteOutcome::CannotCreate: return "Fehler bei open";
    case WavWriteOutcome::Written:
    case WavWriteOutcome::ShortWrite: break;
    }
    return "Fehler bei Daten";
}
}

int encodeStandardWav(EncodeVariant variant, const std::string& binPath, const TapeHeader& header, WavPlayer* player) {
    selectSampleRate(44100);
    auto image = loadWholeFile(binPath);
    if (!image) return failed();

    std::size_t capacity = encoderBufferSize(image->size());
    std::unique_ptr<std::uint8_t[]> samples(capacity ? new (std::nothrow) std::uint8_t[capacity] : nullptr);
    if (!samples) {
        showStringError(str::outOfMemory);
        return failed();
    }
    std::size_t count = encodeRecordInto(image->data.data(), image->data.size(), header, currentHalfCellSamples(),
                                         samples.get());
    if (count > maxWavSampleCount) {
        ui().trace("Fehler bei RIFF");
        return failed();
    }
    WavWriteOutcome written =
        writeWavFile(tempWavPath(), currentAudioFormat(), samples.get(), static_cast<std::uint32_t>(count));
    samples.reset();
    image.reset();
    if (written != WavWriteOutcome::Written) {
        ui().trace(wavWriteFailureLine(written));
        return failed();
    }

    if (variant == EncodeVariant::Write) {
        ui().ask(Message{"WAV-Daten erfolgreich geschrieben", "BV7-->WAV", mb::ok, nullptr});
        return 0;
    }
    if (!player) {
        ui().trace("Keine Tonausgabe für " + std::string(fileNamePart(tempWavPath())));
        return -1;
    }
    return player->play(tempWavPath()) == 0 ? 0 : -1;
}
