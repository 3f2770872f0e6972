#include "hexdump/ListingLayout.h"

#include <cstdint>

const ListingVariant hexDumpListing{75, "", 150, true};
const ListingVariant kalovListing{65, "                             //", 95, false};

int percentOf(int value, int percent) {
    std::int64_t product = static_cast<std::int64_t>(value) * percent;
    std::int64_t rounded = product >= 0 ? (product + 50) / 100 : (product - 50) / 100;
    return static_cast<int>(rounded);
}

PageGeometry pageGeometry(int pageWidth, int pageHeight, const ListingVariant& variant) {
    PageGeometry geometry;
    geometry.pageWidth = pageWidth;
    geometry.pageHeight = pageHeight;
    geometry.lineHeight = percentOf(pageWidth, 2);
    geometry.left = percentOf(pageWidth, 12);
    geometry.ruleEnd = percentOf(pageWidth, variant.ruleEndPercent);
    geometry.footerX = percentOf(pageWidth, 50);
    geometry.top = percentOf(pageHeight, 5);
    geometry.breakY = percentOf(pageHeight, 92);
    geometry.footerY = percentOf(pageHeight, 98);
    return geometry;
}

int estimatePageCount(std::size_t lineCount, int pageWidth, int pageHeight) {
    bool landscape = pageWidth > pageHeight;
    std::size_t firstPage = landscape ? 28 : 60;
    std::size_t otherPages = landscape ? 31 : 63;
    int pages = 1;
    std::size_t rest = lineCount;
    if (rest > firstPage) {
        rest -= firstPage;
        ++pages;
    }
    while (rest > otherPages) {
        rest -= otherPages;
        ++pages;
    }
    return pages;
}

std::string pageFooter(int page) { return "Seite -" + std::to_string(page) + "-"; }

namespace {
class PageWriter {
  public:
    PageWriter(const PageGeometry& geometry, const ListingVariant& variant)
        : geometry(geometry), variant(variant), pages(1) {}

    // A text of at most wrapWidth characters as it is; a longer one as its
    // first wrapWidth characters and, one line height lower, the rest in one piece.
    void print(int x, int& y, const std::string& text) {
        if (text.size() <= variant.wrapWidth) {
            pages.back().texts.push_back({x, y, text});
            return;
        }
        pages.back().texts.push_back({x, y, text.substr(0, variant.wrapWidth)});
        y += geometry.lineHeight;
        pages.back().texts.push_back({x, y, std::string(variant.continuation) + text.substr(variant.wrapWidth)});
    }
    void footer() {
        int y = geometry.footerY;
        print(geometry.footerX, y, pageFooter(static_cast<int>(pages.size())));
    }
    void newPage() { pages.emplace_back(); }
    void rule(int y) { pages.back().rule = PlacedRule{geometry.left, geometry.ruleEnd, y}; }

    const PageGeometry& geometry;
    const ListingVariant& variant;
    std::vector<ListingPage> pages;
};
}

std::vector<ListingPage> layoutListing(const std::string& title, const std::vector<std::string>& lines,
                                       const PageGeometry& geometry, const ListingVariant& variant) {
    PageWriter writer(geometry, variant);
    int y = geometry.top;
    writer.print(geometry.left, y, title);
    y += geometry.lineHeight;
    writer.rule(y);
    y += 2 * geometry.lineHeight;

    for (std::size_t i = 0; i < lines.size(); ++i) {
        writer.print(geometry.left, y, lines[i]);
        y += geometry.lineHeight;
        if (i + 1 == lines.size()) break;
        if (y >= geometry.breakY) {
            writer.footer();
            writer.newPage();
            y = geometry.top;
        }
    }
    if (writer.pages.size() != 1) writer.footer();
    return std::move(writer.pages);
}
