// A navigation controller that does nothing: tests derive from it and
// override only what they watch or need.
#pragma once

#include "controls/MovementControl.h"

namespace support {

class IdleControl : public MovementControl {
public:
    void keyboard(unsigned char, int, int) override {}
    void keyboardUp(unsigned char, int, int) override {}
    void special(int, int, int) override {}
    void specialUp(int, int, int) override {}
    void mouse(int, int, int, int) override {}
    void motion(int, int) override {}
    void passiveMotion(int, int) override {}
    void init(WalkerWorld*) override {}
    void applyView() override {}
    void beginFrame(double) override {}
    void drawOverlay(double) override {}
};

}  // namespace support
