// Global application state and its getters.
#include "app/AppState.h"

namespace appstate {
InputControl* currentInputControl = nullptr;
SceneObject* sceneRoot = nullptr;
int windowWidth = 1024;
int windowHeight = 768;
int windowId = 0;
bool fullScreen = false;
float framesPerSecond = 0.0f;
int frameCount = 0;
int lastFpsTime = 0;
int lastFrameTime = 0;
}

void setCurrentInputControl(InputControl* control) { appstate::currentInputControl = control; }
void setSceneRoot(SceneObject* root) { appstate::sceneRoot = root; }
int getWindowWidth() { return appstate::windowWidth; }
int getWindowHeight() { return appstate::windowHeight; }
float getFramesPerSecond() { return appstate::framesPerSecond; }
