// The walker driven with plain dt values through a fake window and world:
// kinematics, keys, the pointer and cursor rules, picking and Enter; and
// the heads-up display's texts and the compass' yaw.
#include <gtest/gtest.h>

#include <GL/freeglut.h>

#include <cmath>
#include <limits>
#include <tuple>
#include <vector>

#include "controls/HeadsUpDisplay.h"
#include "controls/ShooterControl.h"
#include "library/MonthQuarter.h"
#include "scene/House.h"
#include "scene/UnitBox.h"
#include "support/WalkerFakes.h"
#include "textures/PhotoAtlas.h"

namespace {

void press(ShooterControl& walker, const char* keys, bool release = false)
{
    for (const char* k = keys; *k != '\0'; ++k)
        release ? walker.keyboardUp(static_cast<unsigned char>(*k), 0, 0)
                : walker.keyboard(static_cast<unsigned char>(*k), 0, 0);
}

class ShooterControlTest : public testing::Test {
protected:
    void SetUp() override { control.app = &world; }
    void run(double seconds, double step = 0.01)
    {
        for (long i = 0; i < std::lround(seconds / step); ++i)
            control.moveWalker(step);
    }
    support::FakeWindow window;
    support::FakeWorld world;
    ShooterControl control{window, 1, 2, 3};
};

TEST_F(ShooterControlTest, SpaceRisesLikeAJetAndGravityLandsExactlyAtEyeLevel)
{
    control.keyboard(' ', 0, 0);
    run(1.0);
    EXPECT_NEAR(control.verticalSpeed, 98.1f, 1e-3);
    run(1.0);
    EXPECT_EQ(control.verticalSpeed, 110.0f);
    control.keyboardUp(' ', 0, 0);
    run(1.0);
    EXPECT_NEAR(control.verticalSpeed, 110.0f - 5 * 9.81f, 1e-3);
    control.translation.y = -3000.0f;
    run(6.0);
    EXPECT_EQ(control.verticalSpeed, -220.0f);
    run(20.0);
    EXPECT_EQ(control.translation.y, eyeLevel);
    EXPECT_EQ(control.verticalSpeed, 0.0f);
}

// The eye's step per unit of speed and time. At yaw 0 the walker looks down
// -z; yaw 90 looks down +x. The last strafe key pressed wins; either release stops.
struct WalkCase { const char *pressed, *released; float yaw; double eyeX, eyeZ; };
const WalkCase walkCases[] = {
    {"w", "", 0.0f, 0.0, -1.0},   {"d", "", 90.0f, 0.0, 1.0},  {"wd", "", 0.0f, 1.0, -1.0},
    {"WD", "", 90.0f, 1.0, 1.0},  {"SA", "", 0.0f, -1.0, 1.0}, {"WD", "D", 90.0f, 1.0, 0.0},
    {"da", "", 0.0f, -1.0, 0.0},  {"da", "a", 0.0f, 0.0, 0.0}, {"da", "d", 0.0f, 0.0, 0.0},
};

TEST_F(ShooterControlTest, WalkKeysStepAlongTheHeadingAndDiagonalsAreRootTwoLonger)
{
    for (const WalkCase& c : walkCases) {
        SCOPED_TRACE(testing::Message() << c.pressed << " up " << c.released << " yaw " << c.yaw);
        ShooterControl walker(window, 1, 2, 3);
        walker.yaw = c.yaw;
        press(walker, c.pressed);
        press(walker, c.released, true);
        walker.moveWalker(0.5);
        EXPECT_NEAR(75.0f - walker.translation.x, c.eyeX * walker.walkSpeed * 0.5, 1e-4);
        EXPECT_NEAR(-40.0f - walker.translation.z, c.eyeZ * walker.walkSpeed * 0.5, 1e-4);
        EXPECT_EQ(walker.translation.y, eyeLevel);
    }
}

TEST_F(ShooterControlTest, MinusStopsWalkingQStillRunsAndArrowsTurnPastTheLimit)
{
    press(control, "-w");   // ahead is +x at the starting yaw
    control.moveWalker(1.0);
    EXPECT_EQ(control.translation.x, 75.0f);
    press(control, "q");
    control.moveWalker(0.1);
    EXPECT_NEAR(control.translation.x, 75.0f - fastSpeed * 0.1, 1e-4);
    press(control, "Qw+", true);   // shift changes the case between press and release
    press(control, "+");
    EXPECT_EQ(control.walkSpeed, 5.0f);

    control.special(GLUT_KEY_RIGHT, 0, 0);
    control.special(GLUT_KEY_DOWN, 0, 0);
    run(4.0);
    EXPECT_NEAR(control.yaw, 270.0f, 1e-3);
    EXPECT_NEAR(control.pitch, 180.0f, 1e-3);
    control.mouseLook = true;
    control.passiveMotion(512, 384);   // the next mouse move clamps it
    EXPECT_EQ(control.pitch, 80.0f);
}

struct LookCase { int width, height, x, y; float yawChange, pitch; };
const LookCase lookCases[] = {
    {1024, 768, 500, 400, -7.2f, 9.6f}, {1024, 768, 512, 0, 0.0f, -80.0f},
    {1023, 767, 511, 383, 0.0f, 0.0f},   // odd sizes: integer halves
    {800, 600, 410, 300, 6.0f, 0.0f},    // the size is read fresh
};

TEST_F(ShooterControlTest, MouseLookTurnsPointSixDegreesPerPixelFromTheCentre)
{
    for (const LookCase& c : lookCases) {
        SCOPED_TRACE(testing::Message() << c.width << " " << c.x << "," << c.y);
        window.w = c.width;
        window.h = c.height;
        ShooterControl walker(window, 1, 2, 3);
        walker.mouseLook = true;
        walker.passiveMotion(c.x, c.y);
        EXPECT_NEAR(walker.yaw, 90.0f + c.yawChange, 1e-4);
        EXPECT_NEAR(walker.pitch, c.pitch, 1e-4);
    }
}

// Full screen on and off: the first motion at the new size only re-centres the pointer.
TEST_F(ShooterControlTest, MotionFromAResizeDoesNotTurnTheView)
{
    control.init(&world);
    for (const auto& [width, height] : {std::pair{1280, 1024}, {1024, 768}}) {
        window.w = width, window.h = height;
        control.passiveMotion(100, 700);
        EXPECT_EQ(control.yaw, 90.0f);
        EXPECT_EQ(control.pitch, 0.0f);
        EXPECT_EQ(window.warpedTo, std::make_pair(width / 2, height / 2));
    }
    control.passiveMotion(522, 384);   // the user's own movement turns it again
    EXPECT_NEAR(control.yaw, 96.0f, 1e-4);
    // Without a window manager a frame warps at the new size before X has
    // reported the warps to the old centre.
    window.w = 1280, window.h = 1024;
    control.special(GLUT_KEY_F4, 0, 0), control.special(GLUT_KEY_F4, 0, 0);   // warps as a frame does
    for (int i = 0; i < 2; ++i)
        control.passiveMotion(512, 384);
    control.passiveMotion(640, 512);
    EXPECT_NEAR(control.yaw, 96.0f, 1e-4);
    EXPECT_EQ(control.pitch, 0.0f);
    control.passiveMotion(512, 384);   // once the new centre was seen, this is the user's
    EXPECT_NEAR(control.yaw, 96.0f - 76.8f, 1e-3);
}

TEST_F(ShooterControlTest, BlockedStepLeavesTheWalkerExactlyWhereItWasUntilF2)
{
    world.wallFrom = -1e9f;   // everything blocks
    world.wallTo = 1e9f;
    control.translation.y = -30.0f;   // in the air: the fall is blocked too
    press(control, "w");
    run(1.0);
    const ShooterControl::Vector3f& t = control.translation;
    EXPECT_EQ((std::vector<float>{t.x, t.y, t.z}), (std::vector<float>{75.0f, -30.0f, -40.0f}));
    const int steps = world.steps;
    control.special(GLUT_KEY_F2, 0, 0);
    control.moveWalker(1.0);
    EXPECT_NEAR(control.translation.x, 75.0f - control.walkSpeed, 1e-4);
    EXPECT_EQ(world.steps, steps);
}

// A slow frame moves as far as real time says, in steps short enough that
// no house is jumped over; a stall counts as one second.
TEST_F(ShooterControlTest, SlowFramesWalkInShortStepsThatStopAtAThinWall)
{
    ShooterControl smooth(window, 1, 2, 3);
    for (ShooterControl* walker : {&control, &smooth}) {
        walker->keyboard('q', 0, 0);   // 50 units a second, the eye towards +x
        walker->keyboard('w', 0, 0);
    }
    control.moveWalker(0.6);
    for (int i = 0; i < 20; ++i)
        smooth.moveWalker(0.03);
    EXPECT_NEAR(control.translation.x, 45.0f, 1e-3);
    EXPECT_NEAR(smooth.translation.x, 45.0f, 1e-3);

    world.wallFrom = -40.0f;   // 2 units thick, 5 ahead of the eye at -45
    world.wallTo = -38.0f;
    control.moveWalker(0.6);
    EXPECT_GT(control.translation.x, 38.0f) << "walked through the wall";
    world.wallFrom = world.wallTo = 1e9f;
    control.translation.x = 45.0f;
    control.moveWalker(30.0);
    EXPECT_NEAR(control.translation.x, 45.0f - fastSpeed, 1e-3);
}

// Cursor, mouse look and where a left click picks, after each input in
// sequence from init. The overview keeps its pointer visible and picks at it.
struct PointerStep {
    const char* what;
    void (*apply)(ShooterControl&);
    bool mouseLook;
    int cursor;
    std::pair<int, int> pickedAt;   // of a left click at (100, 200)
    bool warped;                    // the pointer to the centre
};
const PointerStep pointerSteps[] = {
    {"init", [](ShooterControl&) {}, true, GLUT_CURSOR_NONE, {512, 384}, false},
    {"F4 off", [](ShooterControl& c) { c.special(GLUT_KEY_F4, 0, 0); }, false, GLUT_CURSOR_INHERIT, {100, 200}, false},
    {"F4 on", [](ShooterControl& c) { c.special(GLUT_KEY_F4, 0, 0); }, true, GLUT_CURSOR_NONE, {512, 384}, true},
    {"right down", [](ShooterControl& c) { c.mouse(2, 0, 5, 5); }, false, GLUT_CURSOR_INHERIT, {100, 200}, false},
    {"right up", [](ShooterControl& c) { c.mouse(2, 1, 5, 5); }, true, GLUT_CURSOR_NONE, {512, 384}, true},
    {"Tab", [](ShooterControl& c) { c.keyboard(9, 0, 0); }, true, GLUT_CURSOR_INHERIT, {100, 200}, false},
    {"right in overview", [](ShooterControl& c) { c.mouse(2, 0, 5, 5); c.mouse(2, 1, 5, 5); }, true, GLUT_CURSOR_INHERIT, {100, 200}, false},
    {"F4 in overview", [](ShooterControl& c) { c.special(GLUT_KEY_F4, 0, 0); }, false, GLUT_CURSOR_INHERIT, {100, 200}, false},
    {"M back", [](ShooterControl& c) { c.keyboard('M', 0, 0); }, true, GLUT_CURSOR_NONE, {512, 384}, true},
};

TEST_F(ShooterControlTest, PointerStaysVisibleInTheOverviewAndClicksPickWhereTheUserAims)
{
    control.init(&world);
    for (const PointerStep& step : pointerSteps) {
        SCOPED_TRACE(step.what);
        window.warpedTo = {-1, -1};
        step.apply(control);
        EXPECT_EQ(window.warpedTo != std::make_pair(-1, -1), step.warped);
        EXPECT_EQ(control.mouseLook, step.mouseLook);
        EXPECT_EQ(window.cursor, step.cursor);
        control.mouse(0, 0, 100, 200);
        EXPECT_EQ(world.pickedAt, step.pickedAt);
    }
}

TEST_F(ShooterControlTest, ClickSelectsAPictureClearsOnEmptyGroundAndEnterOpensItOrSaysWhyNot)
{
    MonthQuarter record(2005, 7, 1, std::vector<TextureName>(5, 0), std::vector<std::string>());
    PhotoAtlas photos;
    const UnitBox box(photos);   // no GL here: an empty list
    House house(box, 0, 0, 0, &record, 10);
    House previous(box, 0, 0, 0, &record, 11);
    previous.selectedPicture = 2;
    control.selected = &previous;
    press(control, "\r");
    EXPECT_EQ(world.opened, &record);
    EXPECT_EQ(world.openedPicture, 2);

    world.under = &house;
    world.underPicture = 4;
    control.mouse(0, 0, 1, 1);
    EXPECT_EQ(previous.selectedPicture, -1);
    EXPECT_EQ(control.selected, &house);
    press(control, "\r");
    EXPECT_EQ(world.openedPicture, 4);
    world.under = nullptr;
    control.mouse(0, 0, 1, 1);   // empty ground clears the selection
    EXPECT_EQ(house.selectedPicture, -1);
    world.opened = nullptr;
    for (const char* key : {"\r", "j", "J"}) {   // nothing to open or fly to: a line says why
        control.noteLine.clear();
        press(control, key);
        EXPECT_EQ(control.noteLine, "select a picture first: aim at a box and click") << key;
    }
    EXPECT_EQ(world.opened, nullptr);
}

// The gallery takes every release from here on: whatever was held when it
// opened must not keep the walker walking, rising or turning after it.
TEST_F(ShooterControlTest, OpeningTheGalleryLetsGoOfEveryHeldKeyAndButton)
{
    MonthQuarter record(2005, 7, 1, std::vector<TextureName>(1, 0), std::vector<std::string>());
    PhotoAtlas photos;
    const UnitBox box(photos);
    House house(box, 0, 0, 0, &record, 10);
    house.selectedPicture = 0;
    control.selected = &house;
    control.mouseLook = true;
    press(control, "wdqQ ");
    control.special(GLUT_KEY_LEFT, 0, 0);
    control.special(GLUT_KEY_UP, 0, 0);
    control.mouse(GLUT_RIGHT_BUTTON, GLUT_DOWN, 0, 0);
    ASSERT_FALSE(control.mouseLook);
    press(control, "\r");
    ASSERT_EQ(world.opened, &record);
    const auto before = std::make_tuple(control.translation.x, control.translation.y, control.translation.z,
                                        control.yaw, control.pitch);
    run(1.0);
    EXPECT_EQ(std::make_tuple(control.translation.x, control.translation.y, control.translation.z, control.yaw,
                              control.pitch), before);
    EXPECT_TRUE(control.mouseLook);
    EXPECT_EQ(window.cursor, GLUT_CURSOR_NONE);
}

} // namespace
