// The walker against a real GL context and GLUT window: the walker light, the view
// each frame leaves, the overview marker, cursor shapes and selection by clicking.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <vector>

#include "app/AppState.h"
#include "app/Zandervale.h"
#include "controls/ShooterControl.h"
#include "scene/SceneObject.h"
#include "support/GlPixels.h"

namespace {

std::vector<GLfloat> floats(GLenum name, int count)
{
    std::vector<GLfloat> values(count);
    glGetFloatv(name, values.data());
    return values;
}

// The camera's view Rx(pitch) * Ry(yaw) * T(t), with GL as the calculator.
std::vector<GLfloat> viewMatrix(float pitch, float yaw, float tx, float ty, float tz)
{
    glPushMatrix();
    glLoadIdentity();
    glRotatef(pitch, 1.0f, 0.0f, 0.0f);
    glRotatef(yaw, 0.0f, 1.0f, 0.0f);
    glTranslatef(tx, ty, tz);
    const std::vector<GLfloat> m = floats(GL_MODELVIEW_MATRIX, 16);
    glPopMatrix();
    return m;
}

// Loads its pick name and picture 4 over the left part of the view.
struct PickTarget : SceneObject {
    PickTarget() { pickName = 10; }
    void draw(double) override {}
    void drawForPicking() override
    {
        glLoadIdentity();
        glPushName(static_cast<GLuint>(pickName));
        glPushName(4);
        glTranslatef(0.0f, 0.0f, -10.0f);
        glRectf(-100.0f, -100.0f, -1.0f, 100.0f);
        glPopName();
        glPopName();
    }
};

class ShooterControlGl : public testing::Test {
protected:
    void SetUp() override
    {
        appstate::windowWidth = appstate::windowHeight = 256;
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(70.0, 1.0, 0.1, 5000.0);
        glMatrixMode(GL_MODELVIEW);
        app.setScene(new std::vector<SceneObject*>(), &control);
        control.init(&app);
    }

    ShooterControl control;
    Zandervale app;
};

// The state after each input, in sequence from init.
struct ToggleStep {
    const char* what;
    void (*apply)(ShooterControl&);
    bool light, mouseLook, overview;
    int cursor;
};

const ToggleStep toggleSteps[] = {
    {"init", [](ShooterControl&) {}, true, true, false, GLUT_CURSOR_NONE},
    {"F", [](ShooterControl& c) { c.keyboard('F', 0, 0); }, false, true, false, GLUT_CURSOR_NONE},
    {"f", [](ShooterControl& c) { c.keyboard('f', 0, 0); }, true, true, false, GLUT_CURSOR_NONE},
    {"F4 off", [](ShooterControl& c) { c.special(GLUT_KEY_F4, 0, 0); }, true, false, false, GLUT_CURSOR_INHERIT},
    {"F4 on", [](ShooterControl& c) { c.special(GLUT_KEY_F4, 0, 0); }, true, true, false, GLUT_CURSOR_NONE},
    {"right down", [](ShooterControl& c) { c.mouse(2, 0, 5, 5); }, true, false, false, GLUT_CURSOR_INHERIT},
    {"right up", [](ShooterControl& c) { c.mouse(2, 1, 5, 5); }, true, true, false, GLUT_CURSOR_NONE},
    {"Tab", [](ShooterControl& c) { c.keyboard(9, 0, 0); }, true, true, true, GLUT_CURSOR_INHERIT},
    // Leaving the overview turns mouse look on but keeps the cursor shape.
    {"M", [](ShooterControl& c) { c.keyboard('M', 0, 0); }, true, true, false, GLUT_CURSOR_INHERIT},
};

TEST_F(ShooterControlGl, KeysAndButtonsToggleTheLightMouseLookOverviewAndCursor)
{
    for (const ToggleStep& step : toggleSteps) {
        SCOPED_TRACE(step.what);
        step.apply(control);
        EXPECT_EQ(glIsEnabled(GL_LIGHT1), step.light);
        EXPECT_EQ(control.mouseLook, step.mouseLook);
        EXPECT_EQ(control.overview, step.overview);
        EXPECT_EQ(glutGet(GLUT_WINDOW_CURSOR), step.cursor);
    }
}

TEST_F(ShooterControlGl, EachFrameLoadsTheViewLightAndMarkerOfItsMode)
{
    control.pitch = 20.0f;
    control.yaw = 30.0f;
    control.special(GLUT_KEY_UP, 0, 0);
    const std::vector<GLfloat> depth = floats(GL_MODELVIEW_STACK_DEPTH, 1);
    control.beginFrame(0.5);
    const std::vector<GLfloat> walking = viewMatrix(20.0f - 22.5f, 30.0f, 75.0f, -1.8f, -40.0f);
    EXPECT_EQ(floats(GL_MODELVIEW_MATRIX, 16), walking);
    EXPECT_EQ(floats(GL_MODELVIEW_STACK_DEPTH, 1), depth);
    GLfloat light[4];
    glGetLightfv(GL_LIGHT1, GL_POSITION, light);
    EXPECT_EQ(std::vector<GLfloat>(light, light + 4), (std::vector<GLfloat>{0, 0, 0, 1}));
    control.applyView();   // the picking pass sees the same view
    EXPECT_EQ(floats(GL_MODELVIEW_MATRIX, 16), walking);

    // Only W and D move the overview camera; the red marker is at the walker's eye.
    control.translation = {-730.0f, -1.8f, -470.0f};
    control.keyboard('\t', 0, 0);
    for (unsigned char key : {'w', 'd', 'q', ' '})
        control.keyboard(key, 0, 0);
    control.special(GLUT_KEY_RIGHT, 0, 0);
    control.beginFrame(0.5);
    const ShooterControl::Vector3f& t = control.translation;
    EXPECT_EQ((std::vector<float>{t.x, t.y, t.z, control.pitch, control.yaw, control.verticalSpeed}),
              (std::vector<float>{-730.0f, -1.8f, -470.0f, -2.5f, 30.0f, 0.0f}));
    EXPECT_TRUE(support::nearColour(support::readPixel(128, 128), {255, 0, 25, 255}));
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(floats(GL_MODELVIEW_STACK_DEPTH, 1), depth);
    EXPECT_EQ(floats(GL_MODELVIEW_MATRIX, 16), viewMatrix(90.0f, 0.0f, -730.0f, -1000.0f, -470.0f));
    // The light stands at the stored translation (the eye mirrored).
    const std::vector<GLfloat> lit = viewMatrix(90.0f, 0.0f, -1460.0f, -1001.8f, -940.0f);
    glGetLightfv(GL_LIGHT1, GL_POSITION, light);
    for (int row = 0; row < 3; ++row)
        EXPECT_NEAR(light[row], lit[12 + row], 1e-2) << "row " << row;
    control.translation = {-100.0f, -1.8f, -100.0f};   // far off to one side
    control.beginFrame(0.0);
    EXPECT_TRUE(support::nearColour(support::readPixel(128, 128), support::black));
}

TEST_F(ShooterControlGl, LeftClickPicksAtTheCentreWithMouseLookElseAtThePointer)
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
    control.mouse(0, 0, 200, 128);   // empty space clears the selection
    EXPECT_EQ(control.selected, nullptr);
    EXPECT_EQ(target->selectedPicture, -1);
}

} // namespace
