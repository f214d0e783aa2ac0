// The heads-up display over the walker's view: crosshair, compass, help
// panel, the status strip naming the nearest crossing, the date prompt or a
// short note above it, the panel of the selected house and the overview's
// year and month labels, each frame built from the walker's own state. The
// texts are plain functions so they can be read directly.
#pragma once

#include <string>
#include <vector>

#include "controls/OverviewLabels.h"

#include "textures/TextureName.h"

class SceneObject;
class ShooterControl;
class Street;

// What one frame of the HUD shows.
struct HudFrame {
    int width;                     // window size in pixels
    int height;
    bool crosshair;                // walking with mouse look
    bool compass;                  // walking
    bool help;
    float yaw;                     // degrees; the compass turns with it
    const Street* crossing;        // nearest to the walker; null: no location line
    const SceneObject* selected;   // null: no selection panel
    TextureName compassTexture;
    TextureName helpTexture;
    TextureName panelTexture;
    std::string prompt;            // the "Go to: " line; empty: none
    std::string note;              // shown instead when there is no prompt
    const std::vector<OverviewLabel>* labels = nullptr;   // the overview's years and months
};

class HeadsUpDisplay {
public:
    // Loads the compass, the help panel and the panel behind the strips:
    // needs a current GL context.
    HeadsUpDisplay();
    // Takes artwork already loaded (or made up, with no GL context).
    HeadsUpDisplay(TextureName compass, TextureName help, TextureName panel);

    // What the walker's state shows in a window of this size.
    HudFrame frameOf(const ShooterControl& walker, int width, int height) const;
    // Drawn in the overlay: one unit a pixel, origin at the window centre, y up.
    void draw(const ShooterControl& walker, int width, int height) const;

private:
    TextureName compassTexture = 0;
    TextureName helpTexture = 0;
    TextureName panelTexture = 0;
};

// The month name and the four year digits: "March, 2005"; "month 13, 2005"
// for a month outside 1 to 12.
std::string dateText(int month, int year);
// "3. quarter"
std::string quarterText(int quarter);
// "42 pictures loaded"
std::string pictureCountText(int count);
// The yaw brought into [0, 360] as repeated turns by 360 would (0 and 360
// both stay, 720 gives 360, -30 gives 330); a non-finite yaw gives 0.
float normalisedYaw(float yaw);
