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

// The text of a rule's box (a name that was cut) as warnings on `err`: each
// line "Warnung: ...". The program goes on after them.
void printWarnings(const std::string& text, std::ostream& err);

// Ctrl-C while a sound command runs: noted instead of ending the program, so
// that the command stops at once in its own way. Installed for its lifetime.
// A termination request (SIGTERM) and a closed terminal or a logout (SIGHUP)
// end the command the same way: what it read is saved and its files are whole.
class InterruptCatcher {
  public:
    InterruptCatcher();
    ~InterruptCatcher();
    bool interrupted() const;
};

// True when standard error is a terminal, where a status line may update itself.
bool errorIsTerminal();
}
