// The one GLUT window: its GL state, its callbacks, full screen and the
// main loop.
#pragma once

#include "app/AppState.h"

// Creates the window, gives it state as its callbacks' data, registers the
// callbacks and sets the default GL state and the perspective projection.
// state must outlive the window's events.
void createWindow(AppState& state);
void setDefaultGlState();
// Warps the pointer to the window centre and enters the GLUT main loop.
void startMainLoop(AppState& state);
// Switches between full screen and the 1024 x 768 window; nothing without
// a window.
void toggleFullScreen(AppState& state);
// Multiplies the current matrix by the perspective of the 3D view; display
// and picking must agree on it, or clicks select what is not under them.
void applyPerspective(int width, int height, double farPlane = standardFarPlane);
// The vertical field of view of that perspective.
constexpr double fieldOfViewDegrees = 70.0;
// The far plane that reaches distance (a city of many years), never nearer
// than the standard one.
double farPlaneFor(double distance);
// Moves state's far plane out to reach distance and loads the projection
// again. Returns the far plane's distance now.
double extendFarPlane(AppState& state, double distance);

// GLUT callbacks (registered by createWindow): they reach the application
// through the current window's data.
void displayCallback();
void idleCallback();
void reshapeCallback(int width, int height);
void keyboardCallback(unsigned char key, int x, int y);
void keyboardUpCallback(unsigned char key, int x, int y);
void specialCallback(int key, int x, int y);
void specialUpCallback(int key, int x, int y);
void mouseCallback(int button, int state, int x, int y);
void motionCallback(int x, int y);
void passiveMotionCallback(int x, int y);
