// The GLUT window: creation with the program's default GL state, the
// callbacks that feed the scene root and the current input controller,
// full screen, and the main loop.
#include "app/Window.h"

#include <GL/freeglut.h>

#include <cstdio>

#include "app/AppState.h"
#include "controls/InputControl.h"
#include "scene/SceneObject.h"

namespace {

constexpr int defaultWidth = 1024;
constexpr int defaultHeight = 768;
constexpr double fieldOfViewDegrees = 70.0;
constexpr double nearPlane = 0.1;
constexpr double farPlane = 5000.0;
constexpr int fpsIntervalMs = 1000;

// The state every drawing routine may rely on, grouped by who changes it:
// houses, the overlay and the walker marker switch lighting, texturing and
// blending off and on again around their own drawing.
void setDefaultGlState()
{
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_NORMALIZE);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_LIGHTING);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glDisable(GL_BLEND);
    glDepthFunc(GL_LESS);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glShadeModel(GL_SMOOTH);
    glPolygonMode(GL_FRONT, GL_FILL);
    // Rows of odd-width RGB images are not 4-byte aligned.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
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

void createWindow()
{
    glutInitWindowSize(defaultWidth, defaultHeight);
    glutInitWindowPosition(10, 10);
    appstate::windowId = glutCreateWindow("Zandervale");
    registerCallbacks();
    // A held key must stay one press and one release: repeats would toggle
    // the slideshow or the help panel over and over.
    glutIgnoreKeyRepeat(1);
    setDefaultGlState();

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glViewport(0, 0, appstate::windowWidth, appstate::windowHeight);
    gluPerspective(fieldOfViewDegrees,
                   static_cast<double>(appstate::windowWidth) / appstate::windowHeight,
                   nearPlane, farPlane);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void startMainLoop()
{
    glutWarpPointer(appstate::windowWidth / 2, appstate::windowHeight / 2);
    glutMainLoop();
}

void toggleFullScreen()
{
    if (appstate::windowId < 0)
        return;
    if (appstate::fullScreen) {
        glutReshapeWindow(defaultWidth, defaultHeight);
        appstate::windowWidth = defaultWidth;
        appstate::windowHeight = defaultHeight;
    } else {
        glutFullScreen();
        // GLUT carries the change out later; the reshape stores the real size.
        appstate::windowWidth = glutGet(GLUT_WINDOW_WIDTH);
        appstate::windowHeight = glutGet(GLUT_WINDOW_HEIGHT);
    }
    appstate::fullScreen = !appstate::fullScreen;
}

void displayCallback()
{
    ++appstate::frameCount;
    const int now = glutGet(GLUT_ELAPSED_TIME);
    if (now - appstate::lastFpsTime > fpsIntervalMs) {
        appstate::framesPerSecond =
            static_cast<float>(appstate::frameCount * 1000.0 / (now - appstate::lastFpsTime));
        appstate::lastFpsTime = now;
        appstate::frameCount = 0;
    }
    const double dt = (now - appstate::lastFrameTime) / 1000.0;
    appstate::lastFrameTime = now;
    if (appstate::sceneRoot != nullptr)
        appstate::sceneRoot->draw(dt);
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
    appstate::windowWidth = width;
    appstate::windowHeight = height;
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // A minimised window may report a height of 0; keep the projection finite.
    const double aspect = height > 0 ? static_cast<double>(width) / height : 1.0;
    gluPerspective(fieldOfViewDegrees, aspect, nearPlane, farPlane);
    glMatrixMode(GL_MODELVIEW);
    displayCallback();
}

void keyboardCallback(unsigned char key, int x, int y)
{
    if (InputControl* control = appstate::currentInputControl)
        control->keyboard(key, x, y);
}

void keyboardUpCallback(unsigned char key, int x, int y)
{
    if (InputControl* control = appstate::currentInputControl)
        control->keyboardUp(key, x, y);
}

void specialCallback(int key, int x, int y)
{
    if (InputControl* control = appstate::currentInputControl)
        control->special(key, x, y);
}

void specialUpCallback(int key, int x, int y)
{
    if (InputControl* control = appstate::currentInputControl)
        control->specialUp(key, x, y);
}

void mouseCallback(int button, int state, int x, int y)
{
    if (InputControl* control = appstate::currentInputControl)
        control->mouse(button, state, x, y);
}

void motionCallback(int x, int y)
{
    if (InputControl* control = appstate::currentInputControl)
        control->motion(x, y);
}

void passiveMotionCallback(int x, int y)
{
    if (InputControl* control = appstate::currentInputControl)
        control->passiveMotion(x, y);
}
