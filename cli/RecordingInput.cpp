#include "cli/RecordingInput.h"

#include <utility>
#include <vector>

#include "cli/CliSupport.h"
#include "cli/SoundFileImport.h"
#include "shell/GlobalSettings.h"
#include "shell/StringTable.h"
#include "tape/FloatWav.h"

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

bool readRecordingSide(const std::string& path, const ReadingOptions& options, SideReading& side, std::ostream& err) {
    WavSamples wav;
    if (!readRecordingSamples(path, wav, err)) return false;
    side = readSide(wav.samples, wav.rate, sourceFactsOf(wav), options, recordingName(path));
    return true;
}
