// The city's frame against a plain drawing of the same pose, every box bound
// and drawn on its own: what the viewer leaves out or batches must not show.
#include <IL/il.h>
#include <gtest/gtest.h>

#include <memory>

#include "app/Zandervale.h"
#include "controls/ShooterControl.h"
#include "scene/Cube.h"
#include "scene/House.h"
#include "scene/UnitBox.h"
#include "support/ImageFiles.h"
#include "support/TempDir.h"
#include "support/WalkerFakes.h"
#include "support/WindowSize.h"
#include "textures/GlState.h"
#include "textures/Textures.h"

namespace {

// Every box bound and drawn at full size, seen or not.
struct PlainHouse : SceneObject {
    explicit PlainHouse(SceneObject* house) : house(static_cast<House*>(house)) {}
    void draw(double) override
    {
        for (const auto& c : house->getCubes()) {
            glPushMatrix();
            bindTexture(c->texture);
            glTranslatef(house->x, 0, house->z);
            glRotatef(c->rotationY, 0, 1, 0);
            glTranslatef(c->x, c->y, c->z);
            glScalef(c->scale, c->scale, c->scale);
            c->unitBox().draw();
            glPopMatrix();
        }
    }
    const House* house;
};

// Houses of 3 to 40 photos of their own, ahead of the walker, at the edge
// of the view, beside it and behind it, grown while the walker looked away.
TEST(HouseFrame, MatchesEveryBoxDrawnOnItsOwnToTwoLevels)
{
    support::TempDir folder;
    const struct { float x, z; int pictures; } houses[] = { { 60, 40, 3 }, { 150, 110, 8 }, { 260, -30, 14 }, { 420, 60, 31 },
                                                            { 100, 200, 40 }, { 0, 400, 9 }, { -300, 40, 6 } };
    std::vector<std::unique_ptr<MonthQuarter>> records;   // outlive the app, which deletes the city
    const UnitBox box;   // outlives the app too
    std::vector<SceneObject*>* city = new std::vector<SceneObject*>();
    for (int h = 0, photo = 0; h < 7; ++h) {
        auto* textures = new std::vector<TextureName>();
        for (int i = 0; i < houses[h].pictures; ++i, ++photo) {
            const std::string path = folder.file("t" + std::to_string(photo % 12) + ".png");
            if (photo < 12)   // sharp detail up to the edges, different in every picture
                support::writeWithDevil(path, IL_PNG, 128, 96, [photo](int x, int y) {
                    return support::Colour{ GLubyte(x * 7 + photo * 40), GLubyte(y * 5 ^ x), GLubyte((x ^ y) * photo), 255 };
                });
            textures->push_back(loadTexture(path.c_str()));
        }
        records.emplace_back(new MonthQuarter(2005, 7, 1, textures, new std::vector<std::string>()));
        city->push_back(new House(box, houses[h].x, 0, houses[h].z, records.back().get(), 10 + h));
    }
    std::vector<PlainHouse> plainHouses(city->begin(), city->end());
    std::vector<SceneObject*> plain;
    for (PlainHouse& house : plainHouses)
        plain.push_back(&house);
    support::WindowSize screen(1024, 768);
    support::FakeWindow window;
    ShooterControl walker(window, 0, 0, 0);
    Zandervale app;
    walker.init(&app);
    glLightf(GL_LIGHT1, GL_QUADRATIC_ATTENUATION, 0);   // bright: a texel astray shows
    app.setScene(city, &walker);
    walker.yaw = 270;   // away from the houses ahead while they grow
    for (double seconds : { 100.0, 100.0 })
        app.draw(seconds);
    walker.yaw = 90;
    const auto frame = [&](std::vector<SceneObject*>* scene) {
        std::vector<GLubyte> pixels(1024 * 768 * 3);
        app.setScene(scene, &walker);
        app.draw(0.0);
        glReadPixels(0, 0, 1024, 768, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    };
    // From the street, then from straight above, where the tops show.
    for (bool overview : { false, true }) {
        walker.overview = overview;
        walker.overviewTranslation = { -60, -700, -150 };
        const std::vector<GLubyte> expected = frame(&plain), seen = frame(city);
        int differing = 0, drawn = 0;
        for (size_t p = 0; p < seen.size(); p += 3) {
            const auto apart = [&](size_t c) { return std::abs(seen[p + c] - expected[p + c]) > 2; };
            differing += apart(0) || apart(1) || apart(2);
            drawn += expected[p] + expected[p + 1] + expected[p + 2] > 0;
        }
        EXPECT_GT(drawn, 1024 * 768 / (overview ? 100 : 10)) << "overview " << overview;   // the houses ahead
        EXPECT_LE(differing, 1024 * 768 / 1000) << "pixels more than 2 levels apart, overview " << overview;
    }
    app.setScene(city, &walker);   // the app deletes the city
}

// Three rows of houses across the walker's view: past the nearest two, each
// house is drawn only where its bounds show behind those drawn before it,
// and those that peek out past the ones in front must all still show.
TEST(HouseFrame, DrawsEveryHouseThatPeeksPastNearerOnes)
{
    support::TempDir folder;
    const std::string path = folder.file("t.png");
    support::writeWithDevil(path, IL_PNG, 128, 96, [](int x, int y) {
        return support::Colour{ GLubyte(x * 7), GLubyte(y * 5 ^ x), GLubyte(x ^ y), 255 };
    });
    std::vector<std::unique_ptr<MonthQuarter>> records;
    const UnitBox box;   // outlives the app too
    std::vector<SceneObject*>* city = new std::vector<SceneObject*>();
    for (int row = 0; row < 3; ++row)
        for (int column = -4; column <= 4; ++column) {
            auto* textures = new std::vector<TextureName>(row == 0 ? 3 : 1, loadTexture(path.c_str()));
            records.emplace_back(new MonthQuarter(2005, 7, 1, textures, new std::vector<std::string>()));
            city->push_back(new House(box, 120.0f + 80.0f * row, 0, 100.0f * column, records.back().get(), 10 + row * 9 + column));
        }
    std::vector<PlainHouse> plainHouses(city->begin(), city->end());
    std::vector<SceneObject*> plain(plainHouses.size());
    for (size_t i = 0; i < plain.size(); ++i)
        plain[i] = &plainHouses[i];
    support::WindowSize screen(1024, 768);
    support::FakeWindow window;
    ShooterControl walker(window, 0, 0, 0);
    Zandervale app;
    app.occludingHouses = 2, app.questionedBoxes = 0;   // every row past the nearest two is asked for
    walker.init(&app);
    app.setScene(city, &walker);
    for (double seconds : { 100.0, 100.0, 0.0 }) {   // grown looking away, then the frame
        walker.yaw = seconds > 0 ? 270 : 90;
        app.draw(seconds);
    }
    std::vector<GLubyte> expected(1024 * 768 * 3), seen(expected.size());
    glReadPixels(0, 0, 1024, 768, GL_RGB, GL_UNSIGNED_BYTE, seen.data());
    app.setScene(&plain, &walker);
    app.draw(0.0);
    glReadPixels(0, 0, 1024, 768, GL_RGB, GL_UNSIGNED_BYTE, expected.data());
    int differing = 0, drawn = 0;
    for (size_t p = 0; p < seen.size(); p += 3) {
        const auto apart = [&](size_t c) { return std::abs(seen[p + c] - expected[p + c]) > 2; };
        differing += apart(0) || apart(1) || apart(2);
        drawn += expected[p] + expected[p + 1] + expected[p + 2] > 0;
    }
    EXPECT_GT(drawn, 1024 * 768 / 10);   // the houses ahead
    EXPECT_LE(differing, 1024 * 768 / 1000) << "pixels more than 2 levels apart";
    app.setScene(city, &walker);   // the app deletes the city
}

}  // namespace
