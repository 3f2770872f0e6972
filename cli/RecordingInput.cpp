#include "cli/RecordingInput.h"

#include <utility>
#include <vector>

#include "cli/CliSupport.h"
#include "cli/SoundFileImport.h"
#include "shell/GlobalSettings.h"
#include "shell/StringTable.h"

bool readRecording(const std::string& path, RecordingInput& recording, std::ostream& err) {
    std::vector<std::uint8_t> bytes;
    if (!cli::readInput(path, bytes, loadString(str::cannotOpenWav), err)) return false;
    std::string problem;
    if (importSoundFile(bytes, problem) == ImportResult::Failed) {
        err << "Fehler: " << problem << " (" << path << ")\n";
        return false;
    }
    recording.wav = adoptWavSamples(std::move(bytes));
    if (recording.wav.error) {
        err << "Fehler: " << loadString(recording.wav.error) << " (" << (cli::isStandardStream(path) ? "Standardeingabe" : path)
            << ")\n";
        return false;
    }
    // The threshold of the recording's own rate, known once it is read.
    recording.settings = decoderSettingsAt(recording.wav.rate, globalSettings().triggerLevel);
    return true;
}
