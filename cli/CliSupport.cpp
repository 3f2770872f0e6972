#include "cli/CliSupport.h"

#include <algorithm>
#include <csignal>
#include <cstdio>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "shell/CommonServices.h"
#include "shell/FileIo.h"
#include "shell/HexText.h"
#include "shell/StringTable.h"

namespace cli {
namespace {
// Unicode of the bytes 0x80..0x9F in Windows-1252; 0 where it has no character.
constexpr char32_t cp1252High[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                     0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                     0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                     0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

void appendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | code >> 6);
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | code >> 12);
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

char cp1252Of(char32_t code) {
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) return static_cast<char>(code);
    for (int i = 0; i < 32; ++i)
        if (cp1252High[i] == code && code != 0) return static_cast<char>(0x80 + i);
    return '?';
}
}

bool Arguments::parse(const std::vector<std::string>& args, std::initializer_list<const char*> valueOptions,
                      std::initializer_list<const char*> flags, std::string& error) {
    auto isValueOption = [&](const std::string& name) {
        return std::any_of(valueOptions.begin(), valueOptions.end(), [&](const char* o) { return name == o; });
    };
    auto isFlag = [&](const std::string& name) {
        return std::any_of(flags.begin(), flags.end(), [&](const char* f) { return name == f; });
    };
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            positionals_.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        std::size_t equals = arg.find('=');
        std::string name = arg.substr(0, equals);
        if (isValueOption(name)) {
            if (equals != std::string::npos) {
                values_[name] = arg.substr(equals + 1);
            } else if (i + 1 < args.size()) {
                values_[name] = args[++i];
            } else {
                error = "Option " + name + " braucht einen Wert.";
                return false;
            }
        } else if (isFlag(arg)) {
            flags_.push_back(arg);
        } else {
            error = "Unbekannte Option: " + arg;
            return false;
        }
    }
    return true;
}

bool Arguments::has(const std::string& flag) const {
    return std::find(flags_.begin(), flags_.end(), flag) != flags_.end();
}

const std::string* Arguments::value(const std::string& option) const {
    auto found = values_.find(option);
    return found == values_.end() ? nullptr : &found->second;
}

std::string cp1252ToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size() * 2);
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        char32_t code = byte;
        if (byte >= 0x80 && byte < 0xA0) code = cp1252High[byte - 0x80] ? cp1252High[byte - 0x80] : U'?';
        appendUtf8(out, code);
    }
    return out;
}

std::string utf8ToCp1252(std::string_view text) {
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        auto lead = static_cast<unsigned char>(text[i]);
        int length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
        if (length == 0 || i + length > text.size()) {
            out += '?';
            ++i;
            continue;
        }
        char32_t code = length == 1 ? lead : lead & (0x7F >> length);
        bool valid = true;
        for (int k = 1; k < length; ++k) {
            auto next = static_cast<unsigned char>(text[i + k]);
            valid = valid && (next & 0xC0) == 0x80;
            code = code << 6 | (next & 0x3F);
        }
        if (!valid) {
            out += '?';
            ++i;
            continue;
        }
        out += cp1252Of(code);
        i += static_cast<std::size_t>(length);
    }
    return out;
}

#ifdef _WIN32
std::string toTerminal(std::string_view cp1252) { return std::string(cp1252); }
std::string fromTerminal(std::string_view text) { return std::string(text); }
#else
std::string toTerminal(std::string_view cp1252) { return cp1252ToUtf8(cp1252); }
std::string fromTerminal(std::string_view text) { return utf8ToCp1252(text); }
#endif

