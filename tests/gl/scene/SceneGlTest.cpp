// The scene objects as drawn and read back: pictures upright and unmirrored on
// boxes, signs and streets; a selected house pulsing and glowing. Also the steps a house blocks.
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

#include "scene/Angles.h"
#include "scene/Cube.h"
#include "scene/DrawingOrder.h"
#include "scene/House.h"
#include "scene/HouseLayout.h"
#include "scene/SceneArtwork.h"
#include "scene/Sign.h"
#include "scene/Street.h"
#include "support/GlPixels.h"
#include "support/TempDir.h"
#include "textures/GlState.h"
#include "textures/PhotoAtlas.h"
#include "textures/Textures.h"
#include "textures/ThumbnailDecoder.h"

using support::Colour;

namespace {

// Drawing textured with back faces culled, as the window does; no GL error left.
struct SceneGl : testing::Test {
    void SetUp() override { enableGl(GlState::texturing | GlState::culling); }
    void TearDown() override { EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)); }
    PhotoAtlas photos;
    const SceneArtwork art{ YearSpan(), photos };
};

// Pictures are written as rows of letters, top row first: "RG/BW" is red
// top-left, green top-right, blue bottom-left, white bottom-right.
const std::pair<char, Colour> letters[] = { { 'R', support::red }, { 'G', support::green },
    { 'B', support::blue }, { 'W', support::white }, { 'K', support::black } };

// Replaces a texture's image with a 2 x 2 picture, its top row at t = 0,
// sampled sharp (llvmpipe's anisotropic filter would blend the texels).
GLuint markTexture(GLuint name, const std::string& picture)
{
    Colour texels[4] = {};
    for (int i = 0; i < 4; ++i)
        for (const auto& [letter, colour] : letters)
            texels[i] = picture[i + i / 2] == letter ? colour : texels[i];
    bindTexture(name);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
    for (GLenum filter : { GL_TEXTURE_MIN_FILTER, GL_TEXTURE_MAG_FILTER })
        glTexParameteri(GL_TEXTURE_2D, filter, GL_NEAREST);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, 1.0f);
    return name;
}

// The texture an object leaves bound after drawing: its last plate's.
GLuint boundBy(SceneObject&& object)
{
    GLint name = 0;
    bindTexture(0);
    object.draw(0.0);
    return glGetIntegerv(GL_TEXTURE_BINDING_2D, &name), static_cast<GLuint>(name);
}

// Clears the window to look, unlit, at the rectangle of half sizes
// (halfWidth, halfHeight) round the origin from side "+z", "-z", "+x" or "-x"
// (y up) or "+y" (-z up); textures show their own colours.
void viewFrom(const std::string& side, float halfWidth, float halfHeight)
{
    glClear(GL_COLOR_BUFFER_BIT);
    disableGl(GlState::lighting);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-halfWidth, halfWidth, -halfHeight, halfHeight, -1000, 1000);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glRotatef(side == "-z" ? 180 : side == "-x" ? 90 : side == "+x" ? -90 : side == "+y" ? 90 : 0, side == "+y", side != "+y", 0);
}

// The window read at the centres of columns x rows cells ('?': no letter's colour).
std::string seen(int columns, int rows)
{
    std::string picture;
    for (int row = 0; row < rows; ++row)
        for (int column = 0; column < columns; ++column) {
            const Colour c = support::readPixel((2 * column + 1) * 128 / columns, 256 - (2 * row + 1) * 128 / rows);
            char letter = '?';
            for (const auto& [name, colour] : letters)
                letter = support::nearColour(c, colour, 40) ? name : letter;
            picture += std::string(row > 0 && column == 0 ? "/" : "") + letter;
        }
    return picture;
}

