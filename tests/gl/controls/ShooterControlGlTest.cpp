// The walker against a real GL context and GLUT window: artwork loading,
// the walker light, the view each frame leaves, the overview marker, the
// crosshair, cursor shapes and selection by clicking.
#include <GL/freeglut.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "app/AppState.h"
#include "app/Zandervale.h"
#include "controls/ShooterControl.h"
#include "scene/SceneObject.h"
#include "support/GlPixels.h"
#include "support/ImageFiles.h"
#include "support/TempDir.h"

namespace {

using Matrix = std::array<double, 16>;   // column-major, as GL keeps it

// Rx(pitch) * Ry(yaw) * T(t), computed here rather than by GL.
Matrix viewMatrix(double pitch, double yaw, double tx, double ty, double tz)
{
    const double a = pitch * M_PI / 180.0, b = yaw * M_PI / 180.0;
    const double r[3][3] = {
        {std::cos(b), 0.0, std::sin(b)},
        {std::sin(a) * std::sin(b), std::cos(a), -std::sin(a) * std::cos(b)},
        {-std::cos(a) * std::sin(b), std::sin(a), std::cos(a) * std::cos(b)},
    };
    Matrix m{};
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col)
            m[col * 4 + row] = r[row][col];
        m[12 + row] = r[row][0] * tx + r[row][1] * ty + r[row][2] * tz;
    }
    m[15] = 1.0;
    return m;
}

void expectModelview(const Matrix& expected)
{
    GLfloat actual[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, actual);
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(actual[i], expected[i], 1e-3) << "element " << i;
}

GLint integer(GLenum name)
{
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

// Loads its pick name and picture 4 over the left part of the view.
class PickTarget : public SceneObject {
public:
    PickTarget() { pickName = 10; }
    void draw(double) override {}
    void drawForPicking() override
    {
        glLoadIdentity();
        glPushName(static_cast<GLuint>(pickName));
        glPushName(4);
        glBegin(GL_QUADS);
        glVertex3f(-100.0f, -100.0f, -10.0f);
        glVertex3f(-1.0f, -100.0f, -10.0f);
        glVertex3f(-1.0f, 100.0f, -10.0f);
        glVertex3f(-100.0f, 100.0f, -10.0f);
        glEnd();
        glPopName();
        glPopName();
    }
};

class ShooterControlGl : public testing::Test {
protected:
    void SetUp() override
    {
        appstate::windowWidth = 256;
        appstate::windowHeight = 256;
        glViewport(0, 0, 256, 256);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(70.0, 1.0, 0.1, 5000.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_LIGHTING);
        glEnable(GL_TEXTURE_2D);
        glDisable(GL_BLEND);
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        app.setScene(new std::vector<SceneObject*>(), &control);
        control.init(&app);
    }
    void TearDown() override
    {
        appstate::windowWidth = 1024;
        appstate::windowHeight = 768;
    }

    ShooterControl control;
    Zandervale app;
};

TEST_F(ShooterControlGl, ConstructorLoadsCompassHelpAndPanelInThatOrder)
{
    support::TempDir dir;
    const struct {
        const char* file;
        support::Colour colour;
    } images[] = {{"compass.png", support::red}, {"help512x512_01.png", support::green},
                  {"selOverlay256x256.png", support::blue}};
    for (const auto& image : images)
        ASSERT_TRUE(support::writePng(dir.file(image.file), 4, 4, support::PngFormat::Rgb,
                                      [&](int, int) { return image.colour; }));
    char previous[4096];
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(chdir(dir.path().c_str()), 0);
    ShooterControl loaded;
    ASSERT_EQ(chdir(previous), 0);

    const TextureName names[] = {loaded.compassTexture, loaded.helpTexture, loaded.panelTexture};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(images[i].file);
        unsigned char texel[4 * 4 * 3] = {};
        glBindTexture(GL_TEXTURE_2D, names[i]);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, texel);
        EXPECT_TRUE(support::nearColour({texel[0], texel[1], texel[2], 255}, images[i].colour));
    }
    // Names are handed out in creation order.
    EXPECT_LT(loaded.compassTexture, loaded.helpTexture);
    EXPECT_LT(loaded.helpTexture, loaded.panelTexture);
    glBindTexture(GL_TEXTURE_2D, 0);
}

