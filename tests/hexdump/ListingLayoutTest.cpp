#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hexdump/ListingLayout.h"

namespace {
// A4 at 300 dpi, as the PDF printer reports it.
constexpr int a4Width = 2479;
constexpr int a4Height = 3508;

std::vector<std::string> numberedLines(std::size_t count) {
    std::vector<std::string> lines;
    for (std::size_t i = 1; i <= count; ++i) lines.push_back("Zeile " + std::to_string(i));
    return lines;
}

std::vector<std::string> texts(const ListingPage& page) {
    std::vector<std::string> result;
    for (const PlacedText& text : page.texts) result.push_back(text.text);
    return result;
}

int countFooters(const ListingPage& page) {
    int footers = 0;
    for (const PlacedText& text : page.texts) footers += text.text.rfind("Seite -", 0) == 0;
    return footers;
}
}

TEST(ListingLayout, AnnouncesPagesFromLineCountAndOrientation) {
    struct Case {
        std::size_t lines;
        int width, height, pages;
    };
    for (const Case& c : {Case{1, a4Width, a4Height, 1}, Case{60, a4Width, a4Height, 1}, Case{61, a4Width, a4Height, 2},
                          Case{123, a4Width, a4Height, 2}, Case{124, a4Width, a4Height, 3},
                          Case{186, a4Width, a4Height, 3}, Case{187, a4Width, a4Height, 4},
                          Case{28, a4Height, a4Width, 1}, Case{29, a4Height, a4Width, 2},
                          Case{59, a4Height, a4Width, 2}, Case{60, a4Height, a4Width, 3},
                          Case{60, 1000, 1000, 1}}) {  // a square page counts as portrait
        EXPECT_EQ(estimatePageCount(c.lines, c.width, c.height), c.pages)
            << c.lines << " lines on " << c.width << " x " << c.height;
    }
}

TEST(ListingLayout, RoundsEveryPercentageToTheNearestPixel) {
    EXPECT_EQ(percentOf(50, 1), 1);       // 0.5 rounds up
    EXPECT_EQ(percentOf(149, 1), 1);
    EXPECT_EQ(percentOf(150, 1), 2);
    EXPECT_EQ(percentOf(-150, 1), -2);

    PageGeometry a4 = pageGeometry(a4Width, a4Height, hexDumpListing);
    EXPECT_EQ(a4.lineHeight, 50);         // 49.58
    EXPECT_EQ(a4.left, 297);              // 297.48
    EXPECT_EQ(a4.footerX, 1240);          // 1239.5
    EXPECT_EQ(a4.top, 175);               // 175.4
    EXPECT_EQ(a4.breakY, 3227);           // 3227.36
    EXPECT_EQ(a4.footerY, 3438);          // 3437.84
    EXPECT_EQ(a4.ruleEnd, 3719);          // 150 %: 3718.5
    EXPECT_EQ(pageGeometry(a4Width, a4Height, kalovListing).ruleEnd, 2355);  // 95 %: 2355.05
}

TEST(ListingLayout, OnePageHasTitleRuleAndLinesButNoFooter) {
    PageGeometry a4 = pageGeometry(a4Width, a4Height, hexDumpListing);
    auto pages = layoutListing("C:\\bv7\\SPIEL_1000_10FF_1000.BIN", numberedLines(3), a4, hexDumpListing);
    ASSERT_EQ(pages.size(), 1u);
    const ListingPage& page = pages[0];
    EXPECT_EQ(texts(page), (std::vector<std::string>{"C:\\bv7\\SPIEL_1000_10FF_1000.BIN", "Zeile 1", "Zeile 2",
                                                       "Zeile 3"}));
    for (const PlacedText& text : page.texts) EXPECT_EQ(text.x, a4.left) << text.text;
    EXPECT_EQ(page.texts[0].y, 175);
    ASSERT_TRUE(page.rule);
    EXPECT_EQ(page.rule->y, 225);
    EXPECT_EQ(page.rule->x1, 297);
    EXPECT_EQ(page.rule->x2, 3719);
    EXPECT_EQ(page.texts[1].y, 325);
    EXPECT_EQ(page.texts[3].y, 425);
}

