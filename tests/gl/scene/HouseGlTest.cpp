// The house: its random draws, the GL state its drawing leaves, its pick
// names and its collision bounds.
#include "scene/House.h"

#include <GL/glu.h>

#include <cstdlib>

#include "SceneGl.h"
#include "scene/Cube.h"
#include "scene/HouseLayout.h"

using scenetest::SceneGl;

namespace {

void expectBoxesAt(const House& house, const std::vector<BoxPlacement>& want)
{
    const std::vector<Cube*>& cubes = house.getCubes();
    ASSERT_EQ(cubes.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
        EXPECT_EQ(cubes[i]->x, want[i].x) << i;
        EXPECT_EQ(cubes[i]->y, want[i].y) << i;
        EXPECT_EQ(cubes[i]->z, want[i].z) << i;
        EXPECT_EQ(cubes[i]->rotationY, want[i].rotationY) << i;
        EXPECT_EQ(cubes[i]->scale, want[i].scale) << i;
        EXPECT_EQ(cubes[i]->texture, 1000u + i) << i;
    }
}

// Selection-mode pick of a 4 x 4 pixel region; the projection shows world
// x and y from -50 to 50 over the window, looking along -z.
std::vector<GLuint> pickAt(House& house, float worldX, float worldY)
{
    static GLuint buffer[256];
    glSelectBuffer(256, buffer);
    glRenderMode(GL_SELECT);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPickMatrix((worldX + 50.0) / 100.0 * viewport[2], (worldY + 50.0) / 100.0 * viewport[3],
                  4.0, 4.0, viewport);
    glOrtho(-50, 50, -50, 50, -100, 100);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glInitNames();
    house.drawForPicking();
    const GLint hits = glRenderMode(GL_RENDER);
    std::vector<GLuint> names;
    if (hits == 1)
        names.assign(buffer + 3, buffer + 3 + buffer[0]);
    else
        names.push_back(static_cast<GLuint>(-1 - hits));   // shows the count in failures
    return names;
}

} // namespace

TEST_F(SceneGl, HouseDrawsGrowthRateThenVariantFromRand)
{
    const struct { int n; int draws; } cases[] = { { 0, 2 }, { 5, 2 }, { 8, 1 }, { 20, 1 }, { 31, 2 } };
    for (const auto& c : cases) {
        std::srand(11);
        const int first = std::rand();
        const int second = std::rand();
        const int third = std::rand();
        std::srand(11);
        auto rec = scenetest::record(c.n);
        House house(0, 0, 0, rec.get(), 10);
        EXPECT_EQ(house.getGrowthRate(), (first % 40 + 10) * 0.005f) << "n=" << c.n;
        EXPECT_EQ(std::rand(), c.draws == 2 ? third : second) << "n=" << c.n;
        expectBoxesAt(house, layoutBoxes(c.n, c.draws == 2 ? second % 3 : 0));
        EXPECT_EQ(house.selectedPicture, -1);
        EXPECT_EQ(house.getGrowth(), 0.0f);
    }
}

TEST_F(SceneGl, SameRandSequenceBuildsTheSameHouse)
{
    auto rec = scenetest::record(40);
    for (unsigned seed : { 1u, 2u, 3u, 4u }) {
        std::srand(seed);
        House a(0, 0, 0, rec.get(), 10);
        std::srand(seed);
        House b(0, 0, 0, rec.get(), 11);
        EXPECT_EQ(a.getGrowthRate(), b.getGrowthRate());
        std::vector<BoxPlacement> boxes;
        for (const Cube* cube : a.getCubes())
            boxes.push_back({ cube->x, cube->y, cube->z, cube->rotationY, cube->scale });
        expectBoxesAt(b, boxes);
    }
}

