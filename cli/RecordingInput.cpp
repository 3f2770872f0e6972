#include "cli/RecordingInput.h"

#include <memory>
#include <utility>
#include <vector>

#include "cli/CliSupport.h"
#include "cli/SoundFileImport.h"
#include "shell/GlobalSettings.h"
#include "shell/StringTable.h"
#include "tape/FloatWav.h"
#include "tape/SideStream.h"
#include "tape/WavStream.h"

ReadingOptions settingsReadingOptions(bool exact) {
    ReadingOptions options;
    options.triggerLevel = globalSettings().triggerLevel;
    options.exact = exact;
    return options;
}

std::string recordingName(const std::string& path) { return cli::isStandardStream(path) ? "Standardeingabe" : path; }

bool readRecordingSamples(const std::string& path, WavSamples& wav, std::ostream& err) {
    std::vector<std::uint8_t> bytes;
    if (!cli::readInput(path, bytes, loadString(str::cannotOpenWav), err)) return false;
    std::string problem, warning;
    SoundFileFormat format;
    if (importSoundFile(bytes, problem, warning, &format) == ImportResult::Failed) {
        err << "Fehler: " << problem << " (" << recordingName(path) << ")\n";
        return false;
    }
    if (!warning.empty()) err << "Warnung: " << warning << " (" << recordingName(path) << ")\n";
    wav = adoptAnyWavSamples(std::move(bytes));
    if (format.lossy) wav.codec = format.codec, wav.container = format.container;
    if (!wav.error) return true;
    err << "Fehler: " << wavErrorText(wav) << " (" << recordingName(path) << ")\n";
    return false;
}

namespace {
// A file read a stretch at a time: a WAV file, or another sound file through
// the sound-file library. False where it must be read whole (standard input,
// a file whose layout is not in its head, one the library does not take):
// the whole reading then says what is wrong.
bool readSideInStretches(const std::string& path, const ReadingOptions& options, SideReading& side, bool& failed,
                         std::ostream& err) {
    if (cli::isStandardStream(path)) return false;
    WavOpening wav = openWavStream(path);
    if (wav.read != ReadOutcome::Ok) return false;
    std::unique_ptr<SoundSource> source = std::move(wav.source);
    if (!source && wav.layout.error != str::riffNotFound) return false;
    if (!source) {
        std::string problem;
        const ImportResult imported = openSoundSource(path, source, problem);
        if (imported == ImportResult::NotASoundFile) return false;
        const std::string unusable = imported == ImportResult::Failed ? problem
                                     : unusableRate(source->rate()).empty()
                                         ? std::string()
                                         : loadString(str::audioUnusable) + ": " + unusableRate(source->rate());
        if (!unusable.empty()) {
            err << "Fehler: " << unusable << " (" << recordingName(path) << ")\n";
            failed = true;
            return true;
        }
    }
    side = readSideStream(*source, options, recordingName(path));
    if (!source->warning().empty()) err << "Warnung: " << source->warning() << " (" << recordingName(path) << ")\n";
    return true;
}
}

bool readRecordingSide(const std::string& path, const ReadingOptions& options, SideReading& side, std::ostream& err) {
    bool failed = false;
    if (readSideInStretches(path, options, side, failed, err)) return !failed;
    WavSamples wav;
    if (!readRecordingSamples(path, wav, err)) return false;
    side = readSide(wav.samples, wav.rate, sourceFactsOf(wav), options, recordingName(path));
    return true;
}
