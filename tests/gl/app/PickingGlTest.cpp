// Picking a house's picture through the selection buffer in a city drawn at
// 1024 x 768, and the nearest street crossing.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <vector>

#include "app/Window.h"
#include "app/Zandervale.h"
#include "controls/ShooterControl.h"
#include "library/MonthQuarter.h"
#include "scene/House.h"
#include "scene/Street.h"
#include "scene/GroundSet.h"
#include "scene/UnitBox.h"
#include "support/WindowSize.h"
#include "support/WalkerFakes.h"
#include "textures/PhotoAtlas.h"

namespace {

// Houses of three colours seen by the walker: wherever a house is drawn, a
// click there picks that house and one of its pictures, in the upper half
// and near the edges too (picking sees through the display's projection),
// and where the near red house hides the green one listed before it.
TEST(Picking, AClickPicksTheHouseDrawnUnderIt)
{
    setDefaultGlState();   // the viewer's, normalizing included
    support::WindowSize screen(1024, 768);
    support::FakeWindow window;
    ShooterControl walker(window, HeadsUpDisplay(0, 0, 0));
    std::vector<std::unique_ptr<MonthQuarter>> records;   // outlive the app, which deletes the houses
    PhotoAtlas photos;
    const UnitBox box(photos);
    const GroundSet ground;
    Zandervale app;
    const std::array<int, 3> colours[] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
    const float places[][2] = {{50, 40}, {110, 75}, {50, 140}};   // ahead, behind it, at the edge
    const int pictures[] = {30, 60, 8};
    std::vector<std::unique_ptr<SceneObject>> houses;
    for (int i : {1, 0, 2}) {
        const std::vector<TextureName> textures(pictures[i], support::solidTexture(colours[i]));
        records.emplace_back(new MonthQuarter(2005, 7, i + 1, textures, {}));
        houses.emplace_back(new House(box, places[i][0], 0, places[i][1], records.back().get(), 10 + i));
    }
    houses.emplace_back(new Street(ground, 50, 0, 40, Street::crossing, 1, 2005));   // drawn, never picked
    app.setScene(std::move(houses), &walker);
    walker.init(&app);
    for (int frame = 0; frame < 40; ++frame)   // full grown
        app.draw(1.0);
    int checked[3][2] = {};   // per house: lower and upper half
    for (int y = 8; y < 768; y += 32)
        for (int x = 4; x < 1024; x += 20) {
            const std::array<int, 3> c = support::WindowSize::at(x, y);
            // Lit from afar the houses are dark (normals kept unit-length: 11 to 27); one channel still
            // tells them apart.
            const int house = c[0] > 8 ? 0 : c[1] > 8 ? 1 : c[2] > 8 ? 2 : -1;
            if (house < 0 || c[(house + 1) % 3] > 10 || c[(house + 2) % 3] > 10)
                continue;   // sky, ground, or an edge where colours mix
            int picture = -1;
            SceneObject* picked = app.pick(x, 767 - y, &picture);   // GLUT's y grows downward
            ASSERT_NE(picked, nullptr) << "at " << x << "," << y;
            EXPECT_EQ(picked->pickName, 10 + house) << "at " << x << "," << y;
            EXPECT_TRUE(picture >= 0 && picture < pictures[house]) << picture;
            ++checked[house][y >= 384];
        }
    for (int i = 0; i < 3; ++i)
        EXPECT_GT(checked[i][0] + checked[i][1], 3) << "house " << i << " hardly seen";
    EXPECT_GT(checked[0][1], 3) << "nothing checked in the upper half";
    int picture = 0;
    EXPECT_EQ(app.pick(1000, 10, &picture), nullptr);   // sky
    EXPECT_EQ(picture, -1);
}

TEST(Picking, NearestCrossingIsTakenAtOnceWithinFiftyElseTheClosest)
{
    const GroundSet ground;
    Zandervale app;
    EXPECT_EQ(app.nearestStreet(0, 0, 0), nullptr);   // a city without crossings
    std::vector<std::unique_ptr<SceneObject>> objects;
    objects.emplace_back(new Street(ground, 35, 0, 35, Street::eastWest, 1, 2005));   // not a crossing
    objects.emplace_back(new Street(ground, 35, 0, 155, Street::crossing, 1, 2006));
    objects.emplace_back(new Street(ground, 155, 0, 35, Street::crossing, 2, 2005));
    objects.emplace_back(new Street(ground, 155, 0, 155, Street::crossing, 2, 2006));
    const std::vector<SceneObject*> at = {objects[0].get(), objects[1].get(), objects[2].get(), objects[3].get()};
    app.setScene(std::move(objects), nullptr);
    EXPECT_EQ(app.nearestStreet(155, 1.8f, 155), at[3]);   // eye above it: distance 1
    EXPECT_EQ(app.nearestStreet(40, 0, 35), at[2]);        // 115 against 120.1
    EXPECT_EQ(app.nearestStreet(95, 0, 155), at[1]);       // 60 and 60: the earlier wins
}

} // namespace