std::string directoryOf(const std::string& path) {
    std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

bool isStandardStream(const std::string& path) { return path == "-"; }

std::string problemText(FileProblem problem) {
    switch (problem) {
    case FileProblem::NotFound: return "Datei nicht gefunden";
    case FileProblem::NoPermission: return "keine Berechtigung";
    case FileProblem::NameTooLong: return "Name zu lang";
    case FileProblem::DiskFull: return "Datenträger voll";
    case FileProblem::TooLarge: return "Datei zu groß für das System";
    case FileProblem::IsFolder: return "ist ein Ordner";
    case FileProblem::ReadOnly: return "Datenträger schreibgeschützt";
    case FileProblem::None:
    case FileProblem::Other: break;
    }
    return "Ein-/Ausgabefehler";
}

bool readInput(const std::string& path, std::vector<std::uint8_t>& bytes, const std::string& cannotOpen, std::ostream& err,
               std::uint64_t maxBytes) {
    ReadOutcome outcome =
        isStandardStream(path) ? readStream(stdin, bytes, maxBytes) : readFile(path, bytes, maxBytes);
    const char* shown = isStandardStream(path) ? "Standardeingabe" : path.c_str();
    switch (outcome) {
    case ReadOutcome::Ok: return true;
    case ReadOutcome::CannotOpen:
        err << "Fehler: " << cannotOpen << " (" << shown << ": " << problemText(lastFileProblem()) << ")\n";
        break;
    case ReadOutcome::NotRegularFile:
        err << "Fehler: " << cannotOpen << " (" << shown << ": keine gewöhnliche Datei)\n";
        break;
    case ReadOutcome::OutOfMemory: err << "Fehler: " << loadString(str::outOfMemory) << " (" << shown << ")\n"; break;
    }
    return false;
}

bool mayWrite(const std::string& path, bool force, std::ostream& err) {
    if (force || isStandardStream(path) || !fileExists(path)) return true;
    err << "Datei existiert schon: " << path << " (mit --force überschreiben)\n";
    return false;
}

bool writeNewFile(const std::string& path, const std::uint8_t* bytes, std::size_t count, bool force,
                  std::ostream& err) {
    if (!mayWrite(path, force, err)) return false;
    if (isStandardStream(path)) {
        if (writeStream(stdout, bytes, count) == WriteOutcome::Ok) return true;
        err << "Fehler: Standardausgabe konnte nicht vollständig geschrieben werden ("
            << problemText(lastFileProblem()) << ")\n";
        return false;
    }
    // Only a file is replaced: the new one would take the place of a device or a folder.
    std::uint64_t size = 0;
    if (fileExists(path) && probeFile(path, size) != ReadOutcome::Ok) {
        err << "Fehler: Datei kann nicht angelegt werden: " << path << " (keine gewöhnliche Datei)\n";
        return false;
    }
    // Written beside and moved into place: a failed write leaves an old file whole.
    switch (replaceFile(path, {ByteView(bytes, count)})) {
    case WriteOutcome::Ok: return true;
    case WriteOutcome::CannotCreate:
    case WriteOutcome::CannotReplace: {
        // A name that cannot be made where the folder is missing.
        FileProblem problem = lastFileProblem();
        err << "Fehler: Datei kann nicht angelegt werden: " << path << " ("
            << (problem == FileProblem::NotFound ? "Ordner nicht gefunden" : problemText(problem)) << ")\n";
        break;
    }
    case WriteOutcome::ShortWrite:
        err << "Fehler: Datei konnte nicht vollständig geschrieben werden: " << path << " ("
            << problemText(lastFileProblem()) << ")\n";
        break;
    }
    if (fileExists(path)) err << "Die vorhandene Datei ist unverändert: " << path << "\n";
    return false;
}

// The BV7 holds 64 KiB: an image must end at FFFF at the latest, or its last
// blocks would be loaded from 0000 on. False after the message.
bool fitsAddressSpace(const std::vector<std::uint8_t>& image, std::uint16_t aa, const std::string& input,
                      std::ostream& err) {
    const std::uint64_t end = std::uint64_t{aa} + image.size();
    if (end <= 0x10000) return true;
    err << "Fehler: Das Programm passt nicht in den Speicher des BV7: " << image.size() << " Bytes ab AA "
        << formatHex4(aa) << " reichen über FFFF hinaus (höchstens " << 0x10000 - aa << " Bytes). (" << input << ")\n";
    return false;
}

std::string terminalLines(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        out += text[i];
    }
    std::size_t first = out.find_first_not_of('\n');
    return first == std::string::npos ? std::string() : out.substr(first);
}

TerminalInterface::TerminalInterface(std::ostream& err) : err_(err), previous_(setUserInterface(this)) {}

TerminalInterface::~TerminalInterface() { setUserInterface(previous_); }

Answer TerminalInterface::ask(const Message& message) {
    unsigned buttons = message.style & 0xF;
    std::string text = terminalLines(message.text);
    if (buttons == mb::ok) {
        err_ << message.caption << ": " << text << "\n";
        return Answer::Ok;
    }
    Answer answer = buttons == mb::yesNo ? Answer::No : Answer::Cancel;
    err_ << message.caption << ": " << text << " -> " << (answer == Answer::No ? "Nein" : "Abbrechen") << "\n";
    return answer;
}

bool TerminalInterface::chooseFile(const Chooser&, FileNameBuffer&) { return false; }

void TerminalInterface::setStatus(int, std::string_view) {}

void TerminalInterface::trace(std::string_view line) { err_ << "(" << line << ")\n"; }

WarningInterface::WarningInterface(std::ostream& err) : err_(err), previous_(setUserInterface(this)) {}

WarningInterface::~WarningInterface() { setUserInterface(previous_); }

Answer WarningInterface::ask(const Message& message) {
    std::string text = terminalLines(message.text);
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = std::min(text.find('\n', start), text.size());
        if (end > start) err_ << "Warnung: " << text.substr(start, end - start) << "\n";
        start = end + 1;
    }
    return (message.style & 0xF) == mb::yesNo ? Answer::No : (message.style & 0xF) == mb::ok ? Answer::Ok : Answer::Cancel;
}

bool WarningInterface::chooseFile(const Chooser& chooser, FileNameBuffer& buffer) {
    return previous_ && previous_->chooseFile(chooser, buffer);
}

void WarningInterface::setStatus(int part, std::string_view text) {
    if (previous_) previous_->setStatus(part, text);
}

void WarningInterface::trace(std::string_view line) {
    if (previous_) previous_->trace(line);
}

namespace {
volatile std::sig_atomic_t interruptSeen = 0;
extern "C" void noteInterrupt(int) { interruptSeen = 1; }
using SignalHandler = void (*)(int);
SignalHandler previousHandler = SIG_DFL;
}

InterruptCatcher::InterruptCatcher() {
    interruptSeen = 0;
    previousHandler = std::signal(SIGINT, noteInterrupt);
}

InterruptCatcher::~InterruptCatcher() { std::signal(SIGINT, previousHandler == SIG_ERR ? SIG_DFL : previousHandler); }

bool InterruptCatcher::interrupted() const { return interruptSeen != 0; }

bool errorIsTerminal() {
#ifdef _WIN32
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(fileno(stderr)) != 0;
#endif
}

std::string minutesText(std::uint64_t milliseconds) {
    std::uint64_t seconds = milliseconds / 1000;
    std::string text = std::to_string(seconds / 60) + ":";
    if (seconds % 60 < 10) text += "0";
    return text + std::to_string(seconds % 60);
}
}