TEST_F(ShooterControlGl, InitLightsTheWalkerAndHidesTheCursor)
{
    ShooterControl fresh;
    PickTarget old;
    fresh.selected = &old;
    glDisable(GL_LIGHT1);
    fresh.init(&app);
    EXPECT_TRUE(glIsEnabled(GL_LIGHT1));
    GLfloat diffuse[4], attenuation = 0.0f;
    glGetLightfv(GL_LIGHT1, GL_DIFFUSE, diffuse);
    glGetLightfv(GL_LIGHT1, GL_QUADRATIC_ATTENUATION, &attenuation);
    for (GLfloat channel : diffuse)
        EXPECT_EQ(channel, 1.0f);
    EXPECT_FLOAT_EQ(attenuation, 0.001f);
    EXPECT_TRUE(fresh.mouseLook);
    EXPECT_EQ(fresh.selected, nullptr);
    EXPECT_EQ(glutGet(GLUT_WINDOW_CURSOR), GLUT_CURSOR_NONE);
}

TEST_F(ShooterControlGl, FTogglesTheWalkerLight)
{
    control.keyboard('F', 0, 0);
    EXPECT_FALSE(control.lightOn);
    EXPECT_FALSE(glIsEnabled(GL_LIGHT1));
    control.keyboard('f', 0, 0);
    EXPECT_TRUE(control.lightOn);
    EXPECT_TRUE(glIsEnabled(GL_LIGHT1));
}

struct CursorStep {
    const char* what;
    void (*apply)(ShooterControl&);
    bool mouseLook, overview;
    int cursor;
};

const CursorStep cursorSteps[] = {
    {"F4 off", [](ShooterControl& c) { c.special(GLUT_KEY_F4, 0, 0); }, false, false, GLUT_CURSOR_INHERIT},
    {"F4 on", [](ShooterControl& c) { c.special(GLUT_KEY_F4, 0, 0); }, true, false, GLUT_CURSOR_NONE},
    {"right down", [](ShooterControl& c) { c.mouse(2, 0, 5, 5); }, false, false, GLUT_CURSOR_INHERIT},
    {"right up", [](ShooterControl& c) { c.mouse(2, 1, 5, 5); }, true, false, GLUT_CURSOR_NONE},
    {"Tab", [](ShooterControl& c) { c.keyboard(9, 0, 0); }, true, true, GLUT_CURSOR_INHERIT},
    {"F4 off in overview", [](ShooterControl& c) { c.special(GLUT_KEY_F4, 0, 0); }, false, true, GLUT_CURSOR_INHERIT},
    // Leaving the overview turns mouse look on but keeps the cursor shape.
    {"M", [](ShooterControl& c) { c.keyboard('M', 0, 0); }, true, false, GLUT_CURSOR_INHERIT},
    {"m", [](ShooterControl& c) { c.keyboard('m', 0, 0); }, true, true, GLUT_CURSOR_INHERIT},
    {"right up in overview", [](ShooterControl& c) { c.mouse(2, 1, 5, 5); }, true, true, GLUT_CURSOR_NONE},
    {"middle button", [](ShooterControl& c) { c.mouse(1, 0, 5, 5); }, true, true, GLUT_CURSOR_NONE},
};

TEST_F(ShooterControlGl, MouseLookAndOverviewSwitchTheCursorShape)
{
    for (const CursorStep& step : cursorSteps) {
        SCOPED_TRACE(step.what);
        step.apply(control);
        EXPECT_EQ(control.mouseLook, step.mouseLook);
        EXPECT_EQ(control.overview, step.overview);
        EXPECT_EQ(glutGet(GLUT_WINDOW_CURSOR), step.cursor);
    }
}

TEST_F(ShooterControlGl, WalkingFrameLoadsTheWalkerViewWithTheLightAtTheEye)
{
    control.pitch = 20.0f;
    control.yaw = 30.0f;
    control.special(GLUT_KEY_UP, 0, 0);
    const GLint depth = integer(GL_MODELVIEW_STACK_DEPTH);
    control.beginFrame(0.5);
    EXPECT_NEAR(control.pitch, 20.0f - 22.5f, 1e-4);
    expectModelview(viewMatrix(control.pitch, 30.0, 75.0, -1.8, -40.0));
    EXPECT_EQ(integer(GL_MODELVIEW_STACK_DEPTH), depth);
    EXPECT_EQ(integer(GL_MATRIX_MODE), GL_MODELVIEW);
    GLfloat light[4];
    glGetLightfv(GL_LIGHT1, GL_POSITION, light);
    EXPECT_EQ(light[0], 0.0f);
    EXPECT_EQ(light[1], 0.0f);
    EXPECT_EQ(light[2], 0.0f);
    EXPECT_EQ(light[3], 1.0f);

    control.applyView();   // the picking pass sees the same view
    expectModelview(viewMatrix(control.pitch, 30.0, 75.0, -1.8, -40.0));
}

