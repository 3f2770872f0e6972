#include "shell/UserInterface.h"

namespace {
struct SilentInterface final : UserInterface {
    Answer ask(const Message& message) override {
        return (message.style & 0xF) == mb::ok ? Answer::Ok : Answer::Cancel;
    }
    bool chooseFile(const Chooser&, FileNameBuffer&) override { return false; }
    void setStatus(int, std::string_view) override {}
    void trace(std::string_view) override {}
};

SilentInterface silent;
UserInterface* current = &silent;
}

UserInterface& ui() { return *current; }

UserInterface* setUserInterface(UserInterface* seam) {
    UserInterface* previous = current == &silent ? nullptr : current;
    current = seam ? seam : &silent;
    return previous;
}
