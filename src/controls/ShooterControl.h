// The first-person walker: held-key movement, mouse look, the jet rise on
// the space bar, collision against the city, the overview camera high above
// it, selection by clicking and the way into the gallery.
#pragma once

#include <cstdint>

#include "controls/MovementControl.h"
#include "textures/TextureName.h"

class SceneObject;

// Tuning shared by all walkers, in world units (per second). Only walkSpeed
// changes at run time ('+' and '-', without bounds).
extern float walkSpeed;
extern float fastSpeed;
extern float overviewSpeed;
// The largest translation y the walker may have: the eye never sinks below
// 1.8 above the ground plane.
extern float eyeLevel;

class ShooterControl : public MovementControl {
public:
    struct Vector3f {
        float x, y, z;
    };

    // Loads the HUD artwork, so it needs a current GL context.
    ShooterControl();
    // For code that has no GL context (the kinematics tests): takes the
    // texture names instead of loading them.
    ShooterControl(TextureName compass, TextureName help, TextureName panel);

    void keyboard(unsigned char key, int x, int y) override;
    void keyboardUp(unsigned char key, int x, int y) override;
    void special(int key, int x, int y) override;
    void specialUp(int key, int x, int y) override;
    void mouse(int button, int state, int x, int y) override;
    void motion(int x, int y) override;
    void passiveMotion(int x, int y) override;

    void init(Zandervale* app) override;
    void applyView() override;
    void beginFrame(double dt) override;
    void drawOverlay(double dt) override;

    // The GL-free halves of beginFrame: one step of the walker (turn, tilt,
    // rise and fall, walking, collision through app) and one step of the
    // overview camera, each from the held keys and dt seconds.
    void moveWalker(double dt);
    void moveOverviewCamera(double dt);

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
    float gravity;
    Zandervale* app;        // not owned
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

private:
    void accelerate(double dt);
    void toggleOverview();
    void toggleLight();
    void toggleMouseLook();
    void openSelection();
    void select(int x, int y);
    void drawWalkerMarker();
    void drawCrosshair();
};
