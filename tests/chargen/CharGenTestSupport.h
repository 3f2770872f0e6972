#pragma once
// A fresh image and designer state, a recording user, and a folder of its own per test.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <linux/capability.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "chargen/CharGenImage.h"
#include "chargen/DesignerEdit.h"
#include "support/RecordingInterface.h"
#include "support/TestFiles.h"

struct CharGenFixture : testing::Test {
    void SetUp() override {
        charGenImage() = CharGenImage{};
        designerState() = DesignerState{};
        dir = testing::TempDir() + "chargen-" + testing::UnitTest::GetInstance()->current_test_info()->name() + "/";
        std::system(("rm -rf '" + dir + "' && mkdir -p '" + dir + "'").c_str());
    }
    void TearDown() override { setTemplateSource(nullptr); }

    // `count` bytes 1, 2, 3, ... (never 0, so a byte read shows).
    static std::vector<std::uint8_t> counting(std::size_t count) {
        std::vector<std::uint8_t> bytes(count);
        for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<std::uint8_t>(i % 255 + 1);
        return bytes;
    }
    std::string fileWith(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        writeFile(dir + name, bytes);
        return dir + name;
    }
    std::vector<std::string> texts() const {
        std::vector<std::string> result;
        for (const Message& message : user.messages) result.push_back(message.caption + ": " + message.text);
        return result;
    }
    std::string lastStatus(int part) const {
        for (auto it = user.statuses.rbegin(); it != user.statuses.rend(); ++it)
            if (it->first == part) return it->second;
        return "(none)";
    }

    RecordingInterface user;
    std::string dir;
};

// While it lives, `path` exists but cannot be opened for reading: its
// permissions are taken away and so are, for this thread, the capabilities
// with which root would read it all the same.
class UnreadableFile {
  public:
    explicit UnreadableFile(std::string path) : path(std::move(path)) {
        syscall(SYS_capget, &header, saved);
        __user_cap_data_struct lowered[2] = {saved[0], saved[1]};
        lowered[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        syscall(SYS_capset, &header, lowered);
        chmod(this->path.c_str(), 0);
    }
    ~UnreadableFile() {
        syscall(SYS_capset, &header, saved);
        chmod(path.c_str(), 0644);
    }
    // False where the system still lets it be read (the test would prove nothing).
    bool holds() const { return !std::ifstream(path); }
    UnreadableFile(const UnreadableFile&) = delete;
    UnreadableFile& operator=(const UnreadableFile&) = delete;

  private:
    std::string path;
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct saved[2] = {};
};
