// The house: random draws, the GL state its drawing leaves, pick names, collision.
#include "scene/House.h"

#include <GL/glu.h>

#include <cstdlib>
#include <tuple>

#include "SceneGl.h"
#include "scene/Cube.h"
#include "scene/HouseLayout.h"

using scenetest::SceneGl;

namespace {

// Selection-mode pick of 4 x 4 pixels at world (x, y), the window showing x
// and y from -50 to 50 along -z: the names of the single hit, else {-1 - hits}.
std::vector<GLuint> pickAt(House& house, float worldX, float worldY)
{
    GLuint buffer[64];
    glSelectBuffer(64, buffer);
    glRenderMode(GL_SELECT);
    GLint viewport[4] = { 0, 0, 256, 256 };
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPickMatrix((worldX + 50.0) * 2.56, (worldY + 50.0) * 2.56, 4.0, 4.0, viewport);
    glOrtho(-50, 50, -50, 50, -100, 100);
    glMatrixMode(GL_MODELVIEW);
    glInitNames();
    house.drawForPicking();
    const GLint hits = glRenderMode(GL_RENDER);
    return hits == 1 ? std::vector<GLuint>(buffer + 3, buffer + 3 + buffer[0]) : std::vector<GLuint>{ GLuint(-1 - hits) };
}

} // namespace

TEST_F(SceneGl, SameRandSequenceBuildsTheSameHouseFromRateThenVariant)
{
    // Seeds chosen so the random bands meet every variant.
    const struct { int n; unsigned seed; int draws; } cases[] = {
        { 0, 11, 2 }, { 7, 11, 2 }, { 7, 1, 2 }, { 8, 7, 1 }, { 30, 2, 1 }, { 31, 7, 2 }, { 31, 4, 2 }, { 250, 1, 2 },
    };
    for (const auto& c : cases) {
        std::srand(c.seed);
        const int r[3] = { std::rand(), std::rand(), std::rand() };
        const std::vector<BoxPlacement> want = layoutBoxes(c.n, c.draws == 2 ? r[1] % 3 : 0);
        auto rec = scenetest::record(c.n);
        for (int copy = 0; copy < 2; ++copy) {
            SCOPED_TRACE(testing::Message() << "n=" << c.n << " seed " << c.seed << " copy " << copy);
            std::srand(c.seed);
            House house(0, 0, 0, rec.get(), 10);
            EXPECT_EQ(house.getGrowthRate(), (r[0] % 40 + 10) * 0.005f);
            EXPECT_EQ(std::rand(), r[c.draws]);
            const std::vector<Cube*>& cubes = house.getCubes();
            ASSERT_EQ(cubes.size(), want.size());
            for (size_t i = 0; i < want.size(); ++i) {
                const Cube& got = *cubes[i];
                EXPECT_EQ(std::make_tuple(got.x, got.y, got.z, got.rotationY, got.scale, got.texture),
                          std::make_tuple(want[i].x, want[i].y, want[i].z, want[i].rotationY, want[i].scale, 1000u + i))
                    << "box " << i;
            }
        }
    }
}

TEST_F(SceneGl, SelectedHouseLeavesTheWindowStateAndALineWidthOfOne)
{
    auto rec = scenetest::record(3);
    // No pulse, in the middle, and beyond 300 where the glow width is below 0.
    for (float distance : { 0.0f, 150.0f, 400.0f }) {
        SCOPED_TRACE(distance);
        House house(distance, 0, 0, rec.get(), 10);
        house.selectedPicture = 1;
        const GLint depth = scenetest::integer(GL_MODELVIEW_STACK_DEPTH);
        glLineWidth(3.0f);
        house.draw(0.1);
        house.draw(0.1);
        EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
        EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
        EXPECT_FALSE(glIsEnabled(GL_BLEND));
        GLint modes[2] = { 0, 0 };
        GLfloat width = 0;
        glGetIntegerv(GL_POLYGON_MODE, modes);
        glGetFloatv(GL_LINE_WIDTH, &width);
        EXPECT_EQ(std::make_tuple(modes[0], modes[1], width), std::make_tuple(GL_FILL, GL_FILL, 1.0f));
        EXPECT_EQ(scenetest::integer(GL_MODELVIEW_STACK_DEPTH), depth);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
}

TEST_F(SceneGl, PickingNamesTheHouseThenTheBoxAtFullSize)
{
    auto rec = scenetest::record(2);
    House house(0, 0, 0, rec.get(), 12);   // never drawn: growth is still 0
    // Box 0 stands from 0 to about 22 in every tower variant, box 1 above.
    EXPECT_EQ(pickAt(house, 0, 11), (std::vector<GLuint>{ 12, 0 }));
    EXPECT_EQ(pickAt(house, 0, 35), (std::vector<GLuint>{ 12, 1 }));
    EXPECT_EQ(pickAt(house, 40, 11), (std::vector<GLuint>{ static_cast<GLuint>(-1) }));
}

TEST_F(SceneGl, HouseBlocksOnlyWithin25AndAHalfAndAsksBoxesRelativeToIt)
{
    auto rec = scenetest::record(8);   // pairs: no random layout
    House house(100, 0, 200, rec.get(), 10);
    // The odd box, drawn about (8.84, 7.5, 8.84), reaches z = 25.8 with its margin.
    const struct { const char* what; float to[3]; bool blocked; } cases[] = {
        { "into the odd box", { 108.84f, 1.8f, 208.84f }, true },
        { "same point without the house offset", { 8.84f, 1.8f, 8.84f }, false },
        { "the box's far corner, inside 25.5", { 108.84f, 1.8f, 225.4f }, true },
        { "the box's far corner, at 25.5", { 108.84f, 1.8f, 225.5f }, false },
    };
    for (const auto& c : cases) {
        float out[3] = { -7, -7, -7 };   // the scene root's to write
        EXPECT_EQ(house.collides(100, 1.8f, 400, c.to[0], c.to[1], c.to[2], &out[0], &out[1], &out[2]),
                  c.blocked) << c.what;
        EXPECT_EQ(out[0], -7.0f) << c.what;
    }
}
