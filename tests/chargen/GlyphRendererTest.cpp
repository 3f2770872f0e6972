#include <gtest/gtest.h>

#include "chargen/GlyphRenderer.h"

namespace {
const DesignerColours colours{rgbColour(255, 255, 255), rgbColour(0, 0, 0)};
const RgbColour untouched = rgbColour(1, 2, 3);
}

TEST(GlyphRenderer, OverviewDotsAreTwoByTwoAtTheirCellOrigin) {
    CharGenImage image;
    image.size = 2048;
    image.store[0x41 * 8 + 3] = 0x21;   // row 3: leftmost and rightmost pixel
    image.store[0xFF * 8 + 7] = 0xC0;   // bits 6 and 7 are not shown
    PixelBuffer buffer(designer::canvasWidth, designer::canvasHeight, untouched);
    drawOverview(buffer, image, colours);
    int x0 = 60 + 20 * 1, y0 = 50 + 20 * 4;
    struct Case {
        int x, y;
        RgbColour colour;
    };
    const Case cases[] = {
        {x0 + 2, y0 + 6, colours.set},   {x0 + 3, y0 + 7, colours.set},    {x0 + 4, y0 + 6, colours.clear},
        {x0 + 12, y0 + 6, colours.set},  {x0 + 13, y0 + 7, colours.set},   {x0 + 14, y0 + 6, colours.clear},
        {x0 + 2, y0 + 5, colours.clear}, {55, 40, colours.set},            {384, 369, colours.set},
        {385, 370, untouched},           {56, 41, colours.clear},          {60 + 300 + 14, 50 + 300 + 14, colours.clear},
    };
    for (const Case& c : cases) EXPECT_EQ(buffer.at(c.x, c.y), c.colour) << c.x << "," << c.y;
}

TEST(GlyphRenderer, MagnifierCellsAndPreviewShowTheEditBuffer) {
    PixelBuffer buffer(designer::canvasWidth, designer::canvasHeight, untouched);
    GlyphRows edit{};
    edit[2] = 0x02;   // cell (1, 2)
    drawMagnifier(buffer, edit, colours);
    struct Case {
        int x, y;
        RgbColour colour;
    };
    const Case cases[] = {
        {449, 39, colours.set},  {469, 59, colours.set},    {450, 40, colours.clear},  {569, 199, colours.set},
        {470, 80, colours.set},  {488, 98, colours.set},    {489, 98, colours.set},    {471, 81, colours.set},
        {450, 80, colours.clear}, {412, 54, colours.set},   {413, 55, colours.set},    {410, 54, colours.clear},
        {412, 52, colours.clear}, {409, 50, untouched},
    };
    for (const Case& c : cases) EXPECT_EQ(buffer.at(c.x, c.y), c.colour) << c.x << "," << c.y;
}

TEST(GlyphRenderer, FrameUnlessPhotographedAndNothingWithoutAnImage) {
    CharGenImage image;
    image.size = 1024;
    DesignerState state;
    state.currentCode = 0x12;
    PixelBuffer framed(designer::canvasWidth, designer::canvasHeight, untouched);
    drawDesigner(framed, image, state, colours, false);
    EXPECT_EQ(framed.at(58 + 40, 47 + 20), colours.set);
    EXPECT_EQ(framed.at(78 + 40, 67 + 20), colours.set);
    EXPECT_EQ(framed.at(68 + 40, 57 + 20), colours.clear);
    PixelBuffer photo(designer::canvasWidth, designer::canvasHeight, untouched);
    drawDesigner(photo, image, state, colours, true);
    EXPECT_EQ(photo.at(58 + 40, 47 + 20), colours.clear);
    image.size = 0;
    PixelBuffer empty(designer::canvasWidth, designer::canvasHeight, untouched);
    drawDesigner(empty, image, state, colours, false);
    EXPECT_EQ(empty.pixels, std::vector<RgbColour>(empty.pixels.size(), untouched));
}

TEST(GlyphRenderer, ColoursFromSchemeAndInverse) {
    struct Case {
        int scheme, inverse;
        RgbColour set, clear;
    };
    const Case cases[] = {
        {0, 0, rgbColour(255, 255, 255), rgbColour(0, 0, 0)},
        {1, 0, rgbColour(0, 255, 0), rgbColour(0, 64, 0)},
        {1, 1, rgbColour(0, 64, 0), rgbColour(0, 255, 0)},
    };
    for (const Case& c : cases) {
        GlobalSettings settings;
        settings.colourScheme = c.scheme;
        settings.inverse = c.inverse;
        DesignerColours result = designerColours(settings);
        EXPECT_EQ(result.set, c.set);
        EXPECT_EQ(result.clear, c.clear);
    }
}
