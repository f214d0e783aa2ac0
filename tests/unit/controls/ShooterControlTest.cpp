// The walker's kinematics and key handling, driven with plain dt values and
// without a window: the controller is built from texture names, and only
// events that make no GL or GLUT call are sent.
#include <gtest/gtest.h>

#include <GL/freeglut.h>

#include <cmath>
#include <vector>

#include "app/AppState.h"
#include "app/Zandervale.h"
#include "controls/ShooterControl.h"
#include "scene/SceneObject.h"

namespace {

constexpr double frame = 0.01;
constexpr float gravity = 9.81f;

// Blocks every step (or none) and remembers the last step it was asked about.
class Obstacle : public SceneObject {
public:
    explicit Obstacle(bool blocking) : blocking(blocking) {}
    void draw(double) override {}
    bool collides(float fromX, float fromY, float fromZ, float toX, float toY, float toZ,
                  float*, float*, float*) override
    {
        asked = {fromX, fromY, fromZ, toX, toY, toZ};
        return blocking;
    }
    bool blocking;
    std::vector<float> asked;
};

class ShooterControlTest : public testing::Test {
protected:
    void TearDown() override
    {
        walkSpeed = 5.0f;   // global: a test that changes it must not leak it
        appstate::windowWidth = 1024;
        appstate::windowHeight = 768;
    }

    void run(double seconds)
    {
        for (int i = 0; i < static_cast<int>(std::lround(seconds / frame)); ++i)
            control.moveWalker(frame);
    }

    // The eye's step on the ground plane over one frame of dt.
    std::pair<double, double> stepOf(double dt)
    {
        const ShooterControl::Vector3f before = control.translation;
        control.moveWalker(dt);
        return {before.x - control.translation.x, before.z - control.translation.z};
    }

