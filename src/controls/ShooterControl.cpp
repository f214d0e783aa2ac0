// The first-person walker and the overview camera: input and kinematics.
// The view, the walker light and the overlay are in ShooterView.cpp, the
// time keys and flights in ShooterTimeKeys.cpp.
#include "controls/ShooterControl.h"

#include <GL/freeglut.h>

#include <cmath>
#include <cstddef>

#include <algorithm>

#include "controls/WalkerWindow.h"
#include "controls/WalkerWorld.h"
#include "scene/House.h"
#include "scene/SceneObject.h"
#include "textures/GlState.h"

namespace {

constexpr float walkSpeedStep = 5.0f;
constexpr double turnDegreesPerSecond = 45.0;
constexpr double mouseDegreesPerPixel = 0.6;
constexpr float mousePitchLimit = 80.0f;
constexpr double riseGravities = 10.0;
constexpr double fallGravities = 5.0;
constexpr float gravity = 9.81f;
constexpr float maxRiseSpeed = 110.0f;
constexpr float maxFallSpeed = -220.0f;
// A slow frame moves the walker in steps no longer than this, each tested
// for collision, so it never passes through a house; a longer stall (a
// debugger, a suspended laptop) counts as one second.
constexpr double maxStepSeconds = 1.0 / 30.0;
constexpr double maxFrameSeconds = 1.0;

// Movement keys set an axis while held; any release of the axis' keys
// clears it, so the last key pressed wins and either release stops.
struct AxisKey {
    int key;
    std::int16_t HeldKeys::*axis;
    std::int16_t value;
};

const AxisKey characterAxes[] = {
    {'A', &HeldKeys::strafe, -1},  {'a', &HeldKeys::strafe, -1},
    {'D', &HeldKeys::strafe, +1},  {'d', &HeldKeys::strafe, +1},
    {'S', &HeldKeys::forward, -1}, {'s', &HeldKeys::forward, -1},
    {'W', &HeldKeys::forward, +1}, {'w', &HeldKeys::forward, +1},
};

const AxisKey specialAxes[] = {
    {GLUT_KEY_LEFT, &HeldKeys::turn, -1},
    {GLUT_KEY_UP, &HeldKeys::tilt, +1},
    {GLUT_KEY_RIGHT, &HeldKeys::turn, +1},
    {GLUT_KEY_DOWN, &HeldKeys::tilt, -1},
};

// Keys that are true while held.
struct HeldKey {
    int key;
    bool HeldKeys::*flag;
};

const HeldKey heldCharacters[] = {
    {' ', &HeldKeys::rising},
    {'Q', &HeldKeys::fast},
    {'q', &HeldKeys::fast},
};

template <std::size_t n>
const AxisKey* findAxis(const AxisKey (&table)[n], int key)
{
    for (const AxisKey& entry : table) {
        if (entry.key == key)
            return &entry;
    }
    return nullptr;
}

// Shift, Ctrl, Alt, the Windows keys and Num Lock reach the special
// callback on their own, and F5 presses before its release switches full
// screen: none of them is a command, so none may land a flight.
bool playsNoPart(int key)
{
    return key == GLUT_KEY_F5 || key == GLUT_KEY_NUM_LOCK ||
           (key >= GLUT_KEY_SHIFT_L && key <= GLUT_KEY_SUPER_R);
}

const HeldKey* findHeld(int key)
{
    for (const HeldKey& entry : heldCharacters) {
        if (entry.key == key)
            return &entry;
    }
    return nullptr;
}

} // namespace

ShooterControl::ShooterControl(WalkerWindow& window) : ShooterControl(window, HeadsUpDisplay())
{
}

ShooterControl::ShooterControl(WalkerWindow& window, const HeadsUpDisplay& hud)
    : window(window), hud(hud), centredWidth(window.width()), centredHeight(window.height())
{
}

void ShooterControl::keyboard(unsigned char key, int, int)
{
    // A key pressed in flight lands the walker first, then does its work.
    finishFlight();
    if (prompt.isOpen()) {
        typeInPrompt(key);
        return;
    }
    if (timeKey(key))
        return;
    if (const AxisKey* axis = findAxis(characterAxes, key)) {
        held.*(axis->axis) = axis->value;
        return;
    }
    if (const HeldKey* flag = findHeld(key)) {
        held.*(flag->flag) = true;
        return;
    }
    switch (key) {
    case tabKey: case 'M': case 'm': showOverview(!overview); break;
    case enterKey: openSelection(); break;
    case '+': walkSpeed += walkSpeedStep; break;
    case '-': walkSpeed -= walkSpeedStep; break;
    case 'F': case 'f': toggleLight(); break;
    case 'H': case 'h': helpShown = !helpShown; break;
    default: break;
    }
}

