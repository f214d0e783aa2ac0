// The walker driven with plain dt values through a fake window and world:
// kinematics, keys, the pointer and cursor rules, picking and Enter; the
// time keys: the prompt's routing, the flight (suspended walking, no walls,
// the landing), the selection it leaves, and the overview camera following.
#include <gtest/gtest.h>

#include <GL/freeglut.h>

#include <cmath>
#include <vector>

#include "controls/ShooterControl.h"
#include "library/MonthQuarter.h"
#include "scene/House.h"
#include "scene/UnitBox.h"
#include "support/CalendarCity.h"
#include "support/WalkerFakes.h"
#include "textures/PhotoAtlas.h"

namespace {

using support::eyeOf;

void press(ShooterControl& walker, const char* keys, bool release = false)
{
    for (const char* k = keys; *k != '\0'; ++k)
        release ? walker.keyboardUp(static_cast<unsigned char>(*k), 0, 0)
                : walker.keyboard(static_cast<unsigned char>(*k), 0, 0);
}

// Where every walker starts: the eye at (-75, 1.8, 40), looking down +x.
const WalkerPose start(-75.0f, eyeLevel, 40.0f, 90.0f, 0.0f);

// The world answers for a small city of three years (see CalendarCity).
class ShooterControlTest : public testing::Test {
protected:
    void SetUp() override
    {
        world.city = city.calendar;
        control.init(&world);
    }
    void run(double seconds, double step = 0.01)
    {
        for (long i = 0; i < std::lround(seconds / step); ++i)
            control.moveWalker(step);
    }
    float x() const { return control.pose().x(); }
    std::vector<float> eye() const { return eyeOf(control.pose()); }
    std::vector<float> crossing(int year, int month) const
    {
        return {support::CalendarCity::crossingX(month), eyeLevel, support::CalendarCity::crossingZ(year)};
    }
    support::CalendarCity city;
    support::FakeWindow window;
    support::FakeWorld world;
    ShooterControl control{window, HeadsUpDisplay(1, 2, 3)};
};

TEST_F(ShooterControlTest, SpaceRisesLikeAJetAndGravityLandsExactlyAtEyeLevel)
{
    control.keyboard(' ', 0, 0);
    run(1.0);
    EXPECT_NEAR(control.verticalSpeed(), 98.1f, 1e-3);
    run(1.0);
    EXPECT_EQ(control.verticalSpeed(), 110.0f);
    control.keyboardUp(' ', 0, 0);
    run(1.0);
    EXPECT_NEAR(control.verticalSpeed(), 110.0f - 5 * 9.81f, 1e-3);
    control.placeAt(WalkerPose(-75.0f, 3000.0f, 40.0f, 90.0f, 0.0f));   // placed standing still
    run(5.0);
    EXPECT_EQ(control.verticalSpeed(), -220.0f);
    run(20.0);
    EXPECT_EQ(eyeOf(control.pose()), eyeOf(start));
    EXPECT_EQ(control.verticalSpeed(), 0.0f);
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
        ShooterControl walker(window, HeadsUpDisplay(1, 2, 3));
        walker.placeAt(WalkerPose(0.0f, eyeLevel, 0.0f, c.yaw, 0.0f));
        press(walker, c.pressed);
        press(walker, c.released, true);
        walker.moveWalker(0.5);   // 2.5 units at 5 a second
        EXPECT_NEAR(std::hypot(walker.pose().x() - c.eyeX * 2.5, walker.pose().z() - c.eyeZ * 2.5), 0.0, 1e-4);
        EXPECT_EQ(walker.pose().y(), eyeLevel);
    }
}

TEST_F(ShooterControlTest, MinusStopsWalkingQStillRunsAndArrowsTurnPastTheLimit)
{
    press(control, "-w");   // ahead is +x at the starting yaw
    control.moveWalker(1.0);
    EXPECT_EQ(x(), -75.0f);
    press(control, "q");
    control.moveWalker(0.1);
    EXPECT_NEAR(x(), -75.0f + fastSpeed * 0.1, 1e-4);
    press(control, "Qw", true);   // shift changes the case between press and release
    press(control, "+w");
    control.moveWalker(1.0);
    EXPECT_NEAR(x(), -70.0f + 5.0f, 1e-4);

    control.special(GLUT_KEY_RIGHT, 0, 0);
    control.special(GLUT_KEY_DOWN, 0, 0);
    run(4.0);
    EXPECT_NEAR(control.pose().yaw(), 270.0f, 1e-3);
    EXPECT_NEAR(control.pose().pitch(), 180.0f, 1e-3);
    control.passiveMotion(512, 384);   // the next mouse move clamps it
    EXPECT_EQ(control.pose().pitch(), 80.0f);
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
        ShooterControl walker(window, HeadsUpDisplay(1, 2, 3));
        walker.setMouseLook(true);
        walker.passiveMotion(c.x, c.y);
        EXPECT_NEAR(walker.pose().yaw(), 90.0f + c.yawChange, 1e-4);
        EXPECT_NEAR(walker.pose().pitch(), c.pitch, 1e-4);
    }
}

