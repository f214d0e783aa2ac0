// Global application state and its getters.
#include "app/AppState.h"

#include "app/FrameClock.h"

namespace {

InputControl* currentInputControl = nullptr;
SceneObject* sceneRoot = nullptr;
int windowWidth = 1024;
int windowHeight = 768;
int windowId = 0;
bool fullScreen = false;
FrameClock clock;

} // namespace

void setCurrentInputControl(InputControl* control) { currentInputControl = control; }
InputControl* getCurrentInputControl() { return currentInputControl; }
void setSceneRoot(SceneObject* root) { sceneRoot = root; }
SceneObject* getSceneRoot() { return sceneRoot; }

int getWindowWidth() { return windowWidth; }
int getWindowHeight() { return windowHeight; }
void setWindowSize(int width, int height)
{
    windowWidth = width;
    windowHeight = height;
}
int getWindowId() { return windowId; }
void setWindowId(int id) { windowId = id; }
bool isFullScreen() { return fullScreen; }
void setFullScreen(bool on) { fullScreen = on; }

float getFramesPerSecond() { return clock.getFramesPerSecond(); }
FrameClock& frameClock() { return clock; }
