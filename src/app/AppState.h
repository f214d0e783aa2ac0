// The few values the GLUT callbacks and the subsystems share: the current
// input controller, the scene root, the window size and id, full screen and
// the frame timing. The values themselves are private to AppState.cpp.
#pragma once

class FrameClock;
class InputControl;
class SceneObject;

void setCurrentInputControl(InputControl* control);
InputControl* getCurrentInputControl();
void setSceneRoot(SceneObject* root);
SceneObject* getSceneRoot();

// 1024 x 768 until the first reshape.
int getWindowWidth();
int getWindowHeight();
void setWindowSize(int width, int height);
int getWindowId();
void setWindowId(int id);
bool isFullScreen();
void setFullScreen(bool on);

float getFramesPerSecond();
// The display callback's frame timing.
FrameClock& frameClock();