void ShooterControl::keyboardUp(unsigned char key, int, int)
{
    // Releases pass the prompt: keys held before it opened must not stick.
    prompt.release(key);
    if (const AxisKey* axis = findAxis(characterAxes, key))
        held.*(axis->axis) = 0;
    else if (const HeldKey* flag = findHeld(key))
        held.*(flag->flag) = false;
}

void ShooterControl::special(int key, int, int)
{
    if (playsNoPart(key))
        return;
    finishFlight();
    if (prompt.isOpen() || timeSpecial(key))
        return;
    if (const AxisKey* axis = findAxis(specialAxes, key)) {
        held.*(axis->axis) = axis->value;
        return;
    }
    switch (key) {
    case GLUT_KEY_F1: helpShown = !helpShown; break;
    case GLUT_KEY_F2: collisionOn = !collisionOn; break;
    case GLUT_KEY_F4: setMouseLook(!mouseLook); break;
    default: break;
    }
}

void ShooterControl::specialUp(int key, int, int)
{
    if (const AxisKey* axis = findAxis(specialAxes, key))
        held.*(axis->axis) = 0;
}

void ShooterControl::mouse(int button, int state, int x, int y)
{
    // Holding the right button frees the pointer for aiming.
    if (button == rightButton && state == buttonDown) {
        aiming = true;
        setMouseLook(false);
    } else if (button == rightButton && state == buttonUp) {
        aiming = false;
        setMouseLook(true);
    }
    else if (button == leftButton && state == buttonDown)
        pickAt(x, y);
}

void ShooterControl::motion(int, int)
{
}

void ShooterControl::passiveMotion(int x, int y)
{
    if (overview || !mouseLook || flight.active())
        return;
    // Full screen on or off moves the centre under a pointer that stayed
    // put; that offset must not turn the view.
    if (window.width() != centredWidth || window.height() != centredHeight) {
        warpToCentre();
        return;
    }
    // X reports a warp's motion late: without a window manager the resize
    // is at once, and warps to the old centre are still reported after the
    // first frame at the new size. They end once the new centre is seen.
    if (x == echoX && y == echoY)
        return;
    if (x == centredWidth / 2 && y == centredHeight / 2)
        echoX = echoY = -1;
    // Each event carries the movement since the last warp to the centre.
    walkerPose.turn((x - window.width() / 2) * mouseDegreesPerPixel,
                    (y - window.height() / 2) * mouseDegreesPerPixel);
    walkerPose.limitPitch(mousePitchLimit);
}

void ShooterControl::init(WalkerWorld* application)
{
    app = application;
    window.setCursor(GLUT_CURSOR_NONE);
    const GLfloat white[] = {1.0f, 1.0f, 1.0f, 1.0f};
    enableGl(GlState::light1);
    glLightfv(GL_LIGHT1, GL_DIFFUSE, white);
    glLightf(GL_LIGHT1, GL_QUADRATIC_ATTENUATION, 0.001f);
    mouseLook = true;
    selected = nullptr;
}

void ShooterControl::moveWalker(double dt)
{
    // In flight, gravity, the jet, the walking keys and walls all wait.
    if (flight.active()) {
        fly(dt);
        return;
    }
    if (!(dt > 0.0))   // also NaN
        return;
    dt = std::min(dt, maxFrameSeconds);
    const int steps = static_cast<int>(std::ceil(dt / maxStepSeconds));
    for (int i = 0; i < steps; ++i)
        stepWalker(dt / steps);
}

void ShooterControl::stepWalker(double dt)
{
    accelerate(dt);
    WalkerPose next = walkerPose;
    next.move(0.0, dt * climbRate, 0.0);
    if (next.y() < eyeLevel) {
        next.moveTo(next.x(), eyeLevel, next.z());
        climbRate = 0.0f;
    }
    // Walking follows the heading the step began with, before its turn.
    next.walk(held.forward, held.strafe, held.fast ? fastSpeed : walkSpeed, dt);
    const bool blocked = collisionOn && app != nullptr &&
                         app->stepBlocked(walkerPose.x(), walkerPose.y(), walkerPose.z(), next.x(), next.y(), next.z());
    if (!blocked)
        walkerPose.moveTo(next.x(), next.y(), next.z());
    walkerPose.turn(turnDegreesPerSecond * held.turn * dt, -turnDegreesPerSecond * held.tilt * dt);
}

