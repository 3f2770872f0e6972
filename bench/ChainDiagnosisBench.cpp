#include "bench/ChainDiagnosisBench.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "bench/DegradationBench.h"
#include "bench/SignalDegrader.h"
#include "bench/TapeSideBench.h"
#include "bench/ToolChain.h"
#include "cli/RecordingInput.h"
#include "shell/FileIo.h"
#include "tape/Encoder.h"
#include "tape/RecordingDiagnosis.h"

namespace {
// Every record of the samples as bv7 check finds them, without the diagnosis.
std::vector<DecodedRecord> everyRecord(const WavSamples& wav) {
    ReadingOptions options = settingsReadingOptions(false);
    options.everyRecord = true;
    std::vector<DecodedRecord> records;
    for (ReadRecord& record : readSide(wav.samples, wav.rate, sourceFactsOf(wav), options).records)
        records.push_back(std::move(record.reading));
    return records;
}

constexpr std::uint32_t rate = 44100;
constexpr double pauseSeconds = 1;   // of blank tape before and after the record

// How a row's recording is made from the clean or worn signal.
enum class Make { Tool, Flutter, Dropouts, NoFault };

struct Row {
    const char* fault;
    Make make;
    const char* command;      // Tool: sox or ffmpeg; otherwise what the bench did
    FindingKind expected;     // ignored on the rows without a fault
    degrade::Faults wear{};   // NoFault: the recording's only wear
};

degrade::Faults hiss() {
    degrade::Faults faults;
    faults.tapeNoise = 0.05;   // the blank tape's hiss of the tape-side bench, against the peak
    return faults;
}
degrade::Faults dull() {
    degrade::Faults faults;
    faults.lowPassHz = 3000;
    return faults;
}
degrade::Faults dips() {
    degrade::Faults faults;
    faults.dipLevel = 0.3;
    return faults;
}
// The worn signal every fault is also made from: hiss and dull highs.
degrade::Faults worn() {
    degrade::Faults faults = hiss();
    faults.lowPassHz = dull().lowPassHz;
    return faults;
}

const Row rows[] = {
    {"Pegelautomatik (sox compand)", Make::Tool, "sox $IN -b 16 $OUT compand 0.3,1 6:-70,-60,-20 -5 -90 0.2",
     FindingKind::GainControl},
    {"Pegelautomatik (ffmpeg dynaudnorm)", Make::Tool, "ffmpeg -v error -i $IN -af dynaudnorm $OUT",
     FindingKind::GainControl},
    {"schnelle Pegelautomatik (ffmpeg dynaudnorm f=100 g=5)", Make::Tool,
     "ffmpeg -v error -i $IN -af dynaudnorm=f=100:g=5 $OUT", FindingKind::GainControl},
    {"schnelle Pegelautomatik (sox compand, 10 ms)", Make::Tool,
     "sox $IN -b 16 $OUT compand 0.01,0.2 6:-70,-60,-20 -5 -90 0.1", FindingKind::GainControl},
    // A phone's gain control works as the sound comes, without sox's look-ahead.
    {"schnelle Pegelautomatik ohne Vorlauf (sox compand, 10 ms, wie im Telefon)", Make::Tool,
     "sox $IN -b 16 $OUT compand 0.01,0.2 6:-70,-60,-20 -5 -90 0", FindingKind::GainControl},
    {"Rauschunterdrückung (ffmpeg afftdn)", Make::Tool, "ffmpeg -v error -i $IN -af afftdn $OUT", FindingKind::NoiseGate},
    {"Rauschunterdrückung (sox noisered, Profil aus der Pause)", Make::Tool,
     "sox $IN -n trim 0 0.9 noiseprof $MID.prof && sox $IN -b 16 $OUT noisered $MID.prof 0.3", FindingKind::NoiseGate},
    {"Rauschunterdrückung (ffmpeg afftdn nf=-30, Rauschen verfolgt)", Make::Tool,
     "ffmpeg -v error -i $IN -af afftdn=nf=-30:tn=1 $OUT", FindingKind::NoiseGate},
    {"Rauschsperre (ffmpeg agate)", Make::Tool, "ffmpeg -v error -i $IN -af agate $OUT", FindingKind::NoiseGate},
    {"Raumecho 150 ms, 0,3 des Pegels (Telefon neben dem Lautsprecher)", Make::Tool,
     "ffmpeg -v error -i $IN -af aecho=0.6:1:150:0.3 $OUT", FindingKind::Echo},
    {"Tiefpass 3,4 kHz (Telefon)", Make::Tool, "sox $IN -b 16 $OUT sinc -3400", FindingKind::BandLimit},
    {"MP3 32 kbit/s", Make::Tool,
     "ffmpeg -v error -i $IN -c:a libmp3lame -b:a 32k $MID.mp3 && ffmpeg -v error -i $MID.mp3 -ar 44100 $OUT",
     FindingKind::BandLimit},
    {"AAC 32 kbit/s", Make::Tool,
     "ffmpeg -v error -i $IN -c:a aac -b:a 32k $MID.m4a && ffmpeg -v error -i $MID.m4a -ar 44100 $OUT",
     FindingKind::BandLimit},
    {"AAC 32 kbit/s, M4A gelesen", Make::Tool, "ffmpeg -v error -i $IN -c:a aac -b:a 32k out.m4a", FindingKind::Codec},
    {"Opus 16 kbit/s, Ogg gelesen", Make::Tool, "ffmpeg -v error -i $IN -c:a libopus -b:a 16k out.ogg",
     FindingKind::Codec},
    {"GSM 6.10 in WAV (Telefonat, 8 kHz)", Make::Tool, "ffmpeg -v error -i $IN -ar 8000 -c:a libgsm_ms $OUT",
     FindingKind::Codec},
    {"Opus 16 kbit/s", Make::Tool,
     "ffmpeg -v error -i $IN -c:a libopus -b:a 16k $MID.opus && ffmpeg -v error -i $MID.opus -ar 44100 $OUT",
     FindingKind::BandLimit},
    {"Abtastrate 11025", Make::Tool, "sox $IN -b 16 $OUT rate 11025", FindingKind::LowRate},
    {"Abtastrate 8000", Make::Tool, "sox $IN -b 16 $OUT rate 8000", FindingKind::LowRate},
    {"nur ein Kanal (Stereo, rechts still)", Make::Tool, "sox $IN -b 16 $OUT remix 1 0", FindingKind::OneChannel},
    {"Kanäle gegenphasig", Make::Tool, "sox $IN -b 16 $OUT remix 1 1v-1", FindingKind::OppositePhase},
    {"Geschwindigkeit +6 %", Make::Tool, "sox $IN -b 16 $OUT speed 1.06", FindingKind::Speed},
    {"Geschwindigkeit -6 %", Make::Tool, "sox $IN -b 16 $OUT speed 0.94", FindingKind::Speed},
    {"Gleichlauf ±5 % bei 1 Hz", Make::Flutter, "Degrader: wobble 0,05, 1 Hz", FindingKind::Flutter},
    {"Gleichspannung 10 %", Make::Tool, "sox $IN -b 16 $OUT dcshift 0.1", FindingKind::DcOffset},
    // Hum below the stop: signal (0.78) and hum together stay within full scale.
    {"Brumm 50 Hz, 0,15 x Vollaussteuerung", Make::Tool,
     "ffmpeg -v error -i $IN -f lavfi -i sine=frequency=50:sample_rate=44100 -filter_complex "
     "\"[1]volume=1.2[h];[0][h]amix=inputs=2:duration=first:normalize=0\" $OUT",
     FindingKind::Hum},
    {"Pegel -30 dB", Make::Tool, "sox $IN -b 16 $OUT vol -30dB", FindingKind::LowLevel},
    {"Übersteuerung +12 dB", Make::Tool, "sox $IN -b 16 $OUT gain 12", FindingKind::Clipping},
    {"Polarität umgekehrt", Make::Tool, "sox $IN -b 16 $OUT vol -1", FindingKind::Inverted},
    {"Aussetzer 3 x 5 ms", Make::Dropouts, "Bench: 3 x 5 ms Nulllinie in den Daten", FindingKind::Dropout},
    {"keiner: sauber", Make::NoFault, "–", FindingKind::LowLevel, {}},
    {"keiner: abgenutzt (Rauschen 0,05)", Make::NoFault, "–", FindingKind::LowLevel, hiss()},
    {"keiner: abgenutzt (Tiefpass 3 kHz)", Make::NoFault, "–", FindingKind::LowLevel, dull()},
    {"keiner: abgenutzt (Pegeleinbrüche auf 30 %)", Make::NoFault, "–", FindingKind::LowLevel, dips()},
};

const char* kindName(FindingKind kind) {
    switch (kind) {
    case FindingKind::LowLevel: return "LowLevel";
    case FindingKind::Clipping: return "Clipping";
    case FindingKind::DcOffset: return "DcOffset";
    case FindingKind::Speed: return "Speed";
    case FindingKind::Flutter: return "Flutter";
    case FindingKind::Hum: return "Hum";
    case FindingKind::Inverted: return "Inverted";
    case FindingKind::GainControl: return "GainControl";
    case FindingKind::NoiseGate: return "NoiseGate";
    case FindingKind::Dropout: return "Dropout";
    case FindingKind::Echo: return "Echo";
    case FindingKind::BandLimit: return "BandLimit";
    case FindingKind::LowRate: return "LowRate";
    case FindingKind::OneChannel: return "OneChannel";
    case FindingKind::OppositePhase: return "OppositePhase";
    case FindingKind::Codec: return "Codec";
    }
    return "?";
}

// The program with a pause of blank tape before and after, worn by `faults`
// where they wear at all (the pauses take the hiss along).
std::vector<std::uint8_t> recordingOf(const std::vector<std::uint8_t>& image, const degrade::Faults& faults,
                                      std::size_t& dataFrom, std::size_t& dataTo) {
    const std::vector<std::uint8_t> record = encodeRecordSamples(image, benchHeader);
    const std::size_t pause = static_cast<std::size_t>(pauseSeconds * rate);
    std::vector<std::uint8_t> samples(pause + record.size() + pause, 0x80);
    std::copy(record.begin(), record.end(), samples.begin() + static_cast<std::ptrdiff_t>(pause));
    // The data half of the record: its last half, behind the lead-in.
    dataFrom = pause + record.size() / 2, dataTo = pause + record.size();
    const bool wears = faults.tapeNoise > 0 || faults.noise > 0 || faults.lowPassHz > 0 || faults.dipLevel < 1 ||
                       faults.wobble > 0;
    if (!wears) return samples;
    std::vector<std::uint8_t> out = degrade::degradeSignal(samples, faults, rate);
    const double scale = static_cast<double>(out.size()) / samples.size();
    dataFrom = static_cast<std::size_t>(dataFrom * scale), dataTo = static_cast<std::size_t>(dataTo * scale);
    return out;
}

// What one recording came to: every finding of the diagnosis, whether the
// program came back whole, or why nothing could be read.
struct Outcome {
    std::string failure;
    std::vector<Finding> findings;
    bool reads = false;
};

Outcome diagnosed(const Row& row, const std::vector<std::uint8_t>& image, const degrade::Faults& wear,
                  const std::string& dir) {
    Outcome outcome;
    degrade::Faults faults = wear;
    if (row.make == Make::Flutter) faults.wobble = 0.05, faults.wobbleHz = 1;
    std::size_t dataFrom = 0, dataTo = 0;
    std::vector<std::uint8_t> samples = recordingOf(image, faults, dataFrom, dataTo);
    if (row.make == Make::Dropouts)
        for (int k = 1; k <= 3; ++k) {
            const std::size_t at = dataFrom + (dataTo - dataFrom) * k / 4, length = rate * 5 / 1000;
            std::fill(samples.begin() + static_cast<std::ptrdiff_t>(at),
                      samples.begin() + static_cast<std::ptrdiff_t>(at + length), 0x80);
        }
    std::filesystem::create_directories(dir);
    const std::string path =
        chain::throughTool(dir, samples, rate, row.make == Make::Tool ? row.command : "", outcome.failure);
    if (path.empty()) return outcome;
    // As `bv7 check` takes a file: read and imported, every record found, then diagnosed.
    WavSamples wav;
    std::ostringstream messages;
    if (!readRecordingSamples(path, wav, messages)) {
        outcome.failure = messages.str();
        return outcome;
    }
    const std::vector<DecodedRecord> records = everyRecord(wav);
    const RecordingFindings findings = diagnoseWhole(wav.samples, wav.rate, sourceFactsOf(wav), records);
    outcome.findings = findings.whole;
    for (const std::vector<Finding>& each : findings.perRecord)
        outcome.findings.insert(outcome.findings.end(), each.begin(), each.end());
    for (const DecodedRecord& record : records) outcome.reads = outcome.reads || sameRecord(record, image, benchHeader);
    return outcome;
}

// "ja: <its line>", "nein", or why the recording was not made.
std::string detection(const Outcome& outcome, FindingKind expected, bool& detected) {
    detected = false;
    if (!outcome.failure.empty())
        return "nicht gemacht: " + outcome.failure.substr(0, outcome.failure.find('\n'));
    for (const Finding& finding : outcome.findings)
        if (finding.kind == expected) {
            detected = true;
            return "ja: " + findingLine(finding);
        }
    return "nein";
}

// The findings of other kinds than `expected` (of any kind without a fault),
// each with its figure: "0", "2 (Hum 24, Speed 3,5)".
int falseAlarms(const Outcome& outcome, const Row& row, std::string& text) {
    int count = 0;
    std::string kinds;
    for (const Finding& finding : outcome.findings) {
        if (row.make != Make::NoFault && finding.kind == row.expected) continue;
        ++count;
        char figure[32];
        std::snprintf(figure, sizeof figure, " %.1f", finding.figure);
        std::string shown = figure;
        std::replace(shown.begin(), shown.end(), '.', ',');
        kinds += std::string(kinds.empty() ? "" : ", ") + kindName(finding.kind) + shown;
    }
    text = std::to_string(count) + (kinds.empty() ? "" : " (" + kinds + ")");
    return count;
}

// The diagnosis of the 30-minute side of the tape-side table, next to `bv7 list` of it.
void printCost(const char* bv7Program, const std::string& dir) {
    std::filesystem::create_directories(dir);
    {
        BenchSide side = buildBenchSide();
        const auto& samples = side.tape.samples();
        const std::vector<std::uint8_t> wav = makeWavFileBytes(AudioFormat{1, 1, rate, rate, 1, 8, 0}, samples.data(),
                                                               static_cast<std::uint32_t>(samples.size()));
        if (writeFile(dir + "SEITE.wav", wav.data(), wav.size()) != WriteOutcome::Ok) return;
    }
    const Bv7Run list = runBv7(bv7Program, {"list", "SEITE.wav"}, dir);
    const Bv7Run check = runBv7(bv7Program, {"check", "SEITE.wav"}, dir);
    WavSamples wav;
    std::ostringstream messages;
    if (!readRecordingSamples(dir + "SEITE.wav", wav, messages)) return;
    using Clock = std::chrono::steady_clock;
    auto start = Clock::now();
    const std::vector<DecodedRecord> records = everyRecord(wav);
    const double reading = std::chrono::duration<double>(Clock::now() - start).count();
    double diagnosis = 1e9;
    std::vector<std::string> lines;   // what the diagnosis says of the side
    for (int turn = 0; turn < 3; ++turn) {
        start = Clock::now();
        const RecordingFindings found =
            diagnoseWhole(wav.samples, wav.rate, sourceFactsOf(wav), records);
        diagnosis = std::min(diagnosis, std::chrono::duration<double>(Clock::now() - start).count());
        lines.clear();
        for (const Finding& finding : found.whole) lines.push_back(findingLine(finding));
        for (const auto& each : found.perRecord)
            for (const Finding& finding : each) lines.push_back(findingLine(finding));
    }
    const std::size_t findings = lines.size();
    std::printf("\nKosten auf der Kassettenseite (30 min, %zu Aufnahmen gelesen, %zu Befunde):\n\n", records.size(),
                findings);
    std::printf("| | Zeit |\n|---|---|\n");
    std::printf("| `bv7 list` (gebautes bv7) | %.2f s%s |\n", list.seconds, list.code == 0 ? "" : " FEHLER");
    std::printf("| `bv7 check` (gebautes bv7) | %.2f s%s |\n", check.seconds, check.code == 0 ? "" : " FEHLER");
    std::printf("| alle Aufnahmen lesen, wie check sie findet (im Bench) | %.2f s |\n", reading);
    std::printf("| `diagnoseWhole` der gelesenen Aufnahmen (im Bench, beste von 3) | %.1f ms |\n", diagnosis * 1e3);
    if (!lines.empty()) std::printf("\nDie Befunde der Seite:\n\n");
    for (const std::string& line : lines) std::printf("- %s\n", line.c_str());
}
}