// Each plate seen from the side it is read from, "+y" from above with north
// up, where a picture lying flat shows turned a quarter. A street's image runs
// five times along a piece and once over the crossing; on an east-west piece
// it lies mirrored, which the street's image, the same both ways along its
// length, hides. 1998 has no year before it; a month label is read facing +x.
TEST_F(SceneGl, EveryPlateShowsItsPictureUprightAndUnmirrored)
{
    GLuint boxTextures[2] = {};
    glGenTextures(2, boxTextures);
    markTexture(boxTextures[1], "WW/WW");
    markTexture(boundBy(Street(art.ground, 0, 0, 0, Street::eastWest, 1, 2001)), "RG/BW");
    markTexture(boundBy(Street(art.ground, 0, 0, 0, Street::crossing, 1, 2001)), "RG/BW");
    // 2005, 1998 and December on front plates; 2004 and November (with black) behind.
    const struct { int kind, index; const char* picture; } marks[] = { { Sign::yearLabel, 7, "RG/BW" },
        { Sign::yearLabel, 6, "KG/BW" }, { Sign::yearLabel, 0, "RK/BW" }, { Sign::monthLabel, 12, "RG/BW" },
        { Sign::monthLabel, 11, "KG/BW" }, { Sign::title, 0, "RG/BW" } };
    for (const auto& m : marks)
        markTexture(boundBy(Sign(art.signs, 0, 0, 0, m.kind, m.index)), m.picture);
    using Object = std::shared_ptr<SceneObject>;
    const auto sign = [this](int kind, int index) -> Object { return std::make_shared<Sign>(art.signs, 0, 0, 0, kind, index); };
    const auto street = [this](int kind) -> Object { return std::make_shared<Street>(art.ground, 0, 0, 0, kind, 7, 2001); };
    const Object box = std::make_shared<Cube>(art.box, 0, 0, 0, 0, 0, 0, 1, markTexture(boxTextures[0], "RG/BW"));
    const struct { const char* what; Object object; const char* side; float halfWidth, halfHeight; int columns, rows; const char* picture; } views[] = {
        { "box", box, "+z", 25, 18.75f, 2, 2, "RG/BW" }, { "box", box, "-z", 25, 18.75f, 2, 2, "RG/BW" },
        { "box", box, "-x", 25, 18.75f, 2, 2, "RG/BW" }, { "box", box, "+x", 25, 18.75f, 2, 2, "RG/BW" },
        { "box top", box, "+y", 25, 25, 2, 2, "BR/WG" },
        // 5 x 5 units round (0, 0, -10), in cells 2 units wide and 8 deep
        { "box turned about the parent axis", std::make_shared<Cube>(art.box, 10, 0, 0, 0, 90, 0, 0.1f, boxTextures[1]), "+y", 10, 20, 10, 5,
          "KKKKKKKKKK/KKKKWWKKKK/KKKKKKKKKK/KKKKKKKKKK/KKKKKKKKKK" },
        { "2005 banner", sign(Sign::yearBanner, 7), "-z", 2.5f, 0.5f, 2, 2, "RG/BW" }, { "2005 banner", sign(Sign::yearBanner, 7), "+z", 2.5f, 0.5f, 2, 2, "KG/BW" },
        { "1998 banner", sign(Sign::yearBanner, 0), "+z", 2.5f, 0.5f, 2, 2, "RK/BW" }, { "title", sign(Sign::title, 0), "+x", 5, 6, 2, 2, "RG/BW" },
        { "December banner", sign(Sign::monthBanner, 11), "-x", 2.5f, 0.5f, 2, 2, "RG/BW" }, { "title", sign(Sign::title, 0), "-x", 5, 6, 2, 2, "RG/BW" },
        { "December banner", sign(Sign::monthBanner, 11), "+x", 2.5f, 0.5f, 2, 2, "KG/BW" },
        { "year label", sign(Sign::yearLabel, 7), "+y", 50, 10, 2, 2, "RG/BW" }, { "month label", sign(Sign::monthLabel, 12), "+y", 10, 50, 2, 2, "BR/WG" },
        { "east-west street", street(Street::eastWest), "+y", 50, 10, 10, 2, "GRGRGRGRGR/WBWBWBWBWB" },
        { "north-south street", street(Street::northSouth), "+y", 10, 50, 2, 10, "BR/WG/BR/WG/BR/WG/BR/WG/BR/WG" },
        { "crossing", street(Street::crossing), "+y", 10, 10, 2, 2, "BR/WG" },
        { "street of no kind", street(3), "+y", 10, 10, 2, 2, "KK/KK" },
        { "street centred out of view, its end in it", std::make_shared<Street>(art.ground, 53, 0, 0, Street::eastWest, 7, 2001), "+y", 10, 10, 2, 2, "KG/KW" },
        { "year label centred out of view, its end in it", std::make_shared<Sign>(art.signs, 53, 0, 0, Sign::yearLabel, 7), "+y", 10, 10, 2, 2, "KR/KB" },
    };
    for (const auto& v : views) {
        viewFrom(v.side, v.halfWidth, v.halfHeight);
        v.object->draw(0.0);
        EXPECT_EQ(seen(v.columns, v.rows), v.picture) << v.what << " from " << v.side;
    }
}

