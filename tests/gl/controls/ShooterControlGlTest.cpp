// The walker's frame drawn by the scene root over the whole 1024 x 768
// window and read back: where the walker looks, its marker seen from the
// overview, and each mode's heads-up display (what shows, where, and the
// state a frame leaves); and the HUD's texts and the yaw its compass turns by.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdlib>
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
#include "support/WindowSize.h"
#include "textures/GlState.h"
#include "textures/PhotoAtlas.h"

namespace {

using Rgb = std::array<int, 3>;

// Over black the overlay's blending shows a texture's own colour.
const Rgb compassRed{255, 0, 0}, helpBlue{0, 0, 120}, panelGreen{0, 100, 0}, previewMagenta{200, 0, 200};

class WalkerFrame : public testing::Test {
protected:
    void SetUp() override
    {
        app.setScene({}, &control);
        control.init(&world);
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
    ShooterControl control{window, HeadsUpDisplay(support::solidTexture(compassRed), support::solidTexture(helpBlue),
                                                  support::solidTexture(panelGreen))};
    Zandervale app;
    MonthQuarter record{1999, 12, 1, std::vector<TextureName>{support::solidTexture(previewMagenta)},
                        std::vector<std::string>{"a.jpg"}};
};

TEST_F(WalkerFrame, LooksAlongItsYawAndTheOverviewShowsItsMarker)
{
    // A red plate 10 units ahead of the eye at yaw 90 (looking down +x).
    struct Plate : SceneObject {
        void draw(double) override
        {
            glPushAttrib(GL_ENABLE_BIT);
            glDisable(GL_LIGHTING);
            glDisable(GL_TEXTURE_2D);
            glColor3f(1.0f, 0.0f, 0.0f);
            glBegin(GL_QUADS);
            for (const auto& [y, z] : {std::pair{0.8f, 41.0f}, {2.8f, 41.0f}, {2.8f, 39.0f}, {0.8f, 39.0f}})
                glVertex3f(-65.0f, y, z);
            glEnd();
            glPopAttrib();
        }
    };
    std::vector<std::unique_ptr<SceneObject>> scene;
    scene.emplace_back(new Plate());
    app.setScene(std::move(scene), &control);
    disableGl(GlState::culling);
    app.draw(0.0);
    EXPECT_EQ(at(512, 384), compassRed);
    EXPECT_NE(at(512, 600), compassRed);   // level: not seen from above or below
    control.keyboard('\t', 0, 0);
    control.placeAt(WalkerPose(700.0f, eyeLevel, 500.0f, 90.0f, 0.0f));   // the eye right under the camera
    app.draw(0.0);
    const Rgb marker = at(512, 384);   // (1.0, 0.0, 0.1)
    EXPECT_TRUE(marker[0] > 240 && marker[1] < 10 && std::abs(marker[2] - 25) < 8);
    enableGl(GlState::culling);
}

bool magenta(Rgb c) { return c[0] > 150 && c[1] < 80 && c[2] > 150; }
bool crosshairBlue(Rgb c) { return c[2] > 200 && c[0] < 100; }
bool textWhite(Rgb c) { return c[0] > 150 && c[1] > 150 && c[2] > 150; }

// The compass turns with the walker's yaw, which the frame keeps within one turn.
struct ModeCase {
    const char* what;
    bool overview, mouseLook, help, crossing, house, other;   // other: a selection that is no house
    float yaw, yawAfter;
    bool crosshair, compass, compassCorner, preview, panelText;
};
const ModeCase modeCases[] = {
    {"walking", false, true, false, true, false, false, 0, 0, true, true, false, false, false},
    {"walking, pointer free, help, house", false, false, true, false, true, false, 0, 0, false, true, false, true, true},
    {"overview, help, house", true, true, true, true, true, false, 405, 405, false, false, false, true, true},
    {"no house selected, turned", false, true, false, false, false, true, 405, 45, true, true, true, false, false},
};

TEST_F(WalkerFrame, EachModeShowsItsHudPartsWhereTheLayoutPutsThem)
{
    const GroundSet ground;
    PhotoAtlas photos;
    const UnitBox box(photos);
    Street crossing(ground, 0, 0, 0, Street::crossing, 3, 2005);
    House house(box, 0, 0, 0, &record, 10);
    SceneObject* other = &crossing;
    for (const ModeCase& c : modeCases) {
        SCOPED_TRACE(c.what);
        control.showOverview(c.overview);
        control.setMouseLook(c.mouseLook);
        if (control.isHelpShown() != c.help)
            control.special(GLUT_KEY_F1, 0, 0);
        world.crossing = c.crossing ? &crossing : nullptr;
        control.select(c.house ? &house : c.other ? other : nullptr, 0);
        control.placeAt(WalkerPose(0.0f, eyeLevel, 0.0f, c.yaw, 0.0f));
        app.draw(0.0);
        EXPECT_EQ(control.pose().yaw(), c.yawAfter);
        // Every push popped, and no call refused (the switches are GlStateGlTest's).
        GLint depths[2];
        glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depths[0]), glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depths[1]);
        EXPECT_EQ(std::vector<int>({depths[0], depths[1], int(glGetError())}), std::vector<int>({1, 1, GL_NO_ERROR}));
        EXPECT_TRUE(anyIn(3, 755, 60, 768, [](Rgb p) { return p[0] > 150; })) << "no frame rate";
        EXPECT_EQ(anyIn(500, 376, 524, 392, crosshairBlue), c.crosshair);
        EXPECT_EQ(at(512, 698) == compassRed, c.compass);   // 70 below the top, centred
        EXPECT_EQ(at(580, 698) == compassRed, c.compassCorner);   // 128 wide: only a turned corner reaches
        EXPECT_EQ(at(300, 384)[2] == 120, c.help);
        // The strip, 140 x 32 in the bottom-left corner, the location line on it; the panel, 256 x 256
        // in the bottom-right corner, the preview 128 x 96 on it; nothing past their edges.
        EXPECT_TRUE(at(139, 31)[1] > 50);
        EXPECT_EQ(anyIn(5, 6, 120, 20, textWhite), c.crossing);
        EXPECT_EQ(at(769, 255)[1] > 50, c.house || c.other);
        EXPECT_EQ(magenta(at(833, 11)), c.preview);
        EXPECT_EQ(anyIn(794, 155, 960, 240, textWhite), c.panelText);
        EXPECT_FALSE(at(141, 16)[1] > 50 || at(70, 33)[1] > 50 || at(766, 100)[1] > 50 || at(900, 258)[1] > 50);
        EXPECT_FALSE(magenta(at(830, 60)) || magenta(at(900, 107)));
    }
}

TEST(HeadsUpDisplay, LinesNameTheDateQuarterAndCount)
{
    const std::pair<std::string, std::string> lines[] = {
        {dateText(3, 2005), "March, 2005"},    {dateText(12, 1999), "December, 1999"},
        {dateText(13, 2005), "month 13, 2005"}, {dateText(2, 987), "February, 0987"},   // always four year digits
        {quarterText(1), "1. quarter"},        {pictureCountText(250), "250 pictures loaded"},
    };
    for (const auto& [text, expected] : lines)
        EXPECT_EQ(text, expected);
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
