// The 2D overlay over a city frame: its projection (one unit a pixel,
// origin at the window centre, y up), the frame-rate line, the start-up
// screen's progress bar and a centred line of text.
#pragma once

#include <string>
#include <vector>

struct AppState;

// Switches to the overlay's projection and state; endOverlay goes back to
// the window's default state and the 3D projection.
void beginOverlay(const AppState& state);
void endOverlay();
void drawFrameRate(const AppState& state);
// The start-up screen: a bar that fills as the pictures load and their
// count, centred, before anything of the city exists. Expects the overlay.
void drawLoadProgress(int done, int total);
// One line of text centred on the window, over a dark band that keeps it
// readable on any ground. Expects the overlay.
void drawCentredLine(const char* text, int windowWidth);

// The button of the screen without a library, in overlay units (origin at
// the window centre, y up).
struct OverlayBox {
    int left, bottom, right, top;
    bool holds(int x, int y) const { return x >= left && x < right && y >= bottom && y < top; }
};
OverlayBox setupButton();
// The screen without a library: its lines from the top, the last one as
// the button where offered, and while progress is 0 to 1 a bar. Expects
// the overlay.
void drawSetupScreen(const std::vector<std::string>& lines, bool offered, double progress);
