// InputControl: the receiver of every keyboard and mouse event of the
// window. Coordinates are GLUT window coordinates (origin top-left, y
// downward).
#pragma once

// The keys and mouse buttons the controls answer, by the codes GLUT reports.
constexpr unsigned char backspaceKey = 8, tabKey = 9, enterKey = 13, escapeKey = 27, spaceKey = 32;
constexpr unsigned char deleteKey = 127;   // what some keyboards send for Backspace
constexpr int leftButton = 0, rightButton = 2, wheelAway = 3, wheelToward = 4;
constexpr int buttonDown = 0, buttonUp = 1;

class InputControl {
public:
    virtual ~InputControl() = default;
    virtual void keyboard(unsigned char key, int x, int y) = 0;
    virtual void keyboardUp(unsigned char key, int x, int y) = 0;
    virtual void special(int key, int x, int y) = 0;
    virtual void specialUp(int key, int x, int y) = 0;
    virtual void mouse(int button, int state, int x, int y) = 0;
    virtual void motion(int x, int y) = 0;
    virtual void passiveMotion(int x, int y) = 0;
};
