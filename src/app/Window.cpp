// The GLUT window: creation with the program's default GL state, the
// callbacks that feed the scene root and the current input controller,
// full screen, and the main loop.
#include "app/Window.h"

#include <GL/freeglut.h>

#include <cstdio>

#include "app/WindowIdentity.h"
#include "controls/InputControl.h"
#include "scene/SceneObject.h"
#include "textures/GlState.h"

namespace {

constexpr int defaultWidth = 1024;
constexpr int defaultHeight = 768;
constexpr double nearPlane = 0.1;

// The application's state, as createWindow gave it to the current window.
AppState* windowState()
{
    return static_cast<AppState*>(glutGetWindowData());
}

InputControl* inputControl()
{
    AppState* state = windowState();
    return state != nullptr ? state->inputControl : nullptr;
}

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

} // namespace

// What frames switch is the state module's default, set through it; GL's initial values are the
// rest: clearing to black at depth 1, back faces culled, depth test LESS, smooth shading, filled polygons.
void setDefaultGlState()
{
    useGlState(defaultGlState);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
}

void applyPerspective(int width, int height, double farPlane)
{
    // A minimised window may report a height of 0; keep the projection finite.
    const double aspect = height > 0 ? static_cast<double>(width) / height : 1.0;
    gluPerspective(fieldOfViewDegrees, aspect, nearPlane, farPlane);
}

double farPlaneFor(double distance)
{
    return distance > standardFarPlane ? distance : standardFarPlane;
}

double extendFarPlane(AppState& state, double distance)
{
    state.farPlane = farPlaneFor(distance);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    applyPerspective(state.windowWidth, state.windowHeight, state.farPlane);
    glMatrixMode(GL_MODELVIEW);
    return state.farPlane;
}

void createWindow(AppState& state)
{
    glutInitWindowSize(defaultWidth, defaultHeight);
    glutInitWindowPosition(10, 10);
    state.windowId = glutCreateWindow("Zandervale");
    glutSetWindowData(&state);
    nameWindowForDesktop();
    registerCallbacks();
    // A held key must stay one press and one release: repeats would toggle
    // the slideshow or the help panel over and over.
    glutIgnoreKeyRepeat(1);
    setDefaultGlState();

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glViewport(0, 0, state.windowWidth, state.windowHeight);
    applyPerspective(state.windowWidth, state.windowHeight, state.farPlane);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void startMainLoop(AppState& state)
{
    glutWarpPointer(state.windowWidth / 2, state.windowHeight / 2);
    // The first frame's step must not carry the whole start-up: a large
    // library takes seconds to load, and houses and walker would jump.
    state.clock.start(glutGet(GLUT_ELAPSED_TIME));
    glutMainLoop();
}

void toggleFullScreen(AppState& state)
{
    if (state.windowId == 0)
        return;
    if (state.fullScreen) {
        glutReshapeWindow(defaultWidth, defaultHeight);
        state.windowWidth = defaultWidth;
        state.windowHeight = defaultHeight;
    } else {
        glutFullScreen();
        // GLUT carries the change out later; the reshape stores the real size.
        state.windowWidth = glutGet(GLUT_WINDOW_WIDTH);
        state.windowHeight = glutGet(GLUT_WINDOW_HEIGHT);
    }
    state.fullScreen = !state.fullScreen;
}

void displayCallback()
{
    AppState* state = windowState();
    if (state == nullptr)
        return;
    const double dt = state->clock.tick(glutGet(GLUT_ELAPSED_TIME));
    if (state->sceneRoot != nullptr)
        state->sceneRoot->draw(dt);
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
    AppState* state = windowState();
    if (state == nullptr)
        return;
    state->windowWidth = width;
    state->windowHeight = height;
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    applyPerspective(width, height, state->farPlane);
    glMatrixMode(GL_MODELVIEW);
    displayCallback();
}

void keyboardCallback(unsigned char key, int x, int y)
{
    if (InputControl* control = inputControl())
        control->keyboard(key, x, y);
}

void keyboardUpCallback(unsigned char key, int x, int y)
{
    if (InputControl* control = inputControl())
        control->keyboardUp(key, x, y);
}

void specialCallback(int key, int x, int y)
{
    if (InputControl* control = inputControl())
        control->special(key, x, y);
}

void specialUpCallback(int key, int x, int y)
{
    if (InputControl* control = inputControl())
        control->specialUp(key, x, y);
}

void mouseCallback(int button, int state, int x, int y)
{
    if (InputControl* control = inputControl())
        control->mouse(button, state, x, y);
}

void motionCallback(int x, int y)
{
    if (InputControl* control = inputControl())
        control->motion(x, y);
}

void passiveMotionCallback(int x, int y)
{
    if (InputControl* control = inputControl())
        control->passiveMotion(x, y);
}
