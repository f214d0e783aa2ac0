// The one GLUT window: its GL state, its callbacks, full screen and the
// main loop.
#pragma once

class WalkerWindow;

// Creates the window, registers the callbacks and sets the default GL state
// and the perspective projection.
void createWindow();
void setDefaultGlState();
// Warps the pointer to the window centre and enters the GLUT main loop.
void startMainLoop();
// Switches between full screen and the 1024 x 768 window.
void toggleFullScreen();
// Multiplies the current matrix by the perspective of the 3D view; display
// and picking must agree on it, or clicks select what is not under them.
void applyPerspective(int width, int height);
// The vertical field of view of that perspective.
constexpr double fieldOfViewDegrees = 70.0;
// Moves the far plane out to distance where the standard 5000 does not
// reach that far (a city of many years), and loads the projection again.
// Returns the far plane's distance now.
double extendFarPlane(double distance);
// The GLUT window as the navigation controller sees it.
WalkerWindow& glutWalkerWindow();

// GLUT callbacks (registered by createWindow; reachable for tests).
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
