#pragma once
// A fresh image and designer state, a recording user, and a folder of its own per test.
#include <gtest/gtest.h>

#include <cstdlib>
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
