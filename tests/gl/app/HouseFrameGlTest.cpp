// The city's frame against a plain drawing of the same pose, every box bound
// and drawn on its own: what the viewer leaves out or batches must not show.
#include <IL/il.h>
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <functional>
#include <map>
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
#include "textures/PhotoAtlas.h"
#include "textures/Textures.h"
#include "textures/ThumbnailDecoder.h"

namespace {

// Every box bound and drawn at full size, seen or not, each photo with its
// full texture.
struct PlainHouse : SceneObject {
    PlainHouse(SceneObject* house, std::function<void(TextureName)> bindFull)
        : house(static_cast<House*>(house)), bindFull(std::move(bindFull)) {}
    void draw(double) override
    {
        for (const auto& c : house->getCubes()) {
            glPushMatrix();
            bindFull(c->texture);
            glTranslatef(house->x, 0, house->z);
            glRotatef(c->rotationY, 0, 1, 0);
            glTranslatef(c->x, c->y, c->z);
            glScalef(c->scale, c->scale, c->scale);
            c->unitBox().draw();
            glPopMatrix();
        }
        unbindPhoto();
    }
    const House* house;
    const std::function<void(TextureName)> bindFull;
};

// A walker in the 1024 x 768 window, houses of its city and their plain
// copies; the records and the box outlive the app and its houses.
class HouseFrame : public testing::Test {
protected:
    void addHouse(float x, float z, std::vector<TextureName> textures, int number)
    {
        records.emplace_back(new MonthQuarter(2005, 7, 1, std::move(textures), {}));
        city.emplace_back(new House(box, x, 0, z, records.back().get(), number));
        plain.emplace_back(new PlainHouse(city.back().get(), [this](TextureName photo) {
            const auto two = fullOf.find(photo);
            two != fullOf.end() ? fullPhotos.bind(two->second) : bindTexture(photo);
        }));
    }
    // The picture at path as the library loader places a thumbnail with
    // both levels kept in its cache; its full level alone in fullPhotos.
    TextureName twoLevels(const std::string& path)
    {
        const DecodedThumbnail thumbnail = decodeThumbnail(path.c_str(), true, true);
        const FullLevelAt at = cache->keep(path, stampOf(path.c_str()), thumbnail.width, thumbnail.height,
                                           thumbnail.blocks.data(), thumbnail.small.data());
        const TextureName photo = photos.upload(thumbnail, { cache, at, {} });
        fullOf[photo] = fullPhotos.upload(thumbnail);
        return photo;
    }
    // Grows the houses while the walker looks away, then turns it to them.
    void grow()
    {
        walker.init(&app);
        app.setScene(std::move(city), &walker);
        walker.placeAt(WalkerPose(-75, eyeLevel, 40, 270, 0));
        for (double seconds : { 100.0, 100.0 })
            app.draw(seconds);
        walker.placeAt(WalkerPose(-75, eyeLevel, 40, 90, 0));
        settle({ -75, eyeLevel, 40 });
    }
    // Frames until the full levels the houses asked for are all placed:
    // the app steps its own atlas, the test this one.
    void settle(const std::array<float, 3>& eye)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        do {
            app.draw(0.0);
            photos.stepLevels(eye.data(), 1000);
        } while (photos.fullLevelsAwaited() > 0 && std::chrono::steady_clock::now() < deadline);
    }
    // A frame of the scene the app holds.
    std::vector<GLubyte> drawnFrame()
    {
        std::vector<GLubyte> pixels(1024 * 768 * 3);
        app.draw(0.0);
        glReadPixels(0, 0, 1024, 768, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    }
    // A frame of the list the app does not hold: the app and plain swap theirs.
    std::vector<GLubyte> frame()
    {
        plain = app.setScene(std::move(plain), &walker);
        return drawnFrame();
    }
    // The plain frame against the city's (drawn here unless given): pixels
    // drawn, and pixels more than levels apart (or, for outlines only,
    // drawn in one and not the other).
    void expectSameFrame(int leastDrawn, const char* what, std::vector<GLubyte> seen = {}, int levels = 2,
                         int mostApart = 1024 * 768 / 1000, bool outlines = false)
    {
        const std::vector<GLubyte> expected = frame(), cityFrame = frame();   // the city back in the app
        if (seen.empty())
            seen = cityFrame;
        int differing = 0, drawn = 0;
        for (size_t p = 0; p < seen.size(); p += 3) {
            const auto apart = [&](size_t c) { return std::abs(seen[p + c] - expected[p + c]) > levels; };
            const bool drawnHere = expected[p] + expected[p + 1] + expected[p + 2] > 0;
            differing += outlines ? drawnHere != (seen[p] + seen[p + 1] + seen[p + 2] > 0) : apart(0) || apart(1) || apart(2);
            drawn += drawnHere;
        }
        EXPECT_GT(drawn, leastDrawn) << what;   // the houses ahead
        EXPECT_LE(differing, mostApart) << "pixels more than " << levels << " levels apart, " << what;
    }
    support::TempDir folder;
    std::vector<std::unique_ptr<MonthQuarter>> records;
    const std::shared_ptr<ThumbnailCache> cache = std::make_shared<ThumbnailCache>(folder.path(), folder.file("Zandervale.xml"));
    PhotoAtlas fullPhotos;
    std::map<TextureName, TextureName> fullOf;
    PhotoAtlas photos;
    const UnitBox box{ photos };
    std::vector<std::unique_ptr<SceneObject>> city, plain;
    support::WindowSize screen{ 1024, 768 };
    support::FakeWindow window;
    ShooterControl walker{ window, HeadsUpDisplay(0, 0, 0) };
    Zandervale app;
};

// Houses of 3 to 40 photos of their own, with both levels as the loader
// places them, ahead of the walker, at the edge of the view, beside it and
// behind it, grown while the walker looked away.
TEST_F(HouseFrame, MatchesEveryBoxDrawnOnItsOwnToTwoLevels)
{
    const struct { float x, z; int pictures; } houses[] = { { 60, 40, 3 }, { 150, 110, 8 }, { 260, -30, 14 }, { 420, 60, 31 },
                                                            { 100, 200, 40 }, { 0, 400, 9 }, { -300, 40, 6 } };
    for (int h = 0, photo = 0; h < 7; ++h) {
        std::vector<TextureName> textures;
        for (int i = 0; i < houses[h].pictures; ++i, ++photo) {
            const std::string path = folder.file("t" + std::to_string(photo % 12) + ".png");
            if (photo < 12)   // sharp detail up to the edges, different in every picture
                support::writeWithDevil(path, IL_PNG, 128, 96, [photo](int x, int y) {
                    return support::Colour{ GLubyte(x * 7 + photo * 40), GLubyte(y * 5 ^ x), GLubyte((x ^ y) * photo), 255 };
                });
            textures.push_back(twoLevels(path));
        }
        addHouse(houses[h].x, houses[h].z, textures, 10 + h);
    }
    glLightf(GL_LIGHT1, GL_QUADRATIC_ATTENUATION, 0);   // bright: a texel astray shows
    grow();
    // From the street, the near houses with their full levels, then from
    // straight above, where the tops show and every house its small level:
    // a box filter's average beside the full level's sampled texels (some
    // 1,600 pixels apart by more than 2 levels, none by more than 16).
    expectSameFrame(1024 * 768 / 10, "from the street");
    walker.showOverview(true);
    walker.placeOverviewCamera(WalkerPose(60, 700, 150, 0, 90));
    settle({ 60, 700, 150 });
    expectSameFrame(1024 * 768 / 100, "from above", {}, 8);
    drawnFrame();
    EXPECT_EQ(app.drawingOrder().picturesLastDrawn(), 7) << "houses drawn as pictures of themselves";
    // Lit by the walker's light alone, which is switched off (the houses go
    // black) and on again: no picture outlives either switch.
    const GLfloat dark[4] = { 0, 0, 0, 1 }, usual[4] = { 0.2f, 0.2f, 0.2f, 1 };
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, dark);
    for (const int leastDrawn : { 1000, 1024 * 768 / 100 }) {
        walker.keyboard('f', 0, 0);
        expectSameFrame(leastDrawn, "from above, the walker's light switched", drawnFrame(), 8);
    }
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, usual);
    // Beside the 31 photos' triangles (twisted, as it happens), looking
    // down their shaft: its upper sides show, its lower ones do not.
    walker.placeOverviewCamera(WalkerPose(360, 200, 60, 0, 90));
    settle({ 360, 200, 60 });
    expectSameFrame(1024 * 768 / 100, "into a shaft", {}, 8);
    // So near, a picture stands while the eye pans a fraction of a unit;
    // farther, the houses' sides part from their tops, and it is taken again.
    drawnFrame();
    for (float x : { 360.2f, 360.4f, 366.0f }) {
        walker.placeOverviewCamera(WalkerPose(x, 200, 60, 0, 90));
        expectSameFrame(1024 * 768 / 100, "into a shaft, panned", drawnFrame(), 8);
        drawnFrame();
    }
    // Higher, where runs of sides under 8 pixels are drawn as one: the
    // houses keep their outlines, whatever photo a pixel of a run shows.
    app.drawingOrder().leastSidePixels = 8.0f;
    walker.placeOverviewCamera(WalkerPose(60, 1200, 150, 0, 90));
    settle({ 60, 1200, 150 });
    expectSameFrame(1024 * 768 / 1000, "far above, runs of sides drawn as one", {}, 2, 20, true);
    // Back in the street, the pictures' textures are given back.
    EXPECT_TRUE(app.drawingOrder().picturesHeld());
    walker.showOverview(false);
    drawnFrame();
    EXPECT_FALSE(app.drawingOrder().picturesHeld()) << "the pictures' textures outlive the overview";
}

