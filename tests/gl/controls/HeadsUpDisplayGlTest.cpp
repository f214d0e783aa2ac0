// The heads-up display: its lines as text, the yaw its compass turns by,
// and each mode's frame drawn by the scene root over the whole 1024 x 768
// window and read back (what shows, where, and the state a frame leaves).
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "app/Zandervale.h"
#include "controls/HeadsUpDisplay.h"
#include "controls/ShooterControl.h"
#include "library/MonthQuarter.h"
#include "scene/GroundSet.h"
#include "scene/House.h"
#include "scene/Street.h"
#include "scene/UnitBox.h"
#include "support/WalkerFakes.h"
#include "textures/PhotoAtlas.h"
#include "support/WindowSize.h"

namespace {

using Rgb = std::array<int, 3>;

// Over black the overlay's blending shows a texture's own colour.
const Rgb compassRed{255, 0, 0}, helpBlue{0, 0, 120}, panelGreen{0, 100, 0}, previewMagenta{200, 0, 200};

class HudFrames : public testing::Test {
protected:
    void SetUp() override
    {
        app.setScene({}, &control);
        control.init(&app);
        control.app = &world;
    }
    static Rgb at(int x, int y) { return support::WindowSize::at(x, y); }
    static bool anyIn(int left, int bottom, int right, int top, bool (*test)(Rgb))
    {
        for (int y = bottom; y < top; ++y)
            for (int x = left; x < right; ++x)
                if (test(at(x, y)))
                    return true;
        return false;
    }
    support::WindowSize screen{1024, 768};
    support::FakeWindow window;
    support::FakeWorld world;
    ShooterControl control{window, support::solidTexture(compassRed), support::solidTexture(helpBlue),
                           support::solidTexture(panelGreen)};
    Zandervale app;
    MonthQuarter record{1999, 12, 1, std::vector<TextureName>{support::solidTexture(previewMagenta)},
                        std::vector<std::string>{"a.jpg"}};
};

bool magenta(Rgb c) { return c[0] > 150 && c[1] < 80 && c[2] > 150; }
bool crosshairBlue(Rgb c) { return c[2] > 200 && c[0] < 100; }
bool textWhite(Rgb c) { return c[0] > 150 && c[1] > 150 && c[2] > 150; }

struct ModeCase {
    const char* what;
    bool overview, mouseLook, help, crossing, house, other;   // other: a selection that is no house
    bool crosshair, compass, preview, panelText;
};
const ModeCase modeCases[] = {
    {"walking", false, true, false, true, false, false, true, true, false, false},
    {"walking, pointer free, help, house", false, false, true, false, true, false, false, true, true, true},
    {"overview, help, house", true, true, true, true, true, false, false, false, true, true},
    {"no house selected", false, true, false, false, false, true, true, true, false, false},
};

TEST_F(HudFrames, EachModeShowsItsPartsWhereTheLayoutPutsThem)
{
    const GroundSet ground;
    PhotoAtlas photos;
    const UnitBox box(photos);
    Street crossing(ground, 0, 0, 0, Street::crossing, 3, 2005);
    House house(box, 0, 0, 0, &record, 10);
    house.selectedPicture = 0;
    SceneObject* other = &crossing;
    for (const ModeCase& c : modeCases) {
        SCOPED_TRACE(c.what);
        control.overview = c.overview;
        control.mouseLook = c.mouseLook;
        control.helpShown = c.help;
        world.crossing = c.crossing ? &crossing : nullptr;
        control.selected = c.house ? &house : c.other ? other : nullptr;
        control.yaw = 0.0f;
        app.draw(0.0);
        // The frame leaves the window's defaults behind.
        EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST) && glIsEnabled(GL_LIGHTING) && glIsEnabled(GL_TEXTURE_2D));
        EXPECT_FALSE(glIsEnabled(GL_BLEND));
        GLint depths[2];
        glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depths[0]);
        glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depths[1]);
        EXPECT_EQ(depths[0] + depths[1], 2);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        EXPECT_TRUE(anyIn(3, 755, 60, 768, [](Rgb p) { return p[0] > 150; })) << "no frame rate";
        EXPECT_EQ(anyIn(500, 376, 524, 392, crosshairBlue), c.crosshair);
        EXPECT_EQ(at(512, 698) == compassRed, c.compass);   // 70 below the top, centred
        EXPECT_EQ(at(580, 698) == compassRed, false);       // 128 wide at yaw 0
        EXPECT_EQ(at(300, 384)[2] == 120, c.help);
        // The strip: 140 x 32 in the bottom-left corner; the location line on it.
        EXPECT_EQ(at(139, 31)[1] > 50, true);
        EXPECT_EQ(at(141, 16)[1] > 50 || at(70, 33)[1] > 50, false);
        EXPECT_EQ(anyIn(5, 6, 120, 20, textWhite), c.crossing);
        // The panel: 256 x 256 in the bottom-right corner, the preview 128 x 96 on it.
        const bool panel = c.house || c.other;
        EXPECT_EQ(at(769, 255)[1] > 50, panel);
        EXPECT_EQ(at(766, 100)[1] > 50 || at(900, 258)[1] > 50, false);
        EXPECT_EQ(magenta(at(833, 11)), c.preview);
        EXPECT_EQ(magenta(at(830, 60)) || magenta(at(900, 107)), false);
        EXPECT_EQ(anyIn(794, 155, 960, 240, textWhite), c.panelText);
    }
}

