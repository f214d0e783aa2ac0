// The walker and its heads-up display drawn by the scene root over the
// whole 1024 x 768 window and read back: what each mode shows,
// where, the frame rate, the compass turning, the walker's view and the
// overview marker, and the state a frame leaves.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <vector>

#include "app/AppState.h"
#include "app/Zandervale.h"
#include "controls/ShooterControl.h"
#include "library/MonthQuarter.h"
#include "scene/House.h"
#include "scene/Street.h"
#include "scene/GroundSet.h"
#include "scene/UnitBox.h"
#include "support/WindowSize.h"
#include "support/WalkerFakes.h"
#include "textures/GlState.h"

namespace {

using Rgb = std::array<int, 3>;

// Over black the overlay's blending shows a texture's own colour.
const Rgb compassRed{255, 0, 0}, helpBlue{0, 0, 120}, panelGreen{0, 100, 0}, previewMagenta{200, 0, 200};

class HudFrame : public testing::Test {
protected:
    void SetUp() override
    {
        app.setScene(scene, &control);
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
    std::vector<SceneObject*>* scene = new std::vector<SceneObject*>();   // the app deletes it
    Zandervale app;
    MonthQuarter record{1999, 12, 1, new std::vector<TextureName>{support::solidTexture(previewMagenta)},
                        new std::vector<std::string>{"a.jpg"}};
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

TEST_F(HudFrame, EachModeShowsItsPartsWhereTheLayoutPutsThem)
{
    const GroundSet ground;
    const UnitBox box;
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

TEST_F(HudFrame, CompassTurnsWithTheYawKeptWithinOneTurn)
{
    control.yaw = 405.0f;
    app.draw(0.0);
    EXPECT_EQ(control.yaw, 45.0f);
    EXPECT_EQ(at(580, 698), compassRed);   // a turned corner reaches past 64
}

TEST_F(HudFrame, TheWalkerLooksAlongItsYawAndTheOverviewShowsItsMarker)
{
    // A red plate 10 units ahead of the eye at yaw 90 (looking down +x).
    struct Plate : SceneObject {
        void draw(double) override
        {
            glPushAttrib(GL_ENABLE_BIT);
            glPushMatrix();
            glDisable(GL_LIGHTING);
            glDisable(GL_TEXTURE_2D);
            glColor3f(1.0f, 0.0f, 0.0f);
            glTranslatef(-65.0f, 1.8f, 40.0f);
            glRotatef(90.0f, 0.0f, 1.0f, 0.0f);
            glRectf(-1.0f, -1.0f, 1.0f, 1.0f);
            glPopMatrix();
            glPopAttrib();
        }
    };
    scene->push_back(new Plate());
    app.setScene(scene, &control);
    disableGl(GlState::culling);
    app.draw(0.0);
    EXPECT_EQ(at(512, 384), (Rgb{255, 0, 0}));
    EXPECT_NE(at(512, 600), (Rgb{255, 0, 0}));   // level: not seen from above or below
    control.keyboard('\t', 0, 0);
    control.translation = {-700.0f, -1.8f, -500.0f};   // the eye right under the camera
    app.draw(0.0);
    const Rgb marker = at(512, 384);   // (1.0, 0.0, 0.1)
    EXPECT_TRUE(marker[0] > 240 && marker[1] < 10 && std::abs(marker[2] - 25) < 8);
    enableGl(GlState::culling);
}

} // namespace
