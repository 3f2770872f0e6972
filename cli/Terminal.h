#pragma once
// bv7 on a terminal: the message seam (boxes, questions, warnings), Ctrl-C
// while a sound command runs, and the times of its status lines.
#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>

#include "shell/UserInterface.h"

namespace cli {
// The message seam on a terminal: boxes and trace lines go to `err`, a
// question is answered the safe way (No, Cancel), and choosers are cancelled.
// Installed for its lifetime.
class TerminalInterface : public UserInterface {
  public:
    explicit TerminalInterface(std::ostream& err);
    ~TerminalInterface() override;
    Answer ask(const Message& message) override;
    bool chooseFile(const Chooser& chooser, FileNameBuffer& buffer) override;
    void setStatus(int part, std::string_view text) override;
    void trace(std::string_view line) override;

  protected:
    std::ostream& err_;

  private:
    UserInterface* previous_;
};

// The same, but while it lives the boxes of the rules (a name that was cut)
// go to `err` as warnings: each line "Warnung: ...". The program goes on after them.
class WarningInterface final : public TerminalInterface {
  public:
    using TerminalInterface::TerminalInterface;
    Answer ask(const Message& message) override;
};

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
}
