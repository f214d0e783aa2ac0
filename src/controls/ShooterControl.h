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
#include "controls/MovementControl.h"
#include "controls/OverviewFraming.h"
#include "controls/OverviewLabels.h"
#include "textures/TextureName.h"

class SceneObject;
class WalkerWindow;
class WalkerWorld;
struct TimePoint;
struct TimeTarget;

// Speeds in world units per second.
constexpr float fastSpeed = 50.0f;
constexpr float overviewSpeed = 60.0f;
// The largest translation y the walker may have: the eye never sinks below
// 1.8 above the ground plane.
constexpr float eyeLevel = -1.8f;

class ShooterControl : public MovementControl {
public:
    struct Vector3f {
        float x, y, z;
    };

    // Loads the HUD artwork, so it needs a current GL context.
    explicit ShooterControl(WalkerWindow& window);
    // For code that has no GL context: takes the texture names instead of
    // loading them.
    ShooterControl(WalkerWindow& window, TextureName compass, TextureName help,
                   TextureName panel);

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

    // Angles in degrees, lengths in world units, speeds in units per second.
    Vector3f translation;   // the eye position negated
    float pitch;
    float yaw;
    std::int16_t strafe;    // -1 A, +1 D
    std::int16_t forward;   // +1 W, -1 S
    std::int16_t turn;      // -1 left arrow, +1 right arrow
    std::int16_t tilt;      // +1 up arrow, -1 down arrow
    bool rising;
    float verticalSpeed;    // upward
    float walkSpeed = 5.0f;  // '+' and '-' change it in steps of 5, without bounds
    float gravity;
    WalkerWorld* app;       // not owned
    TextureName panelTexture;
    TextureName compassTexture;
    TextureName helpTexture;
    Vector3f overviewTranslation;
    float overviewPitch;
    float overviewYaw;
    SceneObject* selected;  // not owned
    bool collisionOn;
    bool lightOn;
    bool mouseLook;
    bool overview;
    bool helpShown;
    bool fast;
    bool aiming;            // the right button holds the pointer free
    DatePrompt prompt;           // the "Go to: " line
    std::string noteLine;        // why a key went nowhere
    double noteSecondsLeft = 0.0;

private:
    // Lets go of every held key and button, as if all were released: the
    // gallery takes the input from here on, and their releases go there.
    void releaseHeld();
    void stepWalker(double dt);
    void accelerate(double dt);
    void toggleOverview();
    void toggleLight();
    void toggleMouseLook();
    void openSelection();
    void select(int x, int y);
    void drawWalkerMarker();
    void frameOverviewCamera();
    void setMouseLook(bool on);
    void warpToCentre();
    // The time keys: the prompt's keys, a jump to a target, the flight.
    bool timeKey(unsigned char key);
    bool timeSpecial(int key);
    void typeInPrompt(unsigned char key);
    TimePoint timeHere();
    void jump(const TimeTarget& target);
    // Puts a line under the HUD for a while; an empty one clears it.
    void showNote(const std::string& note);
    // Enter and J say why they did nothing.
    void noteNoSelection();
    void fly(double dt);
    void finishFlight();
    void placeWalker(const WalkerPose& pose);

    Flight flight;
    // The overview's year and month labels, placed by the last overview frame.
    std::vector<OverviewLabel> overviewLabelList;
    // The overview camera's x and z translation where a flight began and
    // where it ends, over the landing.
    float cameraFrom[2] = {0.0f, 0.0f};
    float cameraTo[2] = {0.0f, 0.0f};

    WalkerWindow& window;
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