// Three rows of houses across the walker's view: past the nearest two, each
// house is drawn only where its bounds show behind those drawn before it,
// and those that peek out past the ones in front must all still show.
TEST_F(HouseFrame, DrawsEveryHouseThatPeeksPastNearerOnes)
{
    const std::string path = folder.file("t.png");
    support::writeWithDevil(path, IL_PNG, 128, 96, [](int x, int y) {
        return support::Colour{ GLubyte(x * 7), GLubyte(y * 5 ^ x), GLubyte(x ^ y), 255 };
    });
    for (int row = 0; row < 3; ++row)
        for (int column = -4; column <= 4; ++column)
            addHouse(120.0f + 80.0f * row, 100.0f * column, std::vector<TextureName>(row == 0 ? 3 : 1, loadTexture(path.c_str())),
                     10 + row * 9 + column);
    app.drawingOrder().occludingHouses = 2, app.drawingOrder().questionedBoxes = 0;   // every row past the nearest two is asked for
    grow();
    expectSameFrame(1024 * 768 / 10, "three rows");
    // Two houses in a line ahead, then a step aside that shows the farther
    // one past the nearer with the two still in the same order: the answers
    // of the frame before do not hold for the new view.
    city.clear(), plain.clear();
    addHouse(100, 40, std::vector<TextureName>(3, loadTexture(path.c_str())), 40);
    addHouse(250, 40, std::vector<TextureName>(3, loadTexture(path.c_str())), 41);
    app.drawingOrder().occludingHouses = 1;
    grow();
    expectSameFrame(1024 * 768 / 100, "two in a line");
    walker.placeAt(WalkerPose(-75, eyeLevel, 140, 90, 0));
    expectSameFrame(1024 * 768 / 100, "a step aside", drawnFrame());
}