// Signs of every kind and many entries, scattered, some out of view, lit:
// drawn together, as a frame draws them, they show what each shows drawn
// on its own (but for a few edge pixels: their places are added in, not
// moved to by the matrix).
TEST_F(SceneGl, SignsDrawnTogetherShowWhatEachShowsAlone)
{
    std::vector<std::unique_ptr<Sign>> signs;
    std::vector<const Sign*> together;
    for (int i = 0; i < 60; ++i) {
        const int kind = i % 5;
        const bool onGround = kind == Sign::yearLabel || kind == Sign::monthLabel;
        // Labels overlap: each a little higher than the last, so that no two tie.
        signs.push_back(std::make_unique<Sign>(art.signs, -150.0f + 23.0f * static_cast<float>(i % 13), onGround ? 0.2f * static_cast<float>(i) : 8.0f,
                                               -30.0f - 35.0f * static_cast<float>(i / 13), kind, 1 + i % 11));
        together.push_back(signs.back().get());
    }
    enableGl(GlState::lighting | GlState::light0 | GlState::depthTest);
    glMatrixMode(GL_PROJECTION), glLoadIdentity(), gluPerspective(60, 1, 1, 2000), glMatrixMode(GL_MODELVIEW);
    GLint view[4];
    glGetIntegerv(GL_VIEWPORT, view);
    const auto frame = [&view](const std::function<void()>& draw) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        draw();
        std::vector<GLubyte> pixels(static_cast<size_t>(view[2]) * view[3] * 3);
        glReadPixels(view[0], view[1], view[2], view[3], GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    };
    // From each side in turn, where each kind of plate shows its front or its back.
    const float eyes[4][2] = { { 0, 10 }, { 0, -210 }, { 130, -100 }, { -130, -100 } };
    for (const auto& eye : eyes) {
        glLoadIdentity(), gluLookAt(eye[0], 20, eye[1], 0, 0, -100, 0, 1, 0);
        const GLfloat overhead[4] = { 0, 1, 0, 0 };   // the plates' normal: lit fully
        glLightfv(GL_LIGHT0, GL_POSITION, overhead);
        const std::vector<GLubyte> alone = frame([&] { for (auto& sign : signs) sign->draw(0.0); });
        const std::vector<GLubyte> seen = frame([&] { art.signs.drawAll(together); });
        int drawn = 0, apart = 0;
        for (size_t p = 0; p < alone.size(); p += 3) {
            drawn += alone[p] + alone[p + 1] + alone[p + 2] > 0;
            apart += std::abs(alone[p] - seen[p]) > 2 || std::abs(alone[p + 1] - seen[p + 1]) > 2 || std::abs(alone[p + 2] - seen[p + 2]) > 2;
        }
        EXPECT_GT(drawn, static_cast<int>(alone.size() / 3 / 20));
        EXPECT_LE(apart, 2 + drawn / 5000) << "of " << drawn << " pixels drawn, seen from " << eye[0] << ", " << eye[1];
    }
    disableGl(GlState::lighting | GlState::light0 | GlState::depthTest);
}

