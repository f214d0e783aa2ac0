// The walker's kinematics and key handling, driven with plain dt values and
// without a window: only events that make no GL or GLUT call are sent.
#include <gtest/gtest.h>

#include <GL/freeglut.h>

#include <cmath>
#include <vector>

#include "app/AppState.h"
#include "app/Zandervale.h"
#include "controls/ShooterControl.h"
#include "scene/SceneObject.h"

namespace {

// Blocks every step and remembers where the last one started.
struct Wall : SceneObject {
    void draw(double) override {}
    bool collides(float fromX, float fromY, float fromZ, float, float, float, float*, float*,
                  float*) override
    {
        asked = {fromX, fromY, fromZ};
        return true;
    }
    std::vector<float> asked;
};

class ShooterControlTest : public testing::Test {
protected:
    void run(double seconds)
    {
        for (long i = 0; i < std::lround(seconds / 0.01); ++i)
            control.moveWalker(0.01);
    }
    ShooterControl control{1, 2, 3};
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
        ShooterControl walker(1, 2, 3);
        walker.yaw = c.yaw;
        for (const char* k = c.pressed; *k != '\0'; ++k)
            walker.keyboard(static_cast<unsigned char>(*k), 0, 0);
        for (const char* k = c.released; *k != '\0'; ++k)
            walker.keyboardUp(static_cast<unsigned char>(*k), 0, 0);
        walker.moveWalker(0.5);
        EXPECT_NEAR(75.0f - walker.translation.x, c.eyeX * walkSpeed * 0.5, 1e-4);
        EXPECT_NEAR(-40.0f - walker.translation.z, c.eyeZ * walkSpeed * 0.5, 1e-4);
        EXPECT_EQ(walker.translation.y, eyeLevel);
    }
}

TEST_F(ShooterControlTest, MinusOnceStopsWalkingButQStillRuns)
{
    control.keyboard('-', 0, 0);
    control.keyboard('w', 0, 0);   // ahead is +x at the starting yaw
    control.moveWalker(1.0);
    EXPECT_EQ(control.translation.x, 75.0f);
    control.keyboard('q', 0, 0);
    control.moveWalker(0.1);
    EXPECT_NEAR(control.translation.x, 75.0f - fastSpeed * 0.1, 1e-4);
    control.keyboardUp('Q', 0, 0);   // shift changes the case between press and release
    control.moveWalker(1.0);
    EXPECT_NEAR(control.translation.x, 70.0f, 1e-4);
    control.keyboard('+', 0, 0);   // the walk speed is a global: restore it
    EXPECT_EQ(walkSpeed, 5.0f);
}

TEST_F(ShooterControlTest, ArrowsTurnAndTiltPastTheLimitUntilTheNextMouseMove)
{
    control.special(GLUT_KEY_RIGHT, 0, 0);
    control.special(GLUT_KEY_UP, 0, 0);
    run(2.0);
    EXPECT_NEAR(control.yaw, 180.0f, 1e-3);
    EXPECT_NEAR(control.pitch, -90.0f, 1e-3);
    control.specialUp(GLUT_KEY_UP, 0, 0);
    control.special(GLUT_KEY_DOWN, 0, 0);
    run(4.0);
    EXPECT_NEAR(control.pitch, 90.0f, 1e-3);
    control.mouseLook = true;
    control.passiveMotion(512, 384);
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
        appstate::windowWidth = c.width;
        appstate::windowHeight = c.height;
        ShooterControl walker(1, 2, 3);
        walker.mouseLook = true;
        walker.passiveMotion(c.x, c.y);
        EXPECT_NEAR(walker.yaw, 90.0f + c.yawChange, 1e-4);
        EXPECT_NEAR(walker.pitch, c.pitch, 1e-4);
    }
    appstate::windowWidth = 1024;   // a global: restore it
    appstate::windowHeight = 768;
}

TEST_F(ShooterControlTest, BlockedStepLeavesTheWalkerExactlyWhereItWasUntilF2)
{
    Zandervale app;
    Wall* wall = new Wall();   // owned by the app
    app.setScene(new std::vector<SceneObject*>{wall}, nullptr);
    control.app = &app;
    control.translation.y = -30.0f;   // in the air: the fall is blocked too
    control.keyboard('w', 0, 0);
    run(1.0);
    const ShooterControl::Vector3f& t = control.translation;
    EXPECT_EQ((std::vector<float>{t.x, t.y, t.z}), (std::vector<float>{75.0f, -30.0f, -40.0f}));
    EXPECT_EQ(wall->asked, (std::vector<float>{-75.0f, 30.0f, 40.0f}));   // in eye coordinates
    wall->asked.clear();
    control.special(GLUT_KEY_F2, 0, 0);
    control.moveWalker(1.0);
    EXPECT_NEAR(control.translation.x, 75.0f - walkSpeed, 1e-4);
    EXPECT_TRUE(wall->asked.empty());
}

} // namespace
