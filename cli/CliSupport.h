#pragma once
// What every bv7 command needs: argument parsing, the text conversions between
// the terminal and the BV7's Windows-1252 bytes, writing without overwriting,
// and the message seam on a terminal.
#include <cstdint>
#include <initializer_list>
#include <map>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "shell/FileIo.h"
#include "shell/UserInterface.h"

namespace cli {
constexpr int exitOk = 0;
constexpr int exitFailed = 1;   // the input could not be converted
constexpr int exitUsage = 2;    // the command line is wrong

struct CommandIo {
    std::ostream& out;
    std::ostream& err;
};

// Options with a value ("-o FILE", also "--name=TEXT"), flags and positional arguments.
class Arguments {
  public:
    // False with `error` set for an unknown option or a missing value.
    bool parse(const std::vector<std::string>& args, std::initializer_list<const char*> valueOptions,
               std::initializer_list<const char*> flags, std::string& error);
    bool has(const std::string& flag) const;
    // Null when the option was not given.
    const std::string* value(const std::string& option) const;
    const std::vector<std::string>& positionals() const { return positionals_; }

  private:
    std::map<std::string, std::string> values_;
    std::vector<std::string> flags_;
    std::vector<std::string> positionals_;
};

// Windows-1252 <-> UTF-8. Characters Windows-1252 lacks become "?".
std::string cp1252ToUtf8(std::string_view text);
std::string utf8ToCp1252(std::string_view text);

// Texts and names as the BV7 and the program hold them (Windows-1252) for the
// terminal and the file system, and back. UTF-8 natively; unchanged on Windows,
// where the program's own texts are Windows-1252 already.
std::string toTerminal(std::string_view cp1252);
std::string fromTerminal(std::string_view text);

// "dir/" of "dir/name" ("" without a directory).
std::string directoryOf(const std::string& path);

// "-" names standard input (for reading) and standard output (for writing).
bool isStandardStream(const std::string& path);

// The reason of a failed read or write in German ("Datenträger voll").
std::string problemText(FileProblem problem);

// Reads the file `path` ("-": standard input), at most `maxBytes` of it. On
// failure `cannotOpen` (or the text of "out of memory") goes to `err`, with the
// name; returns true when read.
bool readInput(const std::string& path, std::vector<std::uint8_t>& bytes, const std::string& cannotOpen, std::ostream& err,
               std::uint64_t maxBytes = ~std::uint64_t{0});

// Writes a new file ("-": standard output). An existing one is kept unless
// `force`, and even then it is replaced only by a file written whole; nothing
// of a failed write is left. Messages go to `err`; returns true when written.
bool writeNewFile(const std::string& path, const std::uint8_t* bytes, std::size_t count, bool force,
                  std::ostream& err);
// True when `image` loaded from `aa` ends at FFFF at the latest (the BV7
// holds 64 KiB); else false after the message naming `input`.
bool fitsAddressSpace(const std::vector<std::uint8_t>& image, std::uint16_t aa, const std::string& input,
                      std::ostream& err);

// The message about an existing file; true when `path` may be written.
bool mayWrite(const std::string& path, bool force, std::ostream& err);

// The message seam on a terminal: boxes and trace lines go to `err`, a
// question is answered the safe way (No, Cancel), and choosers are cancelled.
// Installed for its lifetime.
class TerminalInterface final : public UserInterface {
  public:
    explicit TerminalInterface(std::ostream& err);
    ~TerminalInterface() override;
    Answer ask(const Message& message) override;
    bool chooseFile(const Chooser& chooser, FileNameBuffer& buffer) override;
    void setStatus(int part, std::string_view text) override;
    void trace(std::string_view line) override;

  private:
    std::ostream& err_;
    UserInterface* previous_;
};

// While it lives, the boxes of the rules (a name that was cut) go to `err` as
// warnings: each line "Warnung: ...". The program goes on after them.
class WarningInterface final : public UserInterface {
  public:
    explicit WarningInterface(std::ostream& err);
    ~WarningInterface() override;
    Answer ask(const Message& message) override;
    bool chooseFile(const Chooser& chooser, FileNameBuffer& buffer) override;
    void setStatus(int part, std::string_view text) override;
    void trace(std::string_view line) override;

  private:
    std::ostream& err_;
    UserInterface* previous_;
};

// One line per message: "\r\n" become line breaks, leading ones are dropped.
std::string terminalLines(std::string_view text);

// Ctrl-C while a sound command runs: noted instead of ending the program, so
// that the command stops at once in its own way. Installed for its lifetime.
class InterruptCatcher {
  public:
    InterruptCatcher();
    ~InterruptCatcher();
    bool interrupted() const;
};

// True when standard error is a terminal, where a status line may update itself.
bool errorIsTerminal();

// "m:ss" of a time in milliseconds (75000 -> "1:15").
std::string minutesText(std::uint64_t milliseconds);
}
