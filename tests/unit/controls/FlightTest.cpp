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
    std::vector<float> eye() const { return support::eyeOf(control.pose()); }
    std::vector<float> crossing(int year, int month) const
    {
        return {support::CalendarCity::crossingX(month), eyeLevel, support::CalendarCity::crossingZ(year)};
    }
    support::CalendarCity city;
    support::FakeWindow window;
    support::FakeWorld world;
    ShooterControl control{window, HeadsUpDisplay(1, 2, 3)};
};

TEST_F(TimeKeys, ATypedDateFliesOverTheCityWithoutWallsAndLandsWithTheHouseSelected)
{
    support::Marker previous;
    control.select(&previous, 3);
    world.wallFrom = -1e9f;   // every step would be blocked
    world.wallTo = 1e9f;
    control.keyboard('w', 0, 0);   // held through the prompt and the flight
    type("g2003-07-31\r");
    ASSERT_TRUE(control.isFlying());
    EXPECT_EQ(previous.selectedPicture, -1);
    EXPECT_EQ(control.selection(), city.house(2003, 7, 4));
    EXPECT_EQ(control.selection()->selectedPicture, 0);

    const WalkerPose start = control.pose();
    control.passiveMotion(900, 700);   // mouse look waits too
    EXPECT_EQ(control.pose().yaw(), start.yaw());
    run(0.5);
    EXPECT_GT(control.pose().y(), eyeLevel + 50.0f) << "half way, high over the city";
    EXPECT_GT(control.pose().x(), start.x());
    EXPECT_EQ(world.steps, 0) << "no collision test in flight";
    run(0.52);
    EXPECT_FALSE(control.isFlying());
    EXPECT_EQ(eye(), crossing(2003, 7));
    EXPECT_NEAR(control.pose().yaw(), 135.0f, 1e-3);   // toward the house south-east of the crossing
    EXPECT_EQ(control.pose().pitch(), 0.0f);
    control.moveWalker(0.1);
    EXPECT_GT(world.steps, 0) << "the held key walks on after landing";
}

TEST_F(TimeKeys, ThePromptTakesKeysButNotReleasesAndRefusesWithoutMoving)
{
    control.special(GLUT_KEY_RIGHT, 0, 0);
    type("G");
    control.special(GLUT_KEY_LEFT, 0, 0);   // ignored while the prompt is open
    control.special(GLUT_KEY_END, 0, 0);
    control.specialUp(GLUT_KEY_RIGHT, 0, 0);   // a key held before the prompt must not stay held
    type("wh1987\r");
    EXPECT_FALSE(control.isHelpShown());
    EXPECT_EQ(control.datePrompt().line(), "Go to: 1987_  no photos in 1987");
    const std::vector<float> before = support::eyeOf(control.pose(), true);
    run(0.1);
    type("\x1b");
    EXPECT_FALSE(control.datePrompt().isOpen());
    EXPECT_TRUE(control.holdsEscape());
    control.keyboardUp(27, 0, 0);
    EXPECT_FALSE(control.holdsEscape());
    EXPECT_EQ(support::eyeOf(control.pose(), true), before);
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
    EXPECT_EQ(eye(), crossing(2003, 12));
    EXPECT_EQ(control.selection(), city.house(2003, 12, 4));
    EXPECT_EQ(control.note(), "no later house");
    type("b");
    run(1.0);
    EXPECT_EQ(eye(), crossing(2003, 7));
    EXPECT_EQ(control.selection(), city.house(2003, 7, 4));
    EXPECT_EQ(city.house(2003, 12, 4)->selectedPicture, -1);
    control.special(GLUT_KEY_PAGE_UP, 0, 0);   // 2002 has no houses
    run(1.0);
    EXPECT_EQ(eye(), crossing(2002, 7));
    EXPECT_EQ(control.selection(), nullptr);
}

// Where the middle of the overview camera's view meets the ground.
std::vector<float> viewMiddle(const ShooterControl& c)
{
    const WalkerPose& camera = c.overviewCamera();
    const double pitch = camera.pitch() * M_PI / 180.0, yaw = camera.yaw() * M_PI / 180.0;
    const double along = camera.y() / std::tan(pitch);
    return {static_cast<float>(camera.x() + along * std::sin(yaw)), eyeLevel,
            static_cast<float>(camera.z() - along * std::cos(yaw))};
}

void expectNear(const std::vector<float>& a, const std::vector<float>& b)
{
    EXPECT_NEAR(a[0], b[0], 1e-2);
    EXPECT_NEAR(a[2], b[2], 1e-2);
}

TEST_F(TimeKeys, FromTheOverviewTheCameraFollowsAndJTakesTheWalkerDownToItsHouse)
{
    type("\t");
    const float height = control.overviewCamera().y();
    control.special(GLUT_KEY_END, 0, 0);   // far beyond the camera's view
    control.moveOverviewCamera(0.5);      // the walker flies under the camera
    EXPECT_GT(viewMiddle(control)[0], 800.0) << "on its way from x 700 to 1355";
    EXPECT_LT(viewMiddle(control)[0], 1250.0) << "on its way from x 700 to 1355";
    control.moveOverviewCamera(0.6);
    EXPECT_EQ(eye(), crossing(2003, 12));
    expectNear(viewMiddle(control), eye());
    const WalkerPose& camera = control.overviewCamera();   // a slanted camera looks at it too
    control.placeOverviewCamera(WalkerPose(camera.x(), camera.y(), camera.z(), 30.0f, 60.0f));
    control.special(GLUT_KEY_HOME, 0, 0);
    type("+");   // lands at once
    EXPECT_EQ(eye(), crossing(2001, 1));
    expectNear(viewMiddle(control), eye());
    EXPECT_EQ(control.overviewCamera().y(), height);

    control.select(const_cast<SceneObject*>(city.house(2003, 7, 1)), 2);   // picked from above instead
    type("j");
    EXPECT_FALSE(control.isOverview());
    EXPECT_TRUE(control.isMouseLook());
    run(1.0);
    EXPECT_EQ(eye(), crossing(2003, 7));
    EXPECT_EQ(control.selection()->selectedPicture, 2) << "the picked picture stays picked";
}

TEST(Flight, RisesAndComesDownEasedTurningTheShorterWay)
{
    const WalkerPose from(0.0f, 1.8f, 0.0f, 350.0f, -20.0f);
    const WalkerPose to(1200.0f, 1.8f, 0.0f, 10.0f, 0.0f);
    const WalkerPose middle = flightPose(from, to, 0.5);
    EXPECT_NEAR(middle.x(), 600.0f, 1e-3);
    EXPECT_NEAR(middle.yaw(), 360.0f, 1e-3) << "through north, not back round";
    EXPECT_GT(middle.y(), 200.0f);
    EXPECT_LT(flightPose(from, to, 0.1).x(), 120.0f) << "eased: slow at the start";
    EXPECT_EQ(support::eyeOf(flightPose(from, to, 1.0), true), support::eyeOf(to, true));

    Flight flight;
    flight.start(from, to);
    double time = 0.0;
    float highest = 0.0f;
    while (flight.active() && time < 5.0) {
        highest = std::max(highest, flight.advance(0.05).y());
        time += 0.05;
    }
    EXPECT_NEAR(time, flightSeconds, 0.06);
    EXPECT_GT(highest, 250.0f);
}

} // namespace