// Full screen on and off: the first motion at the new size only re-centres the pointer.
TEST_F(ShooterControlTest, MotionFromAResizeDoesNotTurnTheView)
{
    for (const auto& [width, height] : {std::pair{1280, 1024}, {1024, 768}}) {
        window.w = width, window.h = height;
        control.passiveMotion(100, 700);
        EXPECT_EQ(eyeOf(control.pose(), true), eyeOf(start, true));
        EXPECT_EQ(window.warpedTo, std::make_pair(width / 2, height / 2));
    }
    control.passiveMotion(522, 384);   // the user's own movement turns it again
    EXPECT_NEAR(control.pose().yaw(), 96.0f, 1e-4);
    // Without a window manager a frame warps at the new size before X has
    // reported the warps to the old centre.
    window.w = 1280, window.h = 1024;
    control.special(GLUT_KEY_F4, 0, 0), control.special(GLUT_KEY_F4, 0, 0);   // warps as a frame does
    control.passiveMotion(512, 384), control.passiveMotion(512, 384);
    control.passiveMotion(640, 512);
    EXPECT_NEAR(control.pose().yaw(), 96.0f, 1e-4);
    EXPECT_EQ(control.pose().pitch(), 0.0f);
    control.passiveMotion(512, 384);   // once the new centre was seen, this is the user's
    EXPECT_NEAR(control.pose().yaw(), 96.0f - 76.8f, 1e-3);
}

// A blocked step leaves the walker exactly where it was, falling too. A slow
// frame moves as far as real time says, in steps short enough that no house
// is jumped over; a stall counts as one second.
TEST_F(ShooterControlTest, BlockedStepsStayPutAndSlowFramesWalkInShortStepsThatStopAtAThinWall)
{
    world.wallFrom = -1e9f, world.wallTo = 1e9f;   // everything blocks
    const WalkerPose inTheAir(-75.0f, 30.0f, 40.0f, 90.0f, 0.0f);
    control.placeAt(inTheAir);
    press(control, "w");
    run(1.0);
    EXPECT_EQ(eyeOf(control.pose()), eyeOf(inTheAir));
    const int steps = world.steps;
    control.special(GLUT_KEY_F2, 0, 0);
    control.moveWalker(1.0);
    EXPECT_NEAR(x(), -70.0f, 1e-4);
    EXPECT_EQ(world.steps, steps) << "F2 walks through walls";
    control.special(GLUT_KEY_F2, 0, 0);

    ShooterControl smooth(window, HeadsUpDisplay(1, 2, 3));
    world.wallFrom = world.wallTo = 1e9f;
    for (ShooterControl* walker : {&control, &smooth}) {
        walker->placeAt(start);
        press(*walker, "qw");   // 50 units a second, the eye towards +x
    }
    control.moveWalker(0.6);
    for (int i = 0; i < 20; ++i)
        smooth.moveWalker(0.03);
    EXPECT_NEAR(x(), -45.0f, 1e-3);
    EXPECT_NEAR(smooth.pose().x(), -45.0f, 1e-3);
    world.wallFrom = -40.0f, world.wallTo = -38.0f;   // 2 units thick, 5 ahead of the eye
    control.moveWalker(0.6);
    EXPECT_LT(x(), -38.0f) << "walked through the wall";
    world.wallFrom = world.wallTo = 1e9f;
    control.placeAt(WalkerPose(-45.0f, eyeLevel, 40.0f, 90.0f, 0.0f));
    control.moveWalker(30.0);
    EXPECT_NEAR(x(), -45.0f + fastSpeed, 1e-3);
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
    for (const PointerStep& step : pointerSteps) {
        SCOPED_TRACE(step.what);
        window.warpedTo = {-1, -1};
        step.apply(control);
        EXPECT_EQ(window.warpedTo != std::make_pair(-1, -1), step.warped);
        EXPECT_EQ(control.isMouseLook(), step.mouseLook);
        EXPECT_EQ(window.cursor, step.cursor);
        control.mouse(0, 0, 100, 200);
        EXPECT_EQ(world.pickedAt, step.pickedAt);
    }
}

