#pragma once
// A scripted stand-in for the user: records every box, chooser, status text
// and trace line, and answers from queues (Ok/No and "cancel" when empty).
#include <deque>
#include <string>
#include <vector>

#include "shell/UserInterface.h"

struct RecordingInterface : UserInterface {
    std::vector<Message> messages;
    std::vector<Chooser> choosers;
    std::vector<std::pair<int, std::string>> statuses;
    std::vector<std::string> traces;
    std::deque<Answer> answers;
    std::deque<std::string> chosenFiles;    // "" = the user cancels

    RecordingInterface() { previous = setUserInterface(this); }
    ~RecordingInterface() override { setUserInterface(previous); }

    Answer ask(const Message& message) override {
        messages.push_back(message);
        if (!answers.empty()) {
            Answer answer = answers.front();
            answers.pop_front();
            return answer;
        }
        return (message.style & 0xF) == mb::ok ? Answer::Ok : Answer::No;
    }
    bool chooseFile(const Chooser& chooser, FileNameBuffer& buffer) override {
        choosers.push_back(chooser);
        offered.push_back(buffer);
        if (chosenFiles.empty() || chosenFiles.front().empty()) {
            if (!chosenFiles.empty()) chosenFiles.pop_front();
            return false;
        }
        std::string name = chosenFiles.front();
        chosenFiles.pop_front();
        name.copy(buffer, fileNameBufferSize - 1);
        buffer[std::min(name.size(), fileNameBufferSize - 1)] = '\0';
        return true;
    }
    void setStatus(int part, std::string_view text) override { statuses.emplace_back(part, std::string(text)); }
    void trace(std::string_view line) override { traces.emplace_back(line); }

    std::vector<std::string> offered;        // what the buffer held when each chooser opened

  private:
    UserInterface* previous = nullptr;
};
