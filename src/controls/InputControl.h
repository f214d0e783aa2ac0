// InputControl: the receiver of every keyboard and mouse event of the
// window. Coordinates are GLUT window coordinates (origin top-left, y
// downward).
#pragma once

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