TEST(ListingLayout, BreaksOnceYReachesNinetyTwoPercentAndNumbersEveryPage) {
    // Page 1: lines from y = 325; after line 59 y is 3275 >= 3227.
    // Later pages from y = 175: 62 lines each.
    PageGeometry a4 = pageGeometry(a4Width, a4Height, hexDumpListing);

    auto fits = layoutListing("T", numberedLines(59), a4, hexDumpListing);
    ASSERT_EQ(fits.size(), 1u);
    EXPECT_EQ(countFooters(fits[0]), 0);

    auto two = layoutListing("T", numberedLines(60), a4, hexDumpListing);
    ASSERT_EQ(two.size(), 2u);
    EXPECT_EQ(two[0].texts.size(), 1u + 59u + 1u);
    EXPECT_EQ(two[0].texts.back().text, "Seite -1-");
    EXPECT_EQ(two[0].texts.back().x, 1240);
    EXPECT_EQ(two[0].texts.back().y, 3438);
    EXPECT_EQ(texts(two[1]), (std::vector<std::string>{"Zeile 60", "Seite -2-"}));
    EXPECT_EQ(two[1].texts[0].y, a4.top);        // no title on later pages
    EXPECT_FALSE(two[1].rule);
    EXPECT_EQ(two[1].texts[1].y, 3438);

    // Exactly filling page 2 opens no empty third page.
    auto full = layoutListing("T", numberedLines(59 + 62), a4, hexDumpListing);
    ASSERT_EQ(full.size(), 2u);
    EXPECT_EQ(full[1].texts.size(), 62u + 1u);
    auto three = layoutListing("T", numberedLines(59 + 62 + 1), a4, hexDumpListing);
    ASSERT_EQ(three.size(), 3u);
    EXPECT_EQ(texts(three[2]), (std::vector<std::string>{"Zeile 122", "Seite -3-"}));
    for (const ListingPage& page : three) EXPECT_EQ(countFooters(page), 1);
}

TEST(ListingLayout, LandscapePagesHoldFewerLines) {
    PageGeometry landscape = pageGeometry(a4Height, a4Width, hexDumpListing);
    // lineHeight 70, top 124, breakY 2281: the lines start at 334, so 28 fit on page 1.
    auto pages = layoutListing("T", numberedLines(29), landscape, hexDumpListing);
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(texts(pages[1]), (std::vector<std::string>{"Zeile 29", "Seite -2-"}));
}

TEST(ListingLayout, WrapsHexDumpLinesAfterSeventyFiveCharacters) {
    PageGeometry a4 = pageGeometry(a4Width, a4Height, hexDumpListing);
    std::string exact(75, 'A');
    std::string longer = std::string(75, 'B') + "C";
    auto pages = layoutListing("T", {exact, longer, "danach"}, a4, hexDumpListing);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(texts(pages[0]), (std::vector<std::string>{"T", exact, std::string(75, 'B'), "C", "danach"}));
    EXPECT_EQ(pages[0].texts[1].y, 325);
    EXPECT_EQ(pages[0].texts[2].y, 375);
    EXPECT_EQ(pages[0].texts[3].y, 425);   // the rest one line lower, at the same x
    EXPECT_EQ(pages[0].texts[3].x, a4.left);
    EXPECT_EQ(pages[0].texts[4].y, 475);   // a wrapped line takes two line heights
}

TEST(ListingLayout, KalovContinuesWrappedLinesBehindSlashes) {
    PageGeometry a4 = pageGeometry(a4Width, a4Height, kalovListing);
    std::string line(65, 'x');
    std::string rest(35, 'y');
    auto pages = layoutListing("PROG.ASM", {line + rest, std::string(65, 'z')}, a4, kalovListing);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(texts(pages[0]), (std::vector<std::string>{"PROG.ASM", line,
                                                           std::string(29, ' ') + "//" + rest,
                                                           std::string(65, 'z')}));
    // The continuation is not split again, however long it is.
    auto longer = layoutListing("P", {std::string(200, 'q')}, a4, kalovListing);
    EXPECT_EQ(longer[0].texts[2].text, std::string(29, ' ') + "//" + std::string(135, 'q'));
}

TEST(ListingLayout, ALongTitleWrapsAndPushesTheRuleDown) {
    PageGeometry a4 = pageGeometry(a4Width, a4Height, hexDumpListing);
    std::string title = std::string(75, 'p') + "\\X.BIN";
    auto pages = layoutListing(title, {"eins"}, a4, hexDumpListing);
    EXPECT_EQ(texts(pages[0]), (std::vector<std::string>{std::string(75, 'p'), "\\X.BIN", "eins"}));
    EXPECT_EQ(pages[0].texts[1].y, 225);
    EXPECT_EQ(pages[0].rule->y, 275);
    EXPECT_EQ(pages[0].texts[2].y, 375);
}

TEST(ListingLayout, AnEmptyListingIsTheTitleAlone) {
    PageGeometry a4 = pageGeometry(a4Width, a4Height, hexDumpListing);
    auto pages = layoutListing("T", {}, a4, hexDumpListing);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(texts(pages[0]), (std::vector<std::string>{"T"}));
}
