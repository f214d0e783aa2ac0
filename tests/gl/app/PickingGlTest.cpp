// Picking a house's picture through the selection buffer, and the nearest
// street crossing, on small hand-made scenes.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <vector>

#include "app/Zandervale.h"
#include "library/MonthQuarter.h"
#include "scene/House.h"
#include "scene/Street.h"
#include "support/IdleControl.h"
#include "support/TestWindowSize.h"

namespace {

// Looks down -z from (0, 11.25, 0): the middle of a one-box tower.
class FixedView : public support::IdleControl {
public:
    void applyView() override
    {
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glTranslatef(0.0f, -11.25f, 0.0f);
    }
};

MonthQuarter* record(int pictures)
{
    return new MonthQuarter(2005, 7, 1, new std::vector<TextureName>(pictures, 0),
                            new std::vector<std::string>());
}

class Picking : public testing::Test {
protected:
    void SetUp() override { app.setScene(objects, &view); }
    support::TestWindowSize size;
    std::vector<SceneObject*>* objects = new std::vector<SceneObject*>();
    FixedView view;
    Zandervale app;
};

TEST_F(Picking, NearerHouseWinsWhateverTheListOrder)
{
    objects->push_back(new Street(0, 0, -150, Street::crossing, 1, 2005));   // never picked
    objects->push_back(new House(0, 0, -300, record(1), 10));
    objects->push_back(new House(0, 0, -100, record(3), 11));
    int picture = 99;
    EXPECT_EQ(app.pick(128, 128, &picture), objects->at(2));
    EXPECT_EQ(picture, 0);   // the bottom box of the near house
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(app.pick(2, 2, &picture), nullptr);   // sky
    EXPECT_EQ(picture, -1);
}

TEST_F(Picking, AMissedClickOrAnEmptyCityPicksNothing)
{
    int picture = 99;
    EXPECT_EQ(app.pick(128, 128, &picture), nullptr);
    EXPECT_EQ(picture, -1);
}

TEST_F(Picking, NearestCrossingIsTakenAtOnceWithinFiftyElseTheClosest)
{
    EXPECT_EQ(app.nearestStreet(0, 0, 0), nullptr);   // a city without crossings
    objects->push_back(new Street(35, 0, 35, Street::eastWest, 1, 2005));   // not a crossing
    objects->push_back(new Street(35, 0, 155, Street::crossing, 1, 2006));
    objects->push_back(new Street(155, 0, 35, Street::crossing, 2, 2005));
    objects->push_back(new Street(155, 0, 155, Street::crossing, 2, 2006));
    EXPECT_EQ(app.nearestStreet(155, 1.8f, 155), objects->at(3));   // eye above it: distance 1
    EXPECT_EQ(app.nearestStreet(40, 0, 35), objects->at(2));        // 115 against 120.1
    EXPECT_EQ(app.nearestStreet(95, 0, 155), objects->at(1));       // 60 and 60: the earlier wins
}

} // namespace
