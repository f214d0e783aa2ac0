// The GLUT window: creation with the program's default GL state, the
// callbacks that feed the scene root and the current input controller,
// full screen, and the main loop.
#include "app/Window.h"

#include <GL/freeglut.h>

#include <cstdio>

#include "app/AppState.h"
#include "app/FrameClock.h"
#include "app/WindowIdentity.h"
#include "controls/InputControl.h"
#include "controls/WalkerWindow.h"
#include "scene/SceneObject.h"
#include "textures/GlState.h"

namespace {

constexpr int defaultWidth = 1024;
constexpr int defaultHeight = 768;
constexpr double nearPlane = 0.1;
constexpr double standardFarPlane = 5000.0;

double farPlane = standardFarPlane;

void registerCallbacks()
{
    glutIdleFunc(idleCallback);
    glutDisplayFunc(displayCallback);
    glutReshapeFunc(reshapeCallback);
    glutKeyboardFunc(keyboardCallback);
    glutKeyboardUpFunc(keyboardUpCallback);
    glutSpecialFunc(specialCallback);
    glutSpecialUpFunc(specialUpCallback);
    glutMouseFunc(mouseCallback);
    glutMotionFunc(motionCallback);
    glutPassiveMotionFunc(passiveMotionCallback);
}

class GlutWalkerWindow : public WalkerWindow {
public:
    int width() const override { return getWindowWidth(); }
    int height() const override { return getWindowHeight(); }
    void warpPointer(int x, int y) override { glutWarpPointer(x, y); }
    void setCursor(int cursor) override { glutSetCursor(cursor); }
};

} // namespace

// What frames switch is the state module's default, set through it; GL's initial values are the
// rest: clearing to black at depth 1, back faces culled, depth test LESS, smooth shading, filled polygons.
void setDefaultGlState()
{
    useGlState(defaultGlState);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
}

WalkerWindow& glutWalkerWindow()
{
    static GlutWalkerWindow window;
    return window;
}

void applyPerspective(int width, int height)
{
    // A minimised window may report a height of 0; keep the projection finite.
    const double aspect = height > 0 ? static_cast<double>(width) / height : 1.0;
    gluPerspective(fieldOfViewDegrees, aspect, nearPlane, farPlane);
}

double extendFarPlane(double distance)
{
    farPlane = distance > standardFarPlane ? distance : standardFarPlane;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    applyPerspective(getWindowWidth(), getWindowHeight());
    glMatrixMode(GL_MODELVIEW);
    return farPlane;
}

void createWindow()
{
    glutInitWindowSize(defaultWidth, defaultHeight);
    glutInitWindowPosition(10, 10);
    setWindowId(glutCreateWindow("Zandervale"));
    nameWindowForDesktop();
    registerCallbacks();
    // A held key must stay one press and one release: repeats would toggle
    // the slideshow or the help panel over and over.
    glutIgnoreKeyRepeat(1);
    setDefaultGlState();

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glViewport(0, 0, getWindowWidth(), getWindowHeight());
    applyPerspective(getWindowWidth(), getWindowHeight());
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void startMainLoop()
{
    glutWarpPointer(getWindowWidth() / 2, getWindowHeight() / 2);
    // The first frame's step must not carry the whole start-up: a large
    // library takes seconds to load, and houses and walker would jump.
    frameClock().start(glutGet(GLUT_ELAPSED_TIME));
    glutMainLoop();
}

void toggleFullScreen()
{
    if (getWindowId() < 0)
        return;
    if (isFullScreen()) {
        glutReshapeWindow(defaultWidth, defaultHeight);
        setWindowSize(defaultWidth, defaultHeight);
    } else {
        glutFullScreen();
        // GLUT carries the change out later; the reshape stores the real size.
        setWindowSize(glutGet(GLUT_WINDOW_WIDTH), glutGet(GLUT_WINDOW_HEIGHT));
    }
    setFullScreen(!isFullScreen());
}

void displayCallback()
{
    const double dt = frameClock().tick(glutGet(GLUT_ELAPSED_TIME));
    if (SceneObject* root = getSceneRoot())
        root->draw(dt);
    else
        std::printf("no scene-root!");
    glutSwapBuffers();
}

void idleCallback()
{
    displayCallback();
}

void reshapeCallback(int width, int height)
{
    setWindowSize(width, height);
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    applyPerspective(width, height);
    glMatrixMode(GL_MODELVIEW);
    displayCallback();
}

void keyboardCallback(unsigned char key, int x, int y)
{
    if (InputControl* control = getCurrentInputControl())
        control->keyboard(key, x, y);
}

void keyboardUpCallback(unsigned char key, int x, int y)
{
    if (InputControl* control = getCurrentInputControl())
        control->keyboardUp(key, x, y);
}

void specialCallback(int key, int x, int y)
{
    if (InputControl* control = getCurrentInputControl())
        control->special(key, x, y);
}

void specialUpCallback(int key, int x, int y)
{
    if (InputControl* control = getCurrentInputControl())
        control->specialUp(key, x, y);
}

void mouseCallback(int button, int state, int x, int y)
{
    if (InputControl* control = getCurrentInputControl())
        control->mouse(button, state, x, y);
}

void motionCallback(int x, int y)
{
    if (InputControl* control = getCurrentInputControl())
        control->motion(x, y);
}

void passiveMotionCallback(int x, int y)
{
    if (InputControl* control = getCurrentInputControl())
        control->passiveMotion(x, y);
}