// A house walked away from the eye and back, a frame at each step: it shows
// its photos' full levels near the eye and keeps them farther out than it
// takes them, and shows the level it holds all the way.
TEST_F(SceneGl, HouseKeepsItsFullLevelsFartherOutThanItTakesThem)
{
    support::TempDir folder;
    const auto cache = std::make_shared<ThumbnailCache>(folder.path(), folder.file("Zandervale.xml"));
    DecodedThumbnail thumbnail;
    thumbnail.width = 8, thumbnail.height = 6;
    // Full levels green, small ones blue: the picture tells which shows.
    std::vector<unsigned char> full, small;
    for (int i = 0; i < 8 * 6; ++i)
        full.insert(full.end(), { 0, 255, 0, 255 }), small.insert(small.end(), { 0, 0, 255, 255 });
    thumbnail.small = smallLevelBlocks(small.data(), 8, 6);
    thumbnail.blocks = compressFramed(frameTexels(full.data(), 8, 6).data(), 10, 8);
    std::vector<TextureName> textures;
    for (int i = 0; i < 5; ++i) {
        const FullLevelAt at = cache->keep(folder.file(std::to_string(i)), FileStamp(), 8, 6, thumbnail.blocks.data(), thumbnail.small.data());
        textures.push_back(photos.upload(thumbnail, { cache, at, {} }));
    }
    MonthQuarter rec(2005, 3, 1, textures, std::vector<std::string>(textures.size()));
    House house(art.box, 0, 0, 0, &rec, 10);
    house.standGrown();
    float min[3], max[3];
    house.worldBounds(min, max);
    const float middle[3] = { (min[0] + max[0]) / 2, (min[1] + max[1]) / 2, (min[2] + max[2]) / 2 };
    // Frames from the eye toward a point until every full level asked for is placed.
    const auto frames = [&](const float eye[3], const float toward[3], const std::function<void()>& draw) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        do {
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            glMatrixMode(GL_PROJECTION);
            glLoadIdentity();
            gluPerspective(45, 1, 1, 100000);
            glMatrixMode(GL_MODELVIEW);
            glLoadIdentity();
            gluLookAt(eye[0], eye[1], eye[2], toward[0], toward[1], toward[2], 0, 1, 0);
            photos.stepLevels(eye, 48);
            draw();
        } while (photos.fullLevelsAwaited() > 0 && std::chrono::steady_clock::now() < deadline);
    };
    // Whether the full levels show, facing the house from that far.
    const auto showsFullAt = [&](float distance) {
        const float eye[3] = { middle[0], middle[1], middle[2] + distance };
        frames(eye, middle, [&] { house.draw(0); });
        const bool full = photos.fullLevelMark(textures) != 0;
        EXPECT_PRED3(support::nearColour, support::readPixel(128, 128), full ? support::green : support::blue, 40) << "at " << distance;
        return full;
    };
    disableGl(GlState::lighting);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    float lastFullGoing = 0, firstFullComing = 0;
    std::vector<float> steps;
    for (float distance = max[2] - middle[2] + 10; distance < 5000; distance *= 1.05f)
        steps.push_back(distance);
    for (float distance : steps)
        lastFullGoing = showsFullAt(distance) ? distance : lastFullGoing;
    EXPECT_FALSE(showsFullAt(steps.back())) << "far off";
    for (auto distance = steps.rbegin(); distance != steps.rend() && firstFullComing == 0; ++distance)
        firstFullComing = showsFullAt(*distance) ? *distance : 0;
    EXPECT_GT(firstFullComing, 0) << "near again";
    EXPECT_GT(lastFullGoing, firstFullComing * 1.2f);
    // Near again with the house behind, drawn in the city's order: it asks
    // all the same, so that turning round shows no small level close up.
    EXPECT_FALSE(showsFullAt(steps.back())) << "far off again";
    DrawingOrder order;
    const float near[3] = { middle[0], middle[1], middle[2] + steps.front() };
    const float away[3] = { near[0], near[1], near[2] + 1 };
    frames(near, away, [&] { order.draw({ &house }, 0); });
    EXPECT_NE(photos.fullLevelMark(textures), 0u) << "near, looking away";
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    enableGl(GlState::lighting);
}

// The names the GL hands out meanwhile are no list or texture once a second
// artwork, or a house grown with a list of its own, is freed.
TEST_F(SceneGl, ArtworkAndHouseGiveBackTheirListsAndTextures)
{
    GLuint box = 0, list = 0, texture = 0;
    glGenTextures(1, &box), photos.cell(markTexture(box, "RG/BW"));   // the atlas keeps its pages
    list = glGenLists(1), glGenTextures(1, &texture);
    const auto alive = [&] { int names = 0; for (GLuint i = 1; i < 100; ++i) names += glIsList(list + i) + glIsTexture(texture + i); return names; };
    { const SceneArtwork second{ YearSpan{ 2001, 2020 }, photos }; }
    EXPECT_EQ(alive(), 0);
    MonthQuarter rec(2005, 3, 1, std::vector<TextureName>(3, box), std::vector<std::string>(3));
    auto house = std::make_unique<House>(art.box, 0, 0, 0, &rec, 10);
    viewFrom("+z", 50, 50), glTranslatef(0, 0, -100);
    house->draw(100), list = glGenLists(1), house->draw(0);   // grown past full size, then grown
    ASSERT_EQ(alive(), 1);
    house.reset();
    EXPECT_EQ(alive(), 0);
}

