// What every kind of frame leaves behind: the state module's record is what
// GL reports, and both are the window's default with the lights as the walker
// switched them, after the city walked and seen from above, the heads-up
// display in full, the start-up screen, the gallery and the city after it.
#include <GL/freeglut.h>
#include <IL/il.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <initializer_list>
#include <typeinfo>
#include <string>
#include <vector>

#include "app/Window.h"
#include "app/Zandervale.h"
#include "controls/ShooterControl.h"
#include "library/MonthQuarter.h"
#include "scene/House.h"
#include "scene/LightObject.h"
#include "scene/Quarter.h"
#include "scene/SceneArtwork.h"
#include "scene/Sign.h"
#include "scene/Street.h"
#include "support/ImageFiles.h"
#include "support/TempDir.h"
#include "support/WalkerFakes.h"
#include "support/WindowSize.h"
#include "textures/GlState.h"
#include "textures/PhotoAtlas.h"
#include "textures/Textures.h"

namespace {

// One line, so that a failure shows what differs.
std::string describe(const GlState& s)
{
    char line[200];
    const TextureWindow& w = s.textureWindow;
    std::snprintf(line, sizeof line, "enabled %#x, blend %#x %#x, unpack %d, texture %u in %g %g %g %g, polygons %#x, lines %g",
                  s.enabled, s.blendSource, s.blendDestination, s.unpackAlignment, s.boundTexture, w.s, w.t, w.width,
                  w.height, s.polygonMode, s.lineWidth);
    return line;
}

// The tracked state as GL reports it.
GlState readBack()
{
    const std::pair<unsigned, GLenum> switches[] = {
        { GlState::lighting, GL_LIGHTING }, { GlState::texturing, GL_TEXTURE_2D }, { GlState::blending, GL_BLEND },
        { GlState::depthTest, GL_DEPTH_TEST }, { GlState::culling, GL_CULL_FACE }, { GlState::normalizing, GL_NORMALIZE },
        { GlState::light0, GL_LIGHT0 }, { GlState::light1, GL_LIGHT1 } };
    GlState state{};
    for (const auto& [bit, capability] : switches)
        state.enabled |= glIsEnabled(capability) ? bit : 0u;
    GLboolean colour[4], depth;
    glGetBooleanv(GL_COLOR_WRITEMASK, colour);
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depth);
    state.enabled |= (colour[0] && colour[1] && colour[2] && colour[3] ? GlState::colourWrites : 0u) |
                     (depth ? GlState::depthWrites : 0u);
    GLint values[6] = {};
    const GLenum queries[5] = { GL_BLEND_SRC, GL_BLEND_DST, GL_UNPACK_ALIGNMENT, GL_TEXTURE_BINDING_2D, GL_POLYGON_MODE };
    for (int i = 0; i < 5; ++i)
        glGetIntegerv(queries[i], &values[i]);
    state.blendSource = values[0], state.blendDestination = values[1];
    state.unpackAlignment = values[2], state.boundTexture = values[3];
    state.polygonMode = values[4] == values[5] ? values[4] : 0;   // front, back
    glGetFloatv(GL_LINE_WIDTH, &state.lineWidth);
    GLfloat m[16];
    glGetFloatv(GL_TEXTURE_MATRIX, m);
    state.textureWindow = { m[12], m[13], m[0], m[5] };
    return state;
}

void expectRecordIsGl(const std::string& what)
{
    EXPECT_EQ(describe(glState()), describe(readBack())) << what << ": the record against GL";
}

// The default, and the lights as the test left them.
void expectDefaultLeft(const std::string& what, unsigned lights = 0)
{
    expectRecordIsGl(what);
    GlState expected = defaultGlState;
    expected.enabled |= lights;
    EXPECT_EQ(describe(glState()), describe(expected)) << what << ": the record against the default";
}

// Scene objects and a walker whose every part holds the record against GL
// after drawing: a change behind the module's back shows where it was made,
// also when a later change through the module would mend it by the frame's end.
struct Checked : SceneObject {
    explicit Checked(SceneObject* object) : object(object) {}
    ~Checked() override { delete object; }
    void draw(double seconds) override { object->draw(seconds), expectRecordIsGl(typeid(*object).name()); }
    SceneObject* object;
};
struct CheckedWalker : ShooterControl {
    using ShooterControl::ShooterControl;
    void beginFrame(double dt) override { ShooterControl::beginFrame(dt), expectRecordIsGl("the walker's view"); }
    void drawOverlay(double dt) override { ShooterControl::drawOverlay(dt), expectRecordIsGl("the heads-up display"); }
};