    ShooterControl control{1, 2, 3};
};

double lengthOf(std::pair<double, double> step)
{
    return std::hypot(step.first, step.second);
}

TEST_F(ShooterControlTest, StandsStillAtEyeLevelWithoutKeys)
{
    run(0.5);
    EXPECT_EQ(control.translation.x, 75.0f);
    EXPECT_EQ(control.translation.y, eyeLevel);
    EXPECT_EQ(control.translation.z, -40.0f);
    EXPECT_EQ(control.verticalSpeed, 0.0f);
}

TEST_F(ShooterControlTest, SpaceRisesLikeAJetUpTo110)
{
    control.keyboard(' ', 0, 0);
    run(1.0);
    EXPECT_NEAR(control.verticalSpeed, 10 * gravity, 1e-3);
    EXPECT_LT(control.translation.y, eyeLevel - 40.0f);   // about 49 units up
    run(0.11);
    EXPECT_LT(control.verticalSpeed, 110.0f);
    run(0.02);
    EXPECT_EQ(control.verticalSpeed, 110.0f);
    run(1.0);
    EXPECT_EQ(control.verticalSpeed, 110.0f);
}

TEST_F(ShooterControlTest, FallClampsAtMinus220AndLandsExactlyAtEyeLevel)
{
    control.translation.y = -3000.0f;
    control.keyboard(' ', 0, 0);
    run(0.5);
    control.keyboardUp(' ', 0, 0);
    const float released = control.verticalSpeed;
    run(1.0);
    EXPECT_NEAR(control.verticalSpeed, released - 5 * gravity, 1e-3);
    run(5.0);
    EXPECT_EQ(control.verticalSpeed, -220.0f);
    EXPECT_LT(control.translation.y, eyeLevel);
    run(20.0);
    EXPECT_EQ(control.translation.y, eyeLevel);
    EXPECT_EQ(control.verticalSpeed, 0.0f);
}

struct WalkCase {
    const char* keys;
    float yaw;
    double eyeX, eyeZ;   // eye step per unit of speed and time
};

// At yaw 0 the walker looks down -z; yaw 90 looks down +x.
const WalkCase walkCases[] = {
    {"w", 0.0f, 0.0, -1.0},
    {"s", 0.0f, 0.0, 1.0},
    {"d", 0.0f, 1.0, 0.0},
    {"a", 0.0f, -1.0, 0.0},
    {"w", 90.0f, 1.0, 0.0},
    {"d", 90.0f, 0.0, 1.0},
    {"wd", 0.0f, 1.0, -1.0},
    {"WD", 90.0f, 1.0, 1.0},
    {"sa", 0.0f, -1.0, 1.0},
};

TEST_F(ShooterControlTest, WalkKeysStepAlongTheHeadingAndDiagonalsAreRootTwoLonger)
{
    for (const WalkCase& c : walkCases) {
        SCOPED_TRACE(testing::Message() << c.keys << " at yaw " << c.yaw);
        ShooterControl walker(1, 2, 3);
        walker.yaw = c.yaw;
        for (const char* k = c.keys; *k != '\0'; ++k)
            walker.keyboard(static_cast<unsigned char>(*k), 0, 0);
        const ShooterControl::Vector3f before = walker.translation;
        walker.moveWalker(0.5);
        const double unit = walkSpeed * 0.5;
        EXPECT_NEAR(before.x - walker.translation.x, c.eyeX * unit, 1e-4);
        EXPECT_NEAR(before.z - walker.translation.z, c.eyeZ * unit, 1e-4);
        EXPECT_EQ(walker.translation.y, before.y);   // pitch never lifts the step
    }
}

TEST_F(ShooterControlTest, DiagonalStepIsRootTwoTimesSpeedTimesDt)
{
    control.yaw = 37.0f;
    control.keyboard('W', 0, 0);
    control.keyboard('D', 0, 0);
    EXPECT_NEAR(lengthOf(stepOf(0.2)), std::sqrt(2.0) * walkSpeed * 0.2, 1e-4);
    control.keyboardUp('D', 0, 0);   // W still held: straight on
    const auto straight = stepOf(0.2);
    EXPECT_NEAR(lengthOf(straight), walkSpeed * 0.2, 1e-4);
    EXPECT_EQ(control.forward, 1);
    EXPECT_EQ(control.strafe, 0);
}

TEST_F(ShooterControlTest, OppositeStrafeKeyTakesOverAndEitherReleaseStops)
{
    for (unsigned char released : {'a', 'd'}) {
        ShooterControl walker(1, 2, 3);
        walker.yaw = 0.0f;
        walker.keyboard('d', 0, 0);
        walker.keyboard('a', 0, 0);
        ShooterControl::Vector3f before = walker.translation;
        walker.moveWalker(1.0);
        EXPECT_NEAR(walker.translation.x - before.x, walkSpeed, 1e-4) << "A took over: eye goes left";
        walker.keyboardUp(released, 0, 0);
        before = walker.translation;
        walker.moveWalker(1.0);
        EXPECT_EQ(walker.translation.x, before.x) << "released " << released;
        EXPECT_EQ(walker.translation.z, before.z) << "released " << released;
    }
}

TEST_F(ShooterControlTest, MinusOnceStopsWalkingButQStillRuns)
{
    control.keyboard('-', 0, 0);
    EXPECT_EQ(walkSpeed, 0.0f);
    control.keyboard('w', 0, 0);
    EXPECT_EQ(lengthOf(stepOf(1.0)), 0.0);
    control.keyboard('q', 0, 0);
    EXPECT_NEAR(lengthOf(stepOf(0.1)), fastSpeed * 0.1, 1e-4);
    control.keyboardUp('Q', 0, 0);   // shift changes the case between press and release
    EXPECT_EQ(lengthOf(stepOf(1.0)), 0.0);
    control.keyboard('+', 0, 0);
    control.keyboard('+', 0, 0);
    EXPECT_NEAR(lengthOf(stepOf(1.0)), 10.0, 1e-4);
}

struct HeldKeyCase {
    int key;
    bool special;
    std::int16_t ShooterControl::*axis;
    std::int16_t value;
};

const HeldKeyCase heldKeyCases[] = {
    {'A', false, &ShooterControl::strafe, -1},  {'a', false, &ShooterControl::strafe, -1},
    {'D', false, &ShooterControl::strafe, 1},   {'d', false, &ShooterControl::strafe, 1},
    {'W', false, &ShooterControl::forward, 1},  {'w', false, &ShooterControl::forward, 1},
    {'S', false, &ShooterControl::forward, -1}, {'s', false, &ShooterControl::forward, -1},
    {GLUT_KEY_LEFT, true, &ShooterControl::turn, -1},
    {GLUT_KEY_RIGHT, true, &ShooterControl::turn, 1},
    {GLUT_KEY_UP, true, &ShooterControl::tilt, 1},
    {GLUT_KEY_DOWN, true, &ShooterControl::tilt, -1},
};

TEST_F(ShooterControlTest, MovementKeysHoldTheirAxisUntilReleased)
{
    for (const HeldKeyCase& c : heldKeyCases) {
        SCOPED_TRACE(testing::Message() << "key " << c.key);
        ShooterControl walker(1, 2, 3);
        if (c.special) {
            walker.special(c.key, 0, 0);
            walker.specialUp(GLUT_KEY_F3, 0, 0);   // unrelated release: still held
            EXPECT_EQ(walker.*c.axis, c.value);
            walker.specialUp(c.key, 0, 0);
        } else {
            walker.keyboard(static_cast<unsigned char>(c.key), 0, 0);
            walker.keyboardUp('x', 0, 0);
            EXPECT_EQ(walker.*c.axis, c.value);
            walker.keyboardUp(static_cast<unsigned char>(c.key), 0, 0);
        }
        EXPECT_EQ(walker.*c.axis, 0);
    }
}

TEST_F(ShooterControlTest, HelpAndCollisionToggles)
{
    control.keyboard('h', 0, 0);
    EXPECT_TRUE(control.helpShown);
    control.special(GLUT_KEY_F1, 0, 0);
    EXPECT_FALSE(control.helpShown);
    control.keyboard('H', 0, 0);
    EXPECT_TRUE(control.helpShown);
    control.special(GLUT_KEY_F2, 0, 0);
    EXPECT_FALSE(control.collisionOn);
    control.special(GLUT_KEY_F2, 0, 0);
    EXPECT_TRUE(control.collisionOn);
}

TEST_F(ShooterControlTest, ArrowsTurnAndTiltAt45DegreesPerSecondWithoutLimit)
{
    control.special(GLUT_KEY_RIGHT, 0, 0);
    control.special(GLUT_KEY_UP, 0, 0);
    run(2.0);
    EXPECT_NEAR(control.yaw, 90.0f + 90.0f, 1e-3);
    EXPECT_NEAR(control.pitch, -90.0f, 1e-3);   // past the mouse-look limit
    control.specialUp(GLUT_KEY_UP, 0, 0);
    control.special(GLUT_KEY_DOWN, 0, 0);
    run(4.0);
    EXPECT_NEAR(control.pitch, 90.0f, 1e-3);
    control.mouseLook = true;
    control.passiveMotion(512, 384);
    EXPECT_EQ(control.pitch, 80.0f);   // the next pointer event clamps
    control.pitch = -95.0f;
    control.passiveMotion(512, 384);
    EXPECT_EQ(control.pitch, -80.0f);
}

TEST_F(ShooterControlTest, WalkingUsesTheHeadingBeforeTheFramesTurn)
{
    control.yaw = 0.0f;
    control.keyboard('w', 0, 0);
    control.special(GLUT_KEY_RIGHT, 0, 0);
    const auto step = stepOf(1.0);
    EXPECT_NEAR(step.first, 0.0, 1e-4);
    EXPECT_NEAR(step.second, -walkSpeed, 1e-4);
    EXPECT_NEAR(control.yaw, 45.0f, 1e-4);
}

struct LookCase {
    int width, height, x, y;
    float yaw, pitch;   // change
};

const LookCase lookCases[] = {
    {1024, 768, 512, 384, 0.0f, 0.0f},
    {1024, 768, 522, 384, 6.0f, 0.0f},
    {1024, 768, 512, 374, 0.0f, -6.0f},
    {1024, 768, 500, 400, -7.2f, 9.6f},
    {1024, 768, 512, 484, 0.0f, 60.0f},
    {1023, 767, 511, 383, 0.0f, 0.0f},   // odd sizes: integer halves
    {800, 600, 410, 300, 6.0f, 0.0f},    // the size is read fresh
    {1024, 768, 512, 768, 0.0f, 80.0f},  // pitch stops at the limits
    {1024, 768, 512, 0, 0.0f, -80.0f},
};

TEST_F(ShooterControlTest, MouseLookTurnsPointSixDegreesPerPixelFromTheCentre)
{
    for (const LookCase& c : lookCases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " at " << c.x << "," << c.y);
        appstate::windowWidth = c.width;
        appstate::windowHeight = c.height;
        ShooterControl walker(1, 2, 3);
        walker.mouseLook = true;
        walker.passiveMotion(c.x, c.y);
        EXPECT_NEAR(walker.yaw, 90.0f + c.yaw, 1e-4);
        EXPECT_NEAR(walker.pitch, c.pitch, 1e-4);
    }
}

