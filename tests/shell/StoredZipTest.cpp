#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "shell/StoredZip.h"
#include "support/TestFiles.h"

namespace {
ByteView viewOf(const std::string& text) { return ByteView(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()); }
}

// unzip takes the folder and gives back every file as it was, with its CRC-32 checked.
TEST(StoredZip, UnzipTakesItBack) {
    EXPECT_EQ(crc32(viewOf("123456789")), 0xCBF43926u);
    const std::string dir = freshTestDir("stored-zip");
    const std::string first = "erste Zeile\n", second(70000, 'x'), empty;
    writeFile(dir + "a.zip", storedZip({{"seite/index.json", viewOf(first)},
                                        {"seite/MÄRCHEN_1000_10FF_1000.BIN", viewOf(second)},
                                        {"seite/leer", viewOf(empty)}}));
    ASSERT_EQ(std::system(("cd '" + dir + "' && unzip -q a.zip").c_str()), 0);
    EXPECT_EQ(readFile(dir + "seite/index.json"), std::vector<std::uint8_t>(first.begin(), first.end()));
    EXPECT_EQ(readFile(dir + "seite/MÄRCHEN_1000_10FF_1000.BIN"), std::vector<std::uint8_t>(second.begin(), second.end()));
    EXPECT_TRUE(readFile(dir + "seite/leer").empty());
}
