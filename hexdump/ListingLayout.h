#pragma once
// The listing printer's page layout as plain data: what goes on which page at
// which device pixel. The Win32 half only draws it (TextOutA, LineTo) with the
// text cell's bottom edge at y.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What the two programs print differently.
struct ListingVariant {
    std::size_t wrapWidth;            // characters per printed line
    std::string_view continuation;    // put in front of the rest of a wrapped line
    int ruleEndPercent;               // of the page width; beyond 100 runs to the printable edge
    bool asksPageCount;               // "Voraussichtliche Seitenanzahl: " before printing
};

extern const ListingVariant hexDumpListing;   // Spulwerk: 75, rest as it is, 150 %, asks
extern const ListingVariant kalovListing;     // kalov: 65, 29 blanks and "//", 95 %, no question

// `percent` % of `value`, rounded to the nearest pixel (halves away from zero).
int percentOf(int value, int percent);

// Positions in device pixels, worked out per job from the printer's resolution.
struct PageGeometry {
    int pageWidth = 0;
    int pageHeight = 0;
    int lineHeight = 0;   // 2 % of the width
    int left = 0;         // 12 % of the width: title, rule start, every line
    int ruleEnd = 0;      // the variant's percentage of the width
    int footerX = 0;      // 50 % of the width
    int top = 0;          // 5 % of the height
    int breakY = 0;       // 92 % of the height: a page ends once y reaches it
    int footerY = 0;      // 98 % of the height
};
PageGeometry pageGeometry(int pageWidth, int pageHeight, const ListingVariant& variant);

// The page count announced before printing: from the line count and the
// orientation only (28 + 31 per page landscape, 60 + 63 portrait), so it may
// differ from the real page breaks by one.
int estimatePageCount(std::size_t lineCount, int pageWidth, int pageHeight);

struct PlacedText {
    int x = 0;
    int y = 0;            // bottom edge of the text cell
    std::string text;
};
struct PlacedRule {
    int x1 = 0;
    int x2 = 0;
    int y = 0;
};
struct ListingPage {
    std::vector<PlacedText> texts;    // in printing order
    std::optional<PlacedRule> rule;   // the first page only
};

// The whole listing: the title and its rule on page 1, the lines from 2 line
// heights below the rule, a new page once y reaches breakY, and "Seite -N-"
// at the foot of every page when there is more than one.
std::vector<ListingPage> layoutListing(const std::string& title, const std::vector<std::string>& lines,
                                       const PageGeometry& geometry, const ListingVariant& variant);

std::string pageFooter(int page);   // "Seite -2-"