int printChainDiagnosisTable(const char* bv7Program) {
    const std::vector<std::uint8_t> image = benchImage();
    const std::string dir = "/tmp/bv7-kette-" + std::to_string(getpid()) + "/";
    std::printf("\n| Fehler | Befehl | erwartet | auf sauberem Signal | auf abgenutztem | Fehlalarme (sauber / abgenutzt) "
                "| Programm liest (sauber / abgenutzt) |\n|---|---|---|---|---|---|---|\n");
    int faults = 0, onClean = 0, onWorn = 0, faultRowAlarms = 0, noFaultAlarms = 0;
    for (std::size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        const Row& row = rows[i];
        const std::string cellDir = dir + std::to_string(i);
        std::string alarms, wornAlarms;
        if (row.make == Make::NoFault) {
            const Outcome outcome = diagnosed(row, image, row.wear, cellDir + "/");
            noFaultAlarms += falseAlarms(outcome, row, alarms);
            std::string found;
            for (const Finding& finding : outcome.findings) found += (found.empty() ? "" : "; ") + findingLine(finding);
            if (!outcome.failure.empty()) found = "nicht gemacht: " + outcome.failure.substr(0, outcome.failure.find('\n'));
            std::printf("| %s | %s | kein Befund | %s | – | %s | %s |\n", row.fault, row.command,
                        found.empty() ? "kein Befund" : found.c_str(), alarms.c_str(), outcome.reads ? "ja" : "nein");
            continue;
        }
        const Outcome clean = diagnosed(row, image, degrade::Faults{}, cellDir + "-sauber/");
        const Outcome wornOne = diagnosed(row, image, worn(), cellDir + "-abgenutzt/");
        bool cleanFound = false, wornFound = false;
        const std::string cleanText = detection(clean, row.expected, cleanFound);
        const std::string wornText = detection(wornOne, row.expected, wornFound);
        ++faults, onClean += cleanFound, onWorn += wornFound;
        faultRowAlarms += falseAlarms(clean, row, alarms) + falseAlarms(wornOne, row, wornAlarms);
        std::printf("| %s | `%s` | %s | %s | %s | %s / %s | %s / %s |\n", row.fault, row.command, kindName(row.expected),
                    cleanText.c_str(), wornText.c_str(), alarms.c_str(), wornAlarms.c_str(), clean.reads ? "ja" : "nein",
                    wornOne.reads ? "ja" : "nein");
        std::fflush(stdout);
    }
    std::printf("\nErkannt: %d von %d Fehlern auf dem sauberen Signal, %d von %d auf dem abgenutzten; "
                "Fehlalarme: %d auf den Zeilen ohne Fehler (%d in den Fehlerzeilen)\n",
                onClean, faults, onWorn, faults, noFaultAlarms, faultRowAlarms);
    printCost(bv7Program, dir + "seite/");
    std::filesystem::remove_all(dir);
    std::fflush(stdout);
    return noFaultAlarms;
}