// Enter opens the selection, and the gallery takes every release from
// there on: whatever was held must not keep the walker walking, rising or
// turning after it.
TEST_F(ShooterControlTest, ClickSelectsAPictureClearsOnEmptyGroundAndEnterOpensItLettingGoOfEveryKey)
{
    MonthQuarter record(2005, 7, 1, std::vector<TextureName>(5, 0), std::vector<std::string>());
    PhotoAtlas photos;
    const UnitBox box(photos);   // no GL here: an empty list
    House house(box, 0, 0, 0, &record, 10);
    House previous(box, 0, 0, 0, &record, 11);
    control.select(&previous, 2);
    world.under = &house, world.underPicture = 4;
    control.mouse(0, 0, 1, 1);
    EXPECT_EQ(previous.selectedPicture, -1);
    EXPECT_EQ(control.selection(), &house);
    press(control, "wdqQ ");
    control.special(GLUT_KEY_LEFT, 0, 0);
    control.special(GLUT_KEY_UP, 0, 0);
    control.mouse(GLUT_RIGHT_BUTTON, GLUT_DOWN, 0, 0);
    press(control, "\r");
    EXPECT_EQ(world.opened, &record);
    EXPECT_EQ(world.openedPicture, 4);
    const std::vector<float> before = eyeOf(control.pose(), true);
    run(1.0);
    EXPECT_EQ(eyeOf(control.pose(), true), before);
    EXPECT_TRUE(control.isMouseLook());
    EXPECT_EQ(window.cursor, GLUT_CURSOR_NONE);

    world.under = nullptr, control.mouse(0, 0, 1, 1);   // empty ground clears the selection
    EXPECT_EQ(house.selectedPicture, -1);
    world.opened = nullptr;
    for (const char* key : {"\r", "j", "J"}) {   // nothing to open or fly to: a line says why
        control.showNote("", 0.0);
        press(control, key);
        EXPECT_EQ(control.note(), "select a picture first: aim at a box and click") << key;
    }
    EXPECT_EQ(world.opened, nullptr);
}

TEST_F(ShooterControlTest, ATypedDateFliesOverTheCityWithoutWallsAndLandsWithTheHouseSelected)
{
    world.wallFrom = -1e9f, world.wallTo = 1e9f;   // every step would be blocked
    control.keyboard('w', 0, 0);   // held through the prompt and the flight
    press(control, "g2003-07-31\r");
    ASSERT_TRUE(control.isFlying());
    EXPECT_EQ(control.selection(), city.house(2003, 7, 4));
    EXPECT_EQ(control.selection()->selectedPicture, 0);

    const WalkerPose start = control.pose();
    control.passiveMotion(900, 700);   // mouse look waits too
    EXPECT_EQ(control.pose().yaw(), start.yaw());
    run(0.5);
    EXPECT_GT(control.pose().y(), eyeLevel + 50.0f) << "half way, high over the city";
    EXPECT_EQ(world.steps, 0) << "no collision test in flight";
    run(0.52);
    EXPECT_FALSE(control.isFlying());
    EXPECT_EQ(eye(), crossing(2003, 7));
    EXPECT_NEAR(control.pose().yaw(), 135.0f, 1e-3);   // toward the house south-east of the crossing
    EXPECT_EQ(control.pose().pitch(), 0.0f);
    control.moveWalker(0.1);
    EXPECT_GT(world.steps, 0) << "the held key walks on after landing";
}

TEST_F(ShooterControlTest, ThePromptTakesKeysButNotReleasesAndRefusesWithoutMoving)
{
    control.special(GLUT_KEY_RIGHT, 0, 0);
    press(control, "G");
    control.special(GLUT_KEY_LEFT, 0, 0);   // ignored while the prompt is open
    control.special(GLUT_KEY_END, 0, 0);
    control.specialUp(GLUT_KEY_RIGHT, 0, 0);   // a key held before the prompt must not stay held
    press(control, "wh1987\r");
    EXPECT_FALSE(control.isHelpShown());
    EXPECT_EQ(control.datePrompt().line(), "Go to: 1987_  no photos in 1987");
    const std::vector<float> before = eyeOf(control.pose(), true);
    run(0.1);
    press(control, "\x1b");
    EXPECT_FALSE(control.datePrompt().isOpen());
    EXPECT_EQ(eyeOf(control.pose(), true), before);
}

