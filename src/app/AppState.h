// The few values the GLUT callbacks and the subsystems share: the current
// input controller, the scene root, the window size and id, and the frame
// timing.
#pragma once

class InputControl;
class SceneObject;

void setCurrentInputControl(InputControl* control);
void setSceneRoot(SceneObject* root);
int getWindowWidth();
int getWindowHeight();
float getFramesPerSecond();

// The state itself, for the window layer.
namespace appstate {
extern InputControl* currentInputControl;
extern SceneObject* sceneRoot;
extern int windowWidth;
extern int windowHeight;
extern int windowId;
extern bool fullScreen;
extern float framesPerSecond;
extern int frameCount;
extern int lastFpsTime;
extern int lastFrameTime;
}
