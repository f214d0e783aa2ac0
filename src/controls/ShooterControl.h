// ShooterControl: the walker's controller. Held-key movement, mouse look,
// the jet rise on the space bar, collision against the city, the overview
// camera high above it, selection by clicking, the way into the gallery,
// and the flights to a typed date, house by house and a year at a time.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "controls/DatePrompt.h"
#include "controls/Flight.h"
#include "controls/HeadsUpDisplay.h"
#include "controls/MovementControl.h"
#include "controls/OverviewFraming.h"
#include "controls/OverviewLabels.h"
#include "controls/WalkerPose.h"

class SceneObject;
class Street;
class WalkerWindow;
class WalkerWorld;
struct TimePoint;
struct TimeTarget;

// Speeds in world units per second.
constexpr float fastSpeed = 50.0f;
constexpr float overviewSpeed = 60.0f;
// The lowest the walker's eye comes: 1.8 above the ground plane.
constexpr float eyeLevel = 1.8f;

// The movement keys and buttons held down: an axis is -1, 0 or +1.
struct HeldKeys {
    std::int16_t strafe = 0;    // -1 A, +1 D
    std::int16_t forward = 0;   // +1 W, -1 S
    std::int16_t turn = 0;      // -1 left arrow, +1 right arrow
    std::int16_t tilt = 0;      // +1 up arrow, -1 down arrow
    bool rising = false;        // the space bar
    bool fast = false;          // Q
};

class ShooterControl : public MovementControl {
public:
    // Loads the HUD artwork, so it needs a current GL context.
    explicit ShooterControl(WalkerWindow& window);
    // For code that has no GL context: takes the HUD's artwork instead of
    // loading it.
    ShooterControl(WalkerWindow& window, const HeadsUpDisplay& hud);

    void keyboard(unsigned char key, int x, int y) override;
    void keyboardUp(unsigned char key, int x, int y) override;
    void special(int key, int x, int y) override;
    void specialUp(int key, int x, int y) override;
    void mouse(int button, int state, int x, int y) override;
    void motion(int x, int y) override;
    void passiveMotion(int x, int y) override;

    void init(WalkerWorld* app) override;
    void applyView() override;
    void beginFrame(double dt) override;
    void drawOverlay(double dt) override;
    bool holdsEscape() const override { return prompt.holdsEscape(); }
    bool closePanel() override;

    // The GL-free halves of beginFrame: the walker's move over dt seconds
    // (turn, tilt, rise and fall, walking, collision through app) and one
    // step of the overview camera, each from the held keys; or, in either
    // mode, dt further along a flight.
    void moveWalker(double dt);
    void moveOverviewCamera(double dt);
    // Whether the walker is on its way to a place in time.
    bool isFlying() const { return flight.active(); }

    // The ground the overview camera frames, and the lens it sees through
    // (vertical field of view in degrees; the far plane bounds its height).
    // Every switch to the overview frames it anew for the window's aspect.
    void setOverviewArea(const OverviewArea& area, double fieldOfViewDegrees, double maxHeight);

    // Where the walker's eye is and where it looks.
    const WalkerPose& pose() const { return walkerPose; }
    // Puts the walker there at once, standing still; a flight ends.
    void placeAt(const WalkerPose& pose);
    const WalkerPose& overviewCamera() const { return cameraPose; }
    void placeOverviewCamera(const WalkerPose& pose) { cameraPose = pose; }
    // Upward, in units per second.
    float verticalSpeed() const { return climbRate; }

    bool isOverview() const { return overview; }
    // Switches to the camera high above (framing the city, the pointer
    // shown) or back to the walker's own view; as Tab does, but only when
    // the view is not that already.
    void showOverview(bool on);
    bool isMouseLook() const { return mouseLook; }
    // The pointer hidden and centred, and the view turning with it; or the
    // pointer free. The overview always shows the pointer.
    void setMouseLook(bool on);
    // F2 turns it off: the walker passes through houses.
    void setCollision(bool on) { collisionOn = on; }
    bool isHelpShown() const { return helpShown; }

    // The selected object (a house in practice), or null; not owned.
    SceneObject* selection() const { return selected; }
    // Makes this object the selection, with this picture picked; the one
    // selected before lets go of its picture. Null clears the selection.
    void select(SceneObject* object, int picture);

    // The street crossing nearest to the walker's eye, or null.
    const Street* crossingHere() const;
    const DatePrompt& datePrompt() const { return prompt; }
    // Puts a line under the HUD for a while; an empty one clears it.
    void showNote(const std::string& note, double seconds);
    // The note while it shows, else "".
    std::string note() const { return noteSecondsLeft > 0.0 ? noteLine : std::string(); }
    // The overview's year and month labels, placed by the last overview frame.
    const std::vector<OverviewLabel>& labelsSeen() const { return overviewLabelList; }

private:
    // Lets go of every held key and button, as if all were released: the
    // gallery takes the input from here on, and their releases go there.
    void releaseHeld();
    void stepWalker(double dt);
    void accelerate(double dt);
    void toggleLight();
    void openSelection();
    void pickAt(int x, int y);
    void drawWalkerMarker();
    void frameOverviewCamera();
    void warpToCentre();
    // The time keys: the prompt's keys, a jump to a target, the flight.
    bool timeKey(unsigned char key);
    bool timeSpecial(int key);
    void typeInPrompt(unsigned char key);
    TimePoint timeHere() const;
    void jump(const TimeTarget& target);
    // Enter and J say why they did nothing.
    void noteNoSelection();
    void fly(double dt);
    void finishFlight();
    // The walker at this point of its flight, the overview camera along.
    void followFlight(const WalkerPose& pose);

    WalkerWindow& window;
    WalkerWorld* app = nullptr;   // not owned
    HeadsUpDisplay hud;
    WalkerPose walkerPose{-75.0f, eyeLevel, 40.0f, 90.0f, 0.0f};
    // Straight down, north up, over the middle of an early city.
    WalkerPose cameraPose{700.0f, 1000.0f, 500.0f, 0.0f, 90.0f};
    HeldKeys held;
    bool aiming = false;          // the right button holds the pointer free
    float climbRate = 0.0f;
    float walkSpeed = 5.0f;       // '+' and '-' change it in steps of 5, without bounds
    SceneObject* selected = nullptr;   // not owned
    bool collisionOn = true;
    bool lightOn = true;
    bool mouseLook = false;
    bool overview = false;
    bool helpShown = false;
    DatePrompt prompt;            // the "Go to: " line
    std::string noteLine;         // why a key went nowhere
    double noteSecondsLeft = 0.0;

    Flight flight;
    std::vector<OverviewLabel> overviewLabelList;
    // The overview camera where a flight began and where it ends, over the
    // landing.
    WalkerPose cameraFrom;
    WalkerPose cameraTo;

    OverviewArea overviewArea;
    double overviewFieldOfView = 70.0;
    double overviewMaxHeight = 0.0;
    // The window size the pointer was last centred in: a motion seen at
    // another size comes from a resize, not from the user's hand.
    int centredWidth;
    int centredHeight;
    // The centre at the size before: motion there is an old warp's echo
    // until the pointer shows at the new centre; -1 when there is none.
    int echoX = -1;
    int echoY = -1;
};