TEST_F(SceneGl, SelectedHouseLeavesTheWindowStateAndALineWidthOfOne)
{
    auto rec = scenetest::record(3);
    // Near (no pulse), in the middle, and beyond 300 where the glow width
    // would be 0 or less.
    for (float distance : { 0.0f, 150.0f, 400.0f }) {
        House house(distance, 0, 0, rec.get(), 10);
        house.selectedPicture = 1;
        const GLint depth = scenetest::modelviewDepth();
        glLineWidth(3.0f);
        house.draw(0.1);
        house.draw(0.1);
        EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D)) << distance;
        EXPECT_TRUE(glIsEnabled(GL_LIGHTING)) << distance;
        EXPECT_FALSE(glIsEnabled(GL_BLEND)) << distance;
        GLint modes[2] = { 0, 0 };
        glGetIntegerv(GL_POLYGON_MODE, modes);
        EXPECT_EQ(modes[0], GL_FILL);
        EXPECT_EQ(modes[1], GL_FILL);
        GLfloat width = 0;
        glGetFloatv(GL_LINE_WIDTH, &width);
        EXPECT_EQ(width, 1.0f) << distance;
        EXPECT_EQ(scenetest::modelviewDepth(), depth);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << distance;
    }
}

TEST_F(SceneGl, HouseSelectedPastItsLastBoxDrawsAsNotSelected)
{
    auto rec = scenetest::record(3);
    for (int selected : { -1, 3, 99 }) {
        House house(0, 0, 0, rec.get(), 10);
        house.selectedPicture = selected;
        const GLfloat grey[4] = { 0.25f, 0.25f, 0.25f, 1.0f };
        glColor4fv(grey);
        glLineWidth(3.0f);
        const GLint depth = scenetest::modelviewDepth();
        house.draw(0.1);
        GLfloat colour[4];
        glGetFloatv(GL_CURRENT_COLOR, colour);
        EXPECT_EQ(colour[0], grey[0]) << "no glow colour for " << selected;
        GLfloat width = 0;
        glGetFloatv(GL_LINE_WIDTH, &width);
        EXPECT_EQ(width, 3.0f) << selected;
        EXPECT_EQ(scenetest::modelviewDepth(), depth);
        EXPECT_GT(house.getGrowth(), 0.0f);
    }
    glLineWidth(1.0f);
}

TEST_F(SceneGl, PickingNamesTheHouseThenTheBoxAtFullSize)
{
    auto rec = scenetest::record(2);
    House house(0, 0, 0, rec.get(), 12);   // never drawn: growth is still 0
    // Box 0 stands from 0 to about 22 in every tower variant, box 1 above.
    EXPECT_EQ(pickAt(house, 0, 11), (std::vector<GLuint>{ 12, 0 }));
    EXPECT_EQ(pickAt(house, 0, 35), (std::vector<GLuint>{ 12, 1 }));
    EXPECT_EQ(pickAt(house, 40, 11), (std::vector<GLuint>{ static_cast<GLuint>(-1) }));
    scenetest::applyWindowState();
}

TEST_F(SceneGl, HouseBlocksOnlyNearItsBaseAndAsksBoxesRelativeToIt)
{
    auto rec = scenetest::record(8);   // pairs: no random layout
    House house(100, 0, 200, rec.get(), 10);
    // The odd pair box is drawn centred at about (8.84, 7.5, 8.84); its turned
    // square (half diagonal 12 * sqrt 2) reaches z = 25.8.
    const struct { const char* what; float to[3]; bool blocked; } cases[] = {
        { "into the odd box", { 108.84f, 1.8f, 208.84f }, true },
        { "into the even box", { 91.16f, 1.8f, 191.16f }, true },
        { "same point without the house offset", { 8.84f, 1.8f, 8.84f }, false },
        { "the box's far corner, inside 25.5", { 108.84f, 1.8f, 225.4f }, true },
        { "the box's far corner, at 25.5", { 108.84f, 1.8f, 225.5f }, false },
        { "above the house", { 100, 80, 200 }, false },
    };
    for (const auto& c : cases) {
        float out[3] = { -7, -7, -7 };
        EXPECT_EQ(house.collides(100, 1.8f, 400, c.to[0], c.to[1], c.to[2], &out[0], &out[1], &out[2]),
                  c.blocked) << c.what;
        EXPECT_EQ(out[0], -7.0f) << "out-parameters are the scene root's to write";
    }
}
