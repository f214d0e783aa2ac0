// The walker's time keys through a fake window and world: the prompt's
// routing, the flight (suspended walking, no walls, the landing), the
// selection it leaves, N at the last house, and the overview camera
// following; and the flight's path itself.
#include <gtest/gtest.h>

#include <GL/freeglut.h>

#include <cmath>
#include <vector>

#include "controls/Flight.h"
#include "controls/ShooterControl.h"
#include "support/CalendarCity.h"
#include "support/WalkerFakes.h"

namespace {

class TimeKeys : public testing::Test {
protected:
    void SetUp() override
    {
        world.city = city.calendar;
        control.init(&world);
    }
    void type(const char* keys)
    {
        for (const char* k = keys; *k != '\0'; ++k)
            control.keyboard(static_cast<unsigned char>(*k), 0, 0);
    }
    void run(double seconds)
    {
        for (int i = 0; i < std::lround(seconds / 0.01); ++i)
            control.moveWalker(0.01);
    }
    // The eye, where the walker stands.
    std::vector<float> eye() const
    {
        return {-control.translation.x, -control.translation.y, -control.translation.z};
    }
    std::vector<float> crossing(int year, int month) const
    {
        return {support::CalendarCity::crossingX(month), -eyeLevel, support::CalendarCity::crossingZ(year)};
    }
    support::CalendarCity city;
    support::FakeWindow window;
    support::FakeWorld world;
    ShooterControl control{window, 1, 2, 3};
};

TEST_F(TimeKeys, ATypedDateFliesOverTheCityWithoutWallsAndLandsWithTheHouseSelected)
{
    support::Marker previous;
    previous.selectedPicture = 3;
    control.selected = &previous;
    world.wallFrom = -1e9f;   // every step would be blocked
    world.wallTo = 1e9f;
    control.keyboard('w', 0, 0);   // held through the prompt and the flight
    type("g2003-07-31\r");
    ASSERT_TRUE(control.isFlying());
    EXPECT_FALSE(control.prompt.isOpen());
    EXPECT_EQ(previous.selectedPicture, -1);
    EXPECT_EQ(control.selected, city.house(2003, 7, 4));
    EXPECT_EQ(control.selected->selectedPicture, 0);

    const float startX = -control.translation.x;
    const float yaw = control.yaw;
    control.passiveMotion(900, 700);   // mouse look waits too
    EXPECT_EQ(control.yaw, yaw);
    run(0.5);
    EXPECT_LT(control.translation.y, eyeLevel - 50.0f) << "half way, high over the city";
    EXPECT_GT(-control.translation.x, startX);
    EXPECT_EQ(world.steps, 0) << "no collision test in flight";
    run(0.52);
    EXPECT_FALSE(control.isFlying());
    EXPECT_EQ(eye(), crossing(2003, 7));
    EXPECT_EQ(control.verticalSpeed, 0.0f);
    EXPECT_NEAR(control.yaw, 135.0f, 1e-3);   // toward the house south-east of the crossing
    EXPECT_EQ(control.pitch, 0.0f);
    EXPECT_EQ(control.forward, 1) << "the held key walks on after landing";
    control.moveWalker(0.1);
    EXPECT_GT(world.steps, 0);
}

TEST_F(TimeKeys, ThePromptTakesKeysButNotReleasesAndRefusesWithoutMoving)
{
    control.special(GLUT_KEY_RIGHT, 0, 0);
    type("G");
    control.special(GLUT_KEY_LEFT, 0, 0);   // ignored while the prompt is open
    control.special(GLUT_KEY_END, 0, 0);
    EXPECT_EQ(control.turn, 1);
    control.specialUp(GLUT_KEY_RIGHT, 0, 0);
    EXPECT_EQ(control.turn, 0) << "a key held before the prompt must not stay held";
    type("wh1987\r");
    EXPECT_EQ(control.forward, 0);
    EXPECT_FALSE(control.helpShown);
    EXPECT_FALSE(control.isFlying());
    EXPECT_EQ(control.prompt.line(), "Go to: 1987_  no photos in 1987");
    const std::vector<float> before = eye();
    type("\x1b");
    EXPECT_FALSE(control.prompt.isOpen());
    EXPECT_TRUE(control.holdsEscape());
    control.keyboardUp(27, 0, 0);
    EXPECT_FALSE(control.holdsEscape());
    EXPECT_EQ(eye(), before);
}

TEST_F(TimeKeys, AKeyInFlightLandsFirstButAModifierDoesNotAndNAtTheLastHouseStaysWithANote)
{
    control.special(GLUT_KEY_END, 0, 0);
    run(0.3);
    for (int key : {GLUT_KEY_SHIFT_L, GLUT_KEY_SHIFT_R, GLUT_KEY_CTRL_L, GLUT_KEY_CTRL_R, GLUT_KEY_ALT_L,
                    GLUT_KEY_ALT_R, GLUT_KEY_SUPER_L, GLUT_KEY_SUPER_R, GLUT_KEY_NUM_LOCK, GLUT_KEY_F5}) {
        control.special(key, 0, 0);
        control.specialUp(key, 0, 0);
        ASSERT_TRUE(control.isFlying()) << "key " << key;
    }
    type("n");   // lands at the last house first, then finds nothing later
    EXPECT_FALSE(control.isFlying());
    EXPECT_EQ(eye(), crossing(2003, 12));
    EXPECT_EQ(control.selected, city.house(2003, 12, 4));
    EXPECT_EQ(control.noteLine, "no later house");
    EXPECT_EQ(control.noteSecondsLeft, 2.0);
    type("b");
    run(1.0);
    EXPECT_EQ(eye(), crossing(2003, 7));
    EXPECT_EQ(control.selected, city.house(2003, 7, 4));
    EXPECT_EQ(city.house(2003, 12, 4)->selectedPicture, -1);
    control.special(GLUT_KEY_PAGE_UP, 0, 0);   // 2002 has no houses
    run(1.0);
    EXPECT_EQ(eye(), crossing(2002, 7));
    EXPECT_EQ(control.selected, nullptr);
}

// Where the middle of the overview camera's view meets the ground.
std::pair<double, double> viewMiddle(const ShooterControl& c)
{
    const double pitch = c.overviewPitch * M_PI / 180.0, yaw = c.overviewYaw * M_PI / 180.0;
    const double along = -c.overviewTranslation.y / std::tan(pitch);
    return {-c.overviewTranslation.x + along * std::sin(yaw), -c.overviewTranslation.z - along * std::cos(yaw)};
}

TEST_F(TimeKeys, FromTheOverviewTheCameraFollowsAndJTakesTheWalkerDownToItsHouse)
{
    type("\t");
    const float height = control.overviewTranslation.y;
    control.special(GLUT_KEY_END, 0, 0);   // far beyond the camera's view
    control.moveOverviewCamera(0.5);      // the walker flies under the camera
    EXPECT_GT(viewMiddle(control).first, 800.0) << "on its way from x 700 to 1355";
    EXPECT_LT(viewMiddle(control).first, 1250.0) << "on its way from x 700 to 1355";
    control.moveOverviewCamera(0.6);
    EXPECT_EQ(eye(), crossing(2003, 12));
    EXPECT_NEAR(viewMiddle(control).first, eye()[0], 1e-2);
    EXPECT_NEAR(viewMiddle(control).second, eye()[2], 1e-2);
    control.overviewPitch = 60.0f;   // a slanted camera looks at it too
    control.overviewYaw = 30.0f;
    control.special(GLUT_KEY_HOME, 0, 0);
    type("+");   // lands at once
    EXPECT_EQ(eye(), crossing(2001, 1));
    EXPECT_NEAR(viewMiddle(control).first, eye()[0], 1e-2);
    EXPECT_NEAR(viewMiddle(control).second, eye()[2], 1e-2);
    EXPECT_EQ(control.overviewTranslation.y, height);
    type("-");

    control.selected->selectedPicture = -1;   // picked from above instead
    control.selected = const_cast<SceneObject*>(city.house(2003, 7, 1));
    control.selected->selectedPicture = 2;
    type("j");
    EXPECT_FALSE(control.overview);
    EXPECT_TRUE(control.mouseLook);
    run(1.0);
    EXPECT_EQ(eye(), crossing(2003, 7));
    EXPECT_EQ(control.selected->selectedPicture, 2) << "the picked picture stays picked";
}

TEST(Flight, RisesAndComesDownEasedTurningTheShorterWay)
{
    const WalkerPose from{0.0f, 1.8f, 0.0f, 350.0f, -20.0f};
    const WalkerPose to{1200.0f, 1.8f, 0.0f, 10.0f, 0.0f};
    const WalkerPose middle = flightPose(from, to, 0.5);
    EXPECT_NEAR(middle.x, 600.0f, 1e-3);
    EXPECT_NEAR(middle.yaw, 360.0f, 1e-3) << "through north, not back round";
    EXPECT_GT(middle.y, 200.0f);
    EXPECT_LT(flightPose(from, to, 0.1).x, 120.0f) << "eased: slow at the start";
    const WalkerPose end = flightPose(from, to, 1.0);
    EXPECT_EQ((std::vector<float>{end.x, end.y, end.z, end.yaw, end.pitch}),
              (std::vector<float>{1200.0f, 1.8f, 0.0f, 10.0f, 0.0f}));

    Flight flight;
    flight.start(from, to);
    double time = 0.0;
    float highest = 0.0f;
    while (flight.active() && time < 5.0) {
        highest = std::max(highest, flight.advance(0.05).y);
        time += 0.05;
    }
    EXPECT_NEAR(time, flightSeconds, 0.06);
    EXPECT_GT(highest, 250.0f);
}

} // namespace
