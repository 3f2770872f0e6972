#include "cli/Terminal.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <iterator>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "cli/TextConversion.h"
#include "shell/CommonServices.h"

namespace cli {
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

void printWarnings(const std::string& boxText, std::ostream& err) {
    std::string text = terminalLines(boxText);
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = std::min(text.find('\n', start), text.size());
        if (end > start) err << "Warnung: " << text.substr(start, end - start) << "\n";
        start = end + 1;
    }
}


namespace {
volatile std::sig_atomic_t interruptSeen = 0;
extern "C" void noteInterrupt(int) { interruptSeen = 1; }
using SignalHandler = void (*)(int);
#ifdef SIGHUP
constexpr int caughtSignals[] = {SIGINT, SIGTERM, SIGHUP};
#else
constexpr int caughtSignals[] = {SIGINT, SIGTERM};
#endif
SignalHandler previousHandlers[std::size(caughtSignals)] = {};
}

InterruptCatcher::InterruptCatcher() {
    interruptSeen = 0;
    for (std::size_t i = 0; i < std::size(caughtSignals); ++i)
        previousHandlers[i] = std::signal(caughtSignals[i], noteInterrupt);
}

InterruptCatcher::~InterruptCatcher() {
    for (std::size_t i = 0; i < std::size(caughtSignals); ++i)
        std::signal(caughtSignals[i], previousHandlers[i] == SIG_ERR ? SIG_DFL : previousHandlers[i]);
}

bool InterruptCatcher::interrupted() const { return interruptSeen != 0; }

bool errorIsTerminal() {
#ifdef _WIN32
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(fileno(stderr)) != 0;
#endif
}

}