TEST(GlStateFrames, EveryKindOfFrameLeavesTheDefaultItsRecordShows)
{
    expectRecordIsGl("the image library's set-up");
    setDefaultGlState();
    expectDefaultLeft("the window's default");
    support::TempDir folder;
    // Pictures for the atlas and a red photo; the second picture's photo is missing.
    std::vector<TextureName> textures;
    for (int i = 0; i < 6; ++i) {
        const std::string path = folder.file("t" + std::to_string(i) + ".png");
        support::writeWithDevil(path, IL_PNG, 33, 25, [i](int x, int) { return support::Colour{ GLubyte(40 * i), GLubyte(x), 90, 255 }; });
        textures.push_back(loadTexture(path.c_str()));
    }
    const std::string photo = folder.file("red.jpg");
    support::writeWithDevil(photo, IL_JPG, 40, 30, [](int, int) { return support::red; });
    MonthQuarter record(2005, 7, 1, textures, { photo, folder.file("gone.jpg") });
    EXPECT_EQ(describe(glState()), describe(readBack())) << "the loads, which leave their textures bound";

    support::WindowSize screen(1024, 768);
    support::FakeWindow window;
    CheckedWalker walker(window);
    PhotoAtlas photos;
    const SceneArtwork art{ YearSpan(), photos };   // outlives the city
    Zandervale app;
    walker.init(&app);
    House* selected = new House(art.box, 90, 0, -40, &record, 10);
    std::vector<std::unique_ptr<SceneObject>> city;
    for (SceneObject* object : std::initializer_list<SceneObject*>{ new LightObject(12.5f, 25, 12.5f), new Quarter(art.ground, 50, 0, 0),
             new Street(art.ground, 0, 0, 0, Street::crossing, 7, 2005), new Street(art.ground, 50, 0, 0, Street::eastWest, 7, 2005),
             new Street(art.ground, 0, 0, 50, Street::northSouth, 7, 2005), new House(art.box, 90, 0, 40, &record, 11), selected,
             new Sign(art.signs, 60, 20, 0, Sign::yearBanner, 7), new Sign(art.signs, 60, 20, 20, Sign::monthBanner, 7),
             new Sign(art.signs, 40, 0, 0, Sign::yearLabel, 7), new Sign(art.signs, 40, 0, 20, Sign::monthLabel, 7), new Sign(art.signs, 60, 20, -20, Sign::title, 0) })
        city.emplace_back(new Checked(object));
    app.setScene(std::move(city), &walker);
    walker.placeAt(WalkerPose(0, eyeLevel, 0, 90, 0));   // down +x, at the houses
    unsigned lights = lightSwitches;   // the scene light's and the walker's
    const struct { const char* what; std::function<void()> change; double seconds; } frames[] = {
        { "a growing city", [] {}, 0.5 },
        { "the grown city", [] {}, 100 },
        { "the walker's lamp off", [&] { walker.keyboard('f', 0, 0), lights = GlState::light0; }, 0.1 },
        { "a selected house", [&] { walker.select(selected, 1); }, 0.1 },
        { "the overview and the walker's marker", [&] { walker.showOverview(true); }, 0.1 },
        { "help, the selection panel and the prompt", [&] { walker.showOverview(false), walker.keyboard('h', 0, 0), walker.keyboard('g', 0, 0); }, 0.1 },
        { "the empty library's line", [&] { app.setLibraryEmpty(true); }, 0.1 },
        { "the start-up screen", [&] { app.setLoading(true); }, 0.1 },
    };
    for (const auto& frame : frames) {
        frame.change();
        app.draw(frame.seconds);
        expectDefaultLeft(frame.what, lights);
    }
    app.setLoading(false);
    // Gallery frames until the centre shows what is awaited, each checked.
    const auto drawUntil = [&](const char* what, bool (*shown)(const GLubyte*)) {
        GLubyte centre[4] = {};
        for (int frame = 0; frame < 3000 && !shown(centre) && !testing::Test::HasFailure(); ++frame, usleep(10000)) {
            app.draw(0.1);
            glReadPixels(512, 384, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, centre);
            expectDefaultLeft(what, lights);
        }
        EXPECT_TRUE(shown(centre)) << what << " never showed";
    };
    std::vector<GLfloat> colours(8);   // the city's current colour before the gallery and after it
    glGetFloatv(GL_CURRENT_COLOR, &colours[0]);
    app.openGallery(&record, 1);
    drawUntil("the missing photo's thumbnail", [](const GLubyte* c) { return c[2] > 60 && c[0] < 100; });
    glGetFloatv(GL_CURRENT_COLOR, &colours[4]);
    EXPECT_EQ(std::vector<GLfloat>(colours.begin(), colours.begin() + 4), std::vector<GLfloat>(colours.begin() + 4, colours.end()));
    app.inputControl()->keyboardUp(27, 0, 0);
    app.openGallery(&record, 0);
    drawUntil("the photo", [](const GLubyte* c) { return c[0] > 200 && c[2] < 60; });
    app.inputControl()->special(GLUT_KEY_RIGHT, 0, 0), app.inputControl()->specialUp(GLUT_KEY_RIGHT, 0, 0);
    for (int frame = 0; frame < 4; ++frame) {
        app.draw(0.4);
        expectDefaultLeft("the step to the missing photo", lights);
    }
    app.inputControl()->keyboardUp(27, 0, 0);
    app.draw(0.1);
    expectDefaultLeft("the city after Escape", lights);
    // GL's own initial state for the tests that follow in this process.
    useGlState(GlState{ GlState::colourWrites | GlState::depthWrites, GL_ONE, GL_ZERO, 1, 0, wholeTexture, GL_FILL, 1.0f });
}

}  // namespace
