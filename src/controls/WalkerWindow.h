// The window as the walker uses it: its size, read fresh each time, the
// pointer warp and the cursor shape. GLUT ends the process when a cursor is
// set with no window, so code without one (tests) brings its own.
#pragma once

class WalkerWindow {
public:
    virtual ~WalkerWindow() = default;
    virtual int width() const = 0;
    virtual int height() const = 0;
    virtual void warpPointer(int x, int y) = 0;
    // A GLUT cursor shape (GLUT_CURSOR_NONE, GLUT_CURSOR_INHERIT, ...).
    virtual void setCursor(int cursor) = 0;
};
