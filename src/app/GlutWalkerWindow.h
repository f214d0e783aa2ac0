// The GLUT window as the navigation controller sees it: its size as the
// application last learnt it, pointer warping and the cursor shape.
#pragma once

#include "app/AppState.h"
#include "controls/WalkerWindow.h"

class GlutWalkerWindow : public WalkerWindow {
public:
    explicit GlutWalkerWindow(const AppState& state) : state(state) {}
    int width() const override { return state.windowWidth; }
    int height() const override { return state.windowHeight; }
    void warpPointer(int x, int y) override;
    void setCursor(int cursor) override;

private:
    const AppState& state;
};
