// MovementControl: an input controller that also owns the camera. It moves
// the viewer at the start of each city frame and draws the heads-up display
// on top of it.
#pragma once

#include "controls/InputControl.h"

class WalkerWorld;

class MovementControl : public InputControl {
public:
    // Binds the controller to the world it moves in (the application
    // object) and puts it into its start state. Called once, right after
    // construction.
    virtual void init(WalkerWorld* app) = 0;
    // Loads the view transform into the modelview matrix (used for picking).
    virtual void applyView() = 0;
    // Moves the viewer, clears the buffers, loads the view and places the
    // walker light. First thing of every city frame.
    virtual void beginFrame(double dt) = 0;
    // Draws the heads-up display in the overlay projection.
    virtual void drawOverlay(double dt) = 0;
    // Whether Escape is the controller's own (a prompt it shows, and the
    // release of the Escape that closed it) instead of ending the program.
    // Controllers without a prompt keep this answer.
    virtual bool holdsEscape() const { return false; }
    // Escape in the city: closes a panel drawn over the view and says so;
    // false when none was open, and Escape then ends the program.
    virtual bool closePanel() { return false; }
};