TEST_F(HudFrames, CompassTurnsWithTheYawKeptWithinOneTurn)
{
    control.yaw = 405.0f;
    app.draw(0.0);
    EXPECT_EQ(control.yaw, 45.0f);
    EXPECT_EQ(at(580, 698), compassRed);   // a turned corner reaches past 64
}

TEST(HeadsUpDisplay, LinesNameTheDateQuarterAndCount)
{
    const std::pair<std::string, std::string> lines[] = {
        {dateText(3, 2005), "March, 2005"},
        {dateText(12, 1999), "December, 1999"},
        {dateText(1, 2004), "January, 2004"},
        {dateText(13, 2005), "month 13, 2005"},
        {dateText(2, 987), "February, 0987"},   // always four year digits
        {quarterText(1), "1. quarter"},
        {pictureCountText(1), "1 pictures loaded"},
        {pictureCountText(9), "9 pictures loaded"},
        {pictureCountText(10), "10 pictures loaded"},
        {pictureCountText(250), "250 pictures loaded"},
    };
    for (const auto& [text, expected] : lines)
        EXPECT_EQ(text, expected);
    // The location line names the nearest crossing's own month.
    ::HudFrame frame{};
    EXPECT_EQ(locationLine(frame), "") << "no crossing, no line";
    const GroundSet ground;
    const Street july(ground, 0, 0, 0, Street::crossing, 7, 1998), december(ground, 0, 0, 0, Street::crossing, 12, 2010);
    for (const Street* crossing : {&july, &december}) {
        frame.crossing = crossing;
        EXPECT_EQ(locationLine(frame), dateText(crossing->month, crossing->year));
    }
}

TEST(HeadsUpDisplay, YawIsBroughtIntoOneTurnAsRepeatedTurnsWould)
{
    const float inf = std::numeric_limits<float>::infinity();
    const std::pair<float, float> cases[] = {
        {0.0f, 0.0f},     {360.0f, 360.0f}, {460.0f, 100.0f}, {720.0f, 360.0f},
        {-30.0f, 330.0f}, {-360.0f, 0.0f},  {-750.0f, 330.0f}, {36000100.0f, 100.0f},
        {inf, 0.0f},      {-inf, 0.0f},     {std::nanf(""), 0.0f},
    };
    for (const auto& [yaw, expected] : cases)
        EXPECT_EQ(normalisedYaw(yaw), expected) << "yaw " << yaw;
}

}  // namespace
