// What the GLUT callbacks share with the application object: the scene
// root, the current input controller, the window's size, id and full-screen
// state, the frame clock and the far plane. The application object owns
// one; the window it opens carries a pointer to it as its user data.
#pragma once

#include "app/FrameClock.h"

class InputControl;
class SceneObject;

// The far plane of the 3D view where a city does not reach farther.
constexpr double standardFarPlane = 5000.0;

struct AppState {
    SceneObject* sceneRoot = nullptr;       // not owned
    InputControl* inputControl = nullptr;   // not owned; null: events go nowhere
    int windowWidth = 1024;                 // until the first reshape
    int windowHeight = 768;
    int windowId = 0;                       // GLUT's ids start at 1: 0 is no window
    bool fullScreen = false;
    FrameClock clock;
    double farPlane = standardFarPlane;
};