TEST_F(SceneGl, SelectedHousePulsesAndGlowsAnUnselectedOneStandsStill)
{
    // One box, 22.5 high at full size in every variant; its texture holds no image.
    MonthQuarter rec(2005, 3, 1, std::vector<TextureName>{ 1000 }, std::vector<std::string>(1));
    const float period = 2 * 3.14159265f / 5, wide = 22.5f * 1.025f, narrow = 22.5f * 0.975f;   // the top edge at the pulse's extremes
    const Colour grey = { 170, 170, 170, 255 };
    // The glow just above the top edge: white at two thirds when the pulse is
    // widest, blue when narrowest; 2 pixels wider than the base width (8 at the
    // eye, none from 300 on). The eye stands depth in front of the top edge: its
    // distance from the base is 201, 80, 22.5 or 401.
    const struct { const char* what; int selected; float depth, phase, top; Colour glow; } cases[] = {
        { "unselected", -1, 200, 0.25f, 22.5f, support::black }, { "index past the last box", 1, 200, 0.75f, 22.5f, support::black },
        { "selected, widest", 0, 200, 0.25f, wide, grey }, { "selected, narrowest", 0, 200, 0.75f, narrow, support::blue },
        { "selected at 80: half the pulse", 0, 76.77f, 0.25f, 22.5f * 1.0125f, grey },
        { "selected within 30: no pulse", 0, 0, 0.75f, 22.5f, support::blue },
        { "selected beyond 300: thinnest glow", 0, 400, 0.75f, narrow, support::black },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        House house(art.box, 0, 0, 0, &rec, 10);
        house.selectedPicture = c.selected;
        house.draw(20 * period);   // grown past full size, pulse at phase 0
        viewFrom("+z", 4, 4);      // 32 pixels a unit
        glColor3f(1, 1, 1);
        glTranslatef(0, -22.5f, -c.depth);   // the unpulsed top edge across the middle
        house.draw(c.phase * period);           // the frame that sets growth to exactly 1
        const auto at = [](float y) { return support::readPixel(128, static_cast<int>(128 + (y - 22.5f) * 32)); };
        EXPECT_PRED3(support::nearColour, at(c.top - 0.3f), support::white, 8);
        EXPECT_PRED3(support::nearColour, at(c.top + 0.04f), c.glow, 8);
        // What the frame leaves (both faces' polygon modes summed): a selected house lights again.
        const auto integer = [](GLenum what) { GLint v[2] = {}; glGetIntegerv(what, v); return v[0] + v[1]; };
        EXPECT_EQ((std::vector<int>{ integer(GL_POLYGON_MODE), integer(GL_LINE_WIDTH), integer(GL_MODELVIEW_STACK_DEPTH),
                                     glIsEnabled(GL_BLEND), glIsEnabled(GL_TEXTURE_2D), glIsEnabled(GL_LIGHTING) }),
                  (std::vector<int>{ 2 * GL_FILL, 1, 1, 0, 1, c.selected == 0 }));
    }
}

TEST_F(SceneGl, HouseBlocksOnlyWithin25AndAHalfAndAsksBoxesRelativeToIt)
{
    MonthQuarter rec(2005, 3, 1, std::vector<TextureName>(8), std::vector<std::string>(8));   // pairs
    House house(art.box, 100, 0, 200, &rec, 10);
    // The odd box, drawn about (8.84, 7.5, 8.84), reaches z = 25.8 with its margin.
    const struct { const char* what; float toX, toZ; bool blocked; } cases[] = {
        { "into the odd box", 108.84f, 208.84f, true }, { "same point without the house offset", 8.84f, 8.84f, false },
        { "the box's far corner, inside 25.5", 108.84f, 225.4f, true }, { "the box's far corner, at 25.5", 108.84f, 225.5f, false },
    };
    for (const auto& c : cases) {
        float out[3] = { -7, -7, -7 };   // the scene root's to write
        EXPECT_EQ(house.collides(100, 1.8f, 400, c.toX, 1.8f, c.toZ, &out[0], &out[1], &out[2]), c.blocked) << c.what;
        EXPECT_EQ(out[0], -7.0f) << c.what;
    }
}