TEST_F(ShooterControlTest, AKeyInFlightLandsFirstButAModifierDoesNotAndNAtTheLastHouseStaysWithANote)
{
    control.special(GLUT_KEY_END, 0, 0);
    run(0.3);
    for (int key : {GLUT_KEY_SHIFT_L, GLUT_KEY_SHIFT_R, GLUT_KEY_CTRL_L, GLUT_KEY_CTRL_R, GLUT_KEY_ALT_L,
                    GLUT_KEY_ALT_R, GLUT_KEY_SUPER_L, GLUT_KEY_SUPER_R, GLUT_KEY_NUM_LOCK, GLUT_KEY_F5}) {
        control.special(key, 0, 0);
        control.specialUp(key, 0, 0);
        ASSERT_TRUE(control.isFlying()) << "key " << key;
    }
    press(control, "n");   // lands at the last house first, then finds nothing later
    EXPECT_EQ(eye(), crossing(2003, 12));
    EXPECT_EQ(control.selection(), city.house(2003, 12, 4));
    EXPECT_EQ(control.note(), "no later house");
    press(control, "b");
    run(1.0);
    EXPECT_EQ(eye(), crossing(2003, 7));
    EXPECT_EQ(control.selection(), city.house(2003, 7, 4));
    control.special(GLUT_KEY_PAGE_UP, 0, 0);   // 2002 has no houses
    run(1.0);
    EXPECT_EQ(eye(), crossing(2002, 7));
    EXPECT_EQ(control.selection(), nullptr);
}

// Where the middle of the overview camera's view meets the ground, as x
// and how far it is from the walker's eye.
std::pair<double, double> viewMiddle(const ShooterControl& c)
{
    const WalkerPose& camera = c.overviewCamera();
    const double pitch = camera.pitch() * M_PI / 180.0, yaw = camera.yaw() * M_PI / 180.0;
    const double along = camera.y() / std::tan(pitch);
    const double x = camera.x() + along * std::sin(yaw), z = camera.z() - along * std::cos(yaw);
    return {x, std::hypot(x - c.pose().x(), z - c.pose().z())};
}

TEST_F(ShooterControlTest, FromTheOverviewTheCameraFollowsAndJTakesTheWalkerDownToItsHouse)
{
    press(control, "\t");
    const float height = control.overviewCamera().y();
    control.special(GLUT_KEY_END, 0, 0);   // far beyond the camera's view
    control.moveOverviewCamera(0.5);      // the walker flies under the camera
    EXPECT_TRUE(viewMiddle(control).first > 800.0 && viewMiddle(control).first < 1250.0) << "on its way from x 700 to 1355";
    control.moveOverviewCamera(0.6);
    EXPECT_EQ(eye(), crossing(2003, 12));
    EXPECT_LT(viewMiddle(control).second, 1e-2);
    const WalkerPose& camera = control.overviewCamera();   // a slanted camera looks at it too
    control.placeOverviewCamera(WalkerPose(camera.x(), camera.y(), camera.z(), 30.0f, 60.0f));
    control.special(GLUT_KEY_HOME, 0, 0);
    press(control, "+");   // lands at once
    EXPECT_EQ(eye(), crossing(2001, 1));
    EXPECT_LT(viewMiddle(control).second, 1e-2);
    EXPECT_EQ(control.overviewCamera().y(), height);

    control.select(const_cast<SceneObject*>(city.house(2003, 7, 1)), 2);   // picked from above instead
    press(control, "j");
    EXPECT_FALSE(control.isOverview());
    EXPECT_TRUE(control.isMouseLook());
    run(1.0);
    EXPECT_EQ(eye(), crossing(2003, 7));
    EXPECT_EQ(control.selection()->selectedPicture, 2) << "the picked picture stays picked";
    control.special(GLUT_KEY_F4, 0, 0);   // J on foot leaves the pointer as it was
    press(control, "j");
    EXPECT_FALSE(control.isMouseLook());
}

} // namespace