// Seen from above, towers whose pictures, leaning out past each other,
// hold more pixels than the window: the pictures' texture grows and
// starts over, and they still keep to the towers while the eye pans.
TEST_F(HouseFrame, PicturesFromAboveKeepToTheirHousesAsTheyOutgrowTheirTexture)
{
    const std::string path = folder.file("t.png");
    support::writeWithDevil(path, IL_PNG, 128, 96, [](int x, int y) {
        return support::Colour{ GLubyte(x * 7), GLubyte(y * 5 ^ x), GLubyte(x ^ y), 255 };
    });
    const TextureName photo = loadTexture(path.c_str());
    for (int row = 0; row < 12; ++row)
        for (int column = 0; column < 12; ++column)
            addHouse(80.0f * column, 80.0f * row, std::vector<TextureName>(60, photo), 100 + 12 * row + column);
    glLightf(GL_LIGHT1, GL_QUADRATIC_ATTENUATION, 0);   // bright: a texel astray shows
    grow();
    walker.showOverview(true);
    for (float x : { 440.0f, 440.5f, 470.0f }) {
        walker.placeOverviewCamera(WalkerPose(x, 700, 440, 0, 90));
        drawnFrame();
        const std::vector<GLubyte> seen = drawnFrame();
        EXPECT_EQ(app.drawingOrder().picturesLastDrawn(), 144);
        expectSameFrame(1024 * 768 / 10, "towers from above", seen, 8);
    }
}

}  // namespace