// A house's bounds, which cull it and stand in for it, reach out to its
// boxes' farthest corners on every axis and no farther (pairs turned 315
// degrees, and the base point).
TEST_F(SceneGl, HouseBoundsReachTheFarthestCornersOfItsBoxes)
{
    MonthQuarter rec(2005, 3, 1, std::vector<TextureName>(9), std::vector<std::string>(9));
    House house(art.box, 0, 0, 0, &rec, 10);
    float want[2][3] = { { 0, 0, 0 }, { 0, 0, 0 } }, min[3], max[3];
    for (const BoxPlacement& b : layoutBoxes(9, 0))
        for (int k = 0; k < 8; ++k) {
            const double turn = b.rotationY * pi / 180, sign[3] = { k & 1 ? 1.0 : -1.0, k & 2 ? 1.0 : -1.0, k & 4 ? 1.0 : -1.0 };
            const double x = b.x + sign[0] * boxHalfWidth * b.scale, z = b.z + sign[2] * boxHalfWidth * b.scale;
            const double at[3] = { std::cos(turn) * x + std::sin(turn) * z, b.y + sign[1] * boxHalfHeight * b.scale,
                                   -std::sin(turn) * x + std::cos(turn) * z };
            for (int axis = 0; axis < 3; ++axis)
                want[0][axis] = std::min(want[0][axis], float(at[axis])), want[1][axis] = std::max(want[1][axis], float(at[axis]));
        }
    house.worldBounds(min, max);
    for (int axis = 0; axis < 3; ++axis)
        EXPECT_TRUE(std::fabs(min[axis] - want[0][axis]) < 1e-3f && std::fabs(max[axis] - want[1][axis]) < 1e-3f) << axis;
}

// Houses on both sides of block edges, seen turning round through a narrow
// view, one selected now and then: the frame draws exactly the houses in view
// on their own (a base point outside, boxes in), and counts none out of view.
TEST_F(SceneGl, FrameDrawsEveryHouseInViewAndPassesOverBlocksOutOfIt)
{
    MonthQuarter rec(2005, 3, 1, std::vector<TextureName>(12), std::vector<std::string>(12));
    std::vector<std::unique_ptr<House>> alone, inFrame;   // alike: the same random choices
    std::vector<SceneObject*> objects;
    for (auto* set : { &alone, &inFrame }) {
        std::srand(29);
        for (float x : { 0.0f, 70.0f, 120.0f, 190.0f, 360.0f })
            for (float z : { 0.0f, 70.0f, 240.0f })
                set->push_back(std::make_unique<House>(art.box, x, 0, z, &rec, 10)), set->back()->draw(100), objects.push_back(set->back().get());
    }
    objects.erase(objects.begin(), objects.begin() + alone.size());   // inFrame's
    DrawingOrder order;
    order.occludingHouses = objects.size();   // every house drawn, none asked about
    glMatrixMode(GL_PROJECTION), glLoadIdentity(), gluPerspective(12, 1, 1, 2000), glMatrixMode(GL_MODELVIEW);
    for (int degrees = 0; degrees < 360; degrees += 2) {
        SCOPED_TRACE(degrees);
        glLoadIdentity(), glRotatef(static_cast<float>(degrees), 0, 1, 0), glTranslatef(-150, -1.8f, -160);
        alone[0]->selectedPicture = inFrame[0]->selectedPicture = degrees / 30 % 2 - 1;   // selected now and then
        order.draw(objects, 0);
        std::vector<bool> seen[2];
        for (int set = 0; set < 2; ++set)
            for (auto& house : set == 0 ? alone : inFrame)
                set == 0 ? house->draw(0) : void(), seen[set].push_back(house->verticesLastDrawn() > 0);
        EXPECT_EQ(seen[1], seen[0]);
    }
}

}  // namespace