void ShooterControl::accelerate(double dt)
{
    // The space bar lifts like a jet; gravity brings the walker back down.
    if (held.rising)
        climbRate = std::min(static_cast<float>(climbRate + riseGravities * gravity * dt), maxRiseSpeed);
    else
        climbRate = std::max(static_cast<float>(climbRate - fallGravities * gravity * dt), maxFallSpeed);
}

void ShooterControl::moveOverviewCamera(double dt)
{
    // A flight moves the walker under the camera, and the camera with it.
    if (flight.active()) {
        fly(dt);
        return;
    }
    // Only the walking keys steer the overview camera, in its own axes.
    const float step = static_cast<float>(overviewSpeed * dt);
    cameraPose.move(held.strafe > 0 ? step : held.strafe < 0 ? -step : 0.0f, 0.0,
                    held.forward > 0 ? -step : held.forward < 0 ? step : 0.0f);
}

void ShooterControl::setOverviewArea(const OverviewArea& area, double fieldOfViewDegrees,
                                     double maxHeight)
{
    overviewArea = area;
    overviewFieldOfView = fieldOfViewDegrees;
    overviewMaxHeight = maxHeight;
}

void ShooterControl::frameOverviewCamera()
{
    if (overviewArea.empty())
        return;
    const int height = window.height();
    const OverviewLens lens{overviewFieldOfView,
                            height > 0 ? static_cast<double>(window.width()) / height : 1.0,
                            overviewMaxHeight};
    const OverviewEye eye = frameOverview(overviewArea, lens, walkerPose.x(), walkerPose.z());
    // Straight down, north up: the framing assumes this view.
    cameraPose = WalkerPose(eye.x, eye.y, eye.z, 0.0f, 90.0f);
}

bool ShooterControl::closePanel()
{
    if (!helpShown)
        return false;
    helpShown = false;
    return true;
}

void ShooterControl::showOverview(bool on)
{
    if (on == overview)
        return;
    overview = on;
    if (overview) {
        frameOverviewCamera();
        window.setCursor(GLUT_CURSOR_INHERIT);   // the pointer aims from above
    } else {
        setMouseLook(true);
    }
}

void ShooterControl::toggleLight()
{
    lightOn = !lightOn;
    (lightOn ? enableGl : disableGl)(GlState::light1);
}

void ShooterControl::setMouseLook(bool on)
{
    mouseLook = on;
    // The overview keeps its pointer visible the whole time: it is how the
    // user aims there.
    if (overview)
        return;
    window.setCursor(on ? GLUT_CURSOR_NONE : GLUT_CURSOR_INHERIT);
    // Wherever the free pointer was left, the first look must not jump.
    if (on)
        warpToCentre();
}

void ShooterControl::warpToCentre()
{
    if (window.width() != centredWidth || window.height() != centredHeight) {
        echoX = centredWidth / 2;
        echoY = centredHeight / 2;
    }
    centredWidth = window.width();
    centredHeight = window.height();
    window.warpPointer(window.width() / 2, window.height() / 2);
}

void ShooterControl::openSelection()
{
    if (app == nullptr)
        return;
    House* house = dynamic_cast<House*>(selected);
    if (house == nullptr) {
        noteNoSelection();
        return;
    }
    releaseHeld();
    app->openGallery(house->getRecord(), house->selectedPicture);
}

void ShooterControl::releaseHeld()
{
    held = HeldKeys{};
    if (aiming) {
        aiming = false;
        setMouseLook(true);
    }
}

void ShooterControl::pickAt(int x, int y)
{
    if (app == nullptr)
        return;
    // Walking with mouse look, the crosshair at the centre is the aim; in
    // the overview it is the pointer the user sees.
    const bool atCrosshair = mouseLook && !overview;
    int picture = -1;
    SceneObject* hit = app->pick(atCrosshair ? window.width() / 2 : x, atCrosshair ? window.height() / 2 : y, &picture);
    select(hit, picture);
}

void ShooterControl::select(SceneObject* object, int picture)
{
    if (selected != nullptr)
        selected->selectedPicture = -1;
    selected = object;
    if (selected != nullptr)
        selected->selectedPicture = picture;
}

const Street* ShooterControl::crossingHere() const
{
    return app != nullptr ? app->nearestStreet(walkerPose.x(), walkerPose.y(), walkerPose.z()) : nullptr;
}

void ShooterControl::placeAt(const WalkerPose& pose)
{
    if (flight.active())
        flight.land();
    walkerPose = pose;
    climbRate = 0.0f;
}