TEST_F(ShooterControlTest, MouseLookIgnoredWhenOffOrInOverview)
{
    control.passiveMotion(600, 500);   // before init mouse look is off
    control.mouseLook = true;
    control.overview = true;
    control.passiveMotion(600, 500);
    control.motion(600, 500);
    EXPECT_EQ(control.yaw, 90.0f);
    EXPECT_EQ(control.pitch, 0.0f);
}

TEST_F(ShooterControlTest, OverviewCameraMovesWithWalkKeysOnly)
{
    control.overview = true;
    control.keyboard('w', 0, 0);
    control.moveOverviewCamera(0.5);
    EXPECT_NEAR(control.overviewTranslation.z, -500.0f + 30.0f, 1e-4);
    control.keyboardUp('w', 0, 0);
    control.keyboard('d', 0, 0);
    control.moveOverviewCamera(0.5);
    EXPECT_NEAR(control.overviewTranslation.x, -700.0f - 30.0f, 1e-4);
    control.keyboard('a', 0, 0);
    control.keyboard('s', 0, 0);
    control.moveOverviewCamera(1.0);
    EXPECT_NEAR(control.overviewTranslation.x, -670.0f, 1e-4);
    EXPECT_NEAR(control.overviewTranslation.z, -530.0f, 1e-4);
    EXPECT_EQ(control.overviewTranslation.y, -1000.0f);
}

