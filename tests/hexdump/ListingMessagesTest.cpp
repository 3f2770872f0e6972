#include <gtest/gtest.h>

#include "hexdump/ListingMessages.h"
#include "support/RecordingInterface.h"

TEST(ListingMessages, AskAboutThePageCountOnTopOfEverythingWithoutOwner) {
    RecordingInterface user;
    user.answers = {Answer::Yes, Answer::No, Answer::Cancel};
    EXPECT_TRUE(confirmPageCount(3));
    EXPECT_FALSE(confirmPageCount(1));
    EXPECT_FALSE(confirmPageCount(12));   // anything but Yes stops
    ASSERT_EQ(user.messages.size(), 3u);
    EXPECT_EQ(user.messages[0].text, "Voraussichtliche Seitenanzahl: 3");
    EXPECT_EQ(user.messages[2].text, "Voraussichtliche Seitenanzahl: 12");
    EXPECT_EQ(user.messages[0].caption, "Drucken?");
    EXPECT_EQ(user.messages[0].style, mb::yesNo | mb::taskModal | mb::topmost);
    EXPECT_EQ(user.messages[0].owner, nullptr);
}

TEST(ListingMessages, ErrorsUseTheEngineCaption) {
    RecordingInterface user;
    int mainWindow = 0;
    reportNothingToPrint(&mainWindow);
    reportCannotPrint();
    ASSERT_EQ(user.messages.size(), 2u);
    EXPECT_EQ(user.messages[0].text, "Nichts da zum Drucken :-)");
    EXPECT_EQ(user.messages[0].caption, "Fehler!");
    EXPECT_EQ(user.messages[0].owner, &mainWindow);
    EXPECT_EQ(user.messages[1].text, "Es kann nicht gedruckt werden.");
    EXPECT_EQ(user.messages[1].caption, "Fehler!");
    EXPECT_EQ(user.messages[1].style, mb::ok);
    EXPECT_EQ(user.messages[1].owner, nullptr);
}