TEST_F(ShooterControlGl, OverviewFrameMovesOnlyTheOverviewCamera)
{
    control.translation = {-10.0f, -20.0f, -30.0f};
    control.keyboard('\t', 0, 0);
    for (unsigned char key : {'w', 'q', ' '})
        control.keyboard(key, 0, 0);
    control.special(GLUT_KEY_RIGHT, 0, 0);
    control.special(GLUT_KEY_UP, 0, 0);
    const GLint depth = integer(GL_MODELVIEW_STACK_DEPTH);
    control.beginFrame(0.5);

    EXPECT_NEAR(control.overviewTranslation.z, -470.0f, 1e-4);
    EXPECT_EQ(control.overviewTranslation.x, -700.0f);
    EXPECT_EQ(control.translation.x, -10.0f);
    EXPECT_EQ(control.translation.y, -20.0f);
    EXPECT_EQ(control.translation.z, -30.0f);
    EXPECT_EQ(control.pitch, 0.0f);
    EXPECT_EQ(control.yaw, 90.0f);
    EXPECT_EQ(control.verticalSpeed, 0.0f);

    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(integer(GL_MODELVIEW_STACK_DEPTH), depth);
    const Matrix view = viewMatrix(90.0, 0.0, -700.0, -1000.0, -470.0);
    expectModelview(view);
    // The light stands at the stored translation (the eye mirrored).
    GLfloat light[4];
    glGetLightfv(GL_LIGHT1, GL_POSITION, light);
    for (int row = 0; row < 3; ++row) {
        const double expected = view[row] * -10.0 + view[4 + row] * -20.0
                                + view[8 + row] * -30.0 + view[12 + row];
        EXPECT_NEAR(light[row], expected, 1e-2) << "row " << row;
    }
}

TEST_F(ShooterControlGl, OverviewDrawsTheRedMarkerAtTheWalkersEye)
{
    control.translation = {-700.0f, -1.8f, -500.0f};   // right under the camera
    control.keyboard('m', 0, 0);
    control.beginFrame(0.0);
    EXPECT_TRUE(support::nearColour(support::readPixel(128, 128), {255, 0, 25, 255}))
        << "centre";
    EXPECT_TRUE(support::nearColour(support::readPixel(20, 20), support::black)) << "corner";

    control.translation = {-100.0f, -1.8f, -100.0f};   // far off to one side
    control.beginFrame(0.0);
    EXPECT_TRUE(support::nearColour(support::readPixel(128, 128), support::black));
}

TEST_F(ShooterControlGl, CrosshairOnlyWithMouseLookInWalkingModeAndStateKept)
{
    const struct {
        bool mouseLook, overview, drawn;
    } cases[] = {{true, false, true}, {false, false, false}, {true, true, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.mouseLook << c.overview);
        // The overlay as the scene root sets it up.
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_LIGHTING);
        glDisable(GL_TEXTURE_2D);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-128, 128, -128, 128, 0.0, 100.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glClear(GL_COLOR_BUFFER_BIT);
        glColor4f(0.3f, 0.4f, 0.5f, 0.6f);
        control.mouseLook = c.mouseLook;
        control.overview = c.overview;
        control.drawOverlay(0.0);

        int white = 0;
        for (int y = 120; y <= 136; ++y)
            for (int x = 120; x <= 136; ++x)
                white += support::nearColour(support::readPixel(x, y), support::white);
        EXPECT_EQ(white > 0, c.drawn);
        GLfloat colour[4];
        glGetFloatv(GL_CURRENT_COLOR, colour);
        EXPECT_FLOAT_EQ(colour[0], 0.3f);
        EXPECT_FLOAT_EQ(colour[3], 0.6f);
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    }
}

TEST_F(ShooterControlGl, LeftClickPicksAtTheCentreWhileMouseLookIsOn)
{
    PickTarget* target = new PickTarget();
    app.setScene(new std::vector<SceneObject*>{target}, &control);
    PickTarget previous;
    previous.selectedPicture = 3;
    control.selected = &previous;

    control.mouse(0, 0, 10, 128);   // the crosshair aims past the target
    EXPECT_EQ(previous.selectedPicture, -1);
    EXPECT_EQ(control.selected, nullptr);

    control.mouse(2, 0, 10, 128);   // right button held: the pointer aims
    control.mouse(0, 0, 10, 128);
    EXPECT_EQ(control.selected, target);
    EXPECT_EQ(target->selectedPicture, 4);
    control.mouse(0, 1, 200, 128);   // releases select nothing
    EXPECT_EQ(control.selected, target);

    control.mouse(0, 0, 200, 128);   // empty space clears the selection
    EXPECT_EQ(control.selected, nullptr);
    EXPECT_EQ(target->selectedPicture, -1);
}

} // namespace