class ShooterCollisionTest : public ShooterControlTest {
protected:
    void SetUp() override
    {
        obstacle = new Obstacle(true);
        app.setScene(new std::vector<SceneObject*>{new Obstacle(false), obstacle}, nullptr);
        control.app = &app;
    }
    Zandervale app;        // owns the obstacles
    Obstacle* obstacle = nullptr;
};

TEST_F(ShooterCollisionTest, BlockedStepLeavesTheWalkerExactlyWhereItWas)
{
    control.translation.y = -30.0f;   // in the air: the fall is blocked too
    control.keyboard('w', 0, 0);
    control.keyboard('d', 0, 0);
    for (int i = 0; i < 10; ++i)
        control.moveWalker(0.1);
    EXPECT_EQ(control.translation.x, 75.0f);
    EXPECT_EQ(control.translation.y, -30.0f);
    EXPECT_EQ(control.translation.z, -40.0f);
    ASSERT_EQ(obstacle->asked.size(), 6u);
    EXPECT_EQ(obstacle->asked[0], -75.0f);   // asked in eye coordinates
    EXPECT_EQ(obstacle->asked[1], 30.0f);
    EXPECT_EQ(obstacle->asked[2], 40.0f);
    EXPECT_NE(obstacle->asked[5], 40.0f);
}

TEST_F(ShooterCollisionTest, F2LetsTheWalkerPassAndOpenGroundDoesNotBlock)
{
    control.special(GLUT_KEY_F2, 0, 0);
    control.yaw = 0.0f;
    control.keyboard('w', 0, 0);
    control.moveWalker(1.0);
    EXPECT_NEAR(control.translation.z, -40.0f + walkSpeed, 1e-4);
    EXPECT_TRUE(obstacle->asked.empty());

    obstacle->blocking = false;
    control.special(GLUT_KEY_F2, 0, 0);
    control.moveWalker(1.0);
    EXPECT_NEAR(control.translation.z, -40.0f + 2 * walkSpeed, 1e-4);
    EXPECT_EQ(obstacle->asked.size(), 6u);
}

TEST_F(ShooterCollisionTest, EnterWithoutAHouseSelectedDoesNothing)
{
    control.keyboard('\r', 0, 0);
    EXPECT_FALSE(app.isGalleryActive());
    Obstacle notAHouse(false);
    notAHouse.selectedPicture = 2;
    control.selected = &notAHouse;
    control.keyboard('\r', 0, 0);
    EXPECT_FALSE(app.isGalleryActive());
    EXPECT_EQ(control.selected, &notAHouse);
}

} // namespace
