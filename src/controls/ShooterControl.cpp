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
#include "scene/Angles.h"
#include "scene/House.h"
#include "scene/SceneObject.h"
#include "textures/Textures.h"

namespace {

constexpr float walkSpeedStep = 5.0f;
constexpr double turnDegreesPerSecond = 45.0;
constexpr double mouseDegreesPerPixel = 0.6;
constexpr float mousePitchLimit = 80.0f;
constexpr double riseGravities = 10.0;
constexpr double fallGravities = 5.0;
constexpr float maxRiseSpeed = 110.0f;
constexpr float maxFallSpeed = -220.0f;
// A slow frame moves the walker in steps no longer than this, each tested
// for collision, so it never passes through a house; a longer stall (a
// debugger, a suspended laptop) counts as one second.
constexpr double maxStepSeconds = 1.0 / 30.0;
constexpr double maxFrameSeconds = 1.0;

constexpr unsigned char tabKey = 9;
constexpr unsigned char enterKey = 13;
constexpr int leftButton = 0;
constexpr int rightButton = 2;
constexpr int buttonDown = 0;
constexpr int buttonUp = 1;

// Movement keys set an axis while held; any release of the axis' keys
// clears it, so the last key pressed wins and either release stops.
struct AxisKey {
    int key;
    std::int16_t ShooterControl::*axis;
    std::int16_t value;
};

const AxisKey characterAxes[] = {
    {'A', &ShooterControl::strafe, -1},  {'a', &ShooterControl::strafe, -1},
    {'D', &ShooterControl::strafe, +1},  {'d', &ShooterControl::strafe, +1},
    {'S', &ShooterControl::forward, -1}, {'s', &ShooterControl::forward, -1},
    {'W', &ShooterControl::forward, +1}, {'w', &ShooterControl::forward, +1},
};

const AxisKey specialAxes[] = {
    {GLUT_KEY_LEFT, &ShooterControl::turn, -1},
    {GLUT_KEY_UP, &ShooterControl::tilt, +1},
    {GLUT_KEY_RIGHT, &ShooterControl::turn, +1},
    {GLUT_KEY_DOWN, &ShooterControl::tilt, -1},
};

// Keys that are true while held.
struct HeldKey {
    int key;
    bool ShooterControl::*flag;
};

const HeldKey heldCharacters[] = {
    {' ', &ShooterControl::rising},
    {'Q', &ShooterControl::fast},
    {'q', &ShooterControl::fast},
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

ShooterControl::ShooterControl(WalkerWindow& window) : ShooterControl(window, 0, 0, 0)
{
    compassTexture = loadTexture("compass.png");
    helpTexture = loadTexture("help512x512_01.png");
    panelTexture = loadTexture("selOverlay256x256.png");
}

ShooterControl::ShooterControl(WalkerWindow& window, TextureName compass, TextureName help,
                               TextureName panel)
    : translation{75.0f, eyeLevel, -40.0f}, pitch(0.0f), yaw(90.0f),
      strafe(0), forward(0), turn(0), tilt(0), rising(false), verticalSpeed(0.0f),
      gravity(9.81f), app(nullptr), panelTexture(panel), compassTexture(compass),
      helpTexture(help), overviewTranslation{-700.0f, -1000.0f, -500.0f},
      overviewPitch(90.0f), overviewYaw(0.0f), selected(nullptr), collisionOn(true),
      lightOn(true), mouseLook(false), overview(false), helpShown(false), fast(false),
      aiming(false), window(window), centredWidth(window.width()), centredHeight(window.height())
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
        this->*(axis->axis) = axis->value;
        return;
    }
    if (const HeldKey* held = findHeld(key)) {
        this->*(held->flag) = true;
        return;
    }
    switch (key) {
    case tabKey: case 'M': case 'm': toggleOverview(); break;
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
        this->*(axis->axis) = 0;
    else if (const HeldKey* held = findHeld(key))
        this->*(held->flag) = false;
}

void ShooterControl::special(int key, int, int)
{
    if (playsNoPart(key))
        return;
    finishFlight();
    if (prompt.isOpen() || timeSpecial(key))
        return;
    if (const AxisKey* axis = findAxis(specialAxes, key)) {
        this->*(axis->axis) = axis->value;
        return;
    }
    switch (key) {
    case GLUT_KEY_F1: helpShown = !helpShown; break;
    case GLUT_KEY_F2: collisionOn = !collisionOn; break;
    case GLUT_KEY_F4: toggleMouseLook(); break;
    default: break;
    }
}

void ShooterControl::specialUp(int key, int, int)
{
    if (const AxisKey* axis = findAxis(specialAxes, key))
        this->*(axis->axis) = 0;
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
        select(x, y);
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
    pitch += (y - window.height() / 2) * mouseDegreesPerPixel;
    yaw += (x - window.width() / 2) * mouseDegreesPerPixel;
    if (pitch > mousePitchLimit)
        pitch = mousePitchLimit;
    else if (pitch < -mousePitchLimit)
        pitch = -mousePitchLimit;
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
    // Walking follows the heading the frame began with, before its turn.
    const double yawRad = yaw / 180.0 * walkerPi;
    pitch = static_cast<float>(pitch - turnDegreesPerSecond * tilt * dt);
    yaw = static_cast<float>(yaw + turnDegreesPerSecond * turn * dt);

    accelerate(dt);

    // The translation is the eye negated: rising makes y smaller.
    float nx = translation.x;
    float ny = static_cast<float>(translation.y - dt * verticalSpeed);
    float nz = translation.z;
    if (ny > eyeLevel) {
        ny = eyeLevel;
        verticalSpeed = 0.0f;
    }

    const double v = fast ? fastSpeed : walkSpeed;
    const double side = strafe > 0 ? 1.0 : -1.0;
    const double ahead = forward > 0 ? 1.0 : -1.0;
    if (strafe != 0) {
        nx -= side * std::cos(yawRad) * v * dt;
        nz -= side * std::sin(yawRad) * v * dt;
    }
    if (forward != 0) {
        nx -= ahead * std::sin(yawRad) * v * dt;
        nz += ahead * std::cos(yawRad) * v * dt;
    }

    const bool blocked = collisionOn && app != nullptr &&
                         app->stepBlocked(-translation.x, -translation.y, -translation.z, -nx, -ny, -nz);
    if (!blocked)
        translation = {nx, ny, nz};
}

void ShooterControl::accelerate(double dt)
{
    // The space bar lifts like a jet; gravity brings the walker back down.
    if (rising) {
        verticalSpeed = static_cast<float>(verticalSpeed + riseGravities * gravity * dt);
        if (verticalSpeed > maxRiseSpeed)
            verticalSpeed = maxRiseSpeed;
    } else {
        verticalSpeed = static_cast<float>(verticalSpeed - fallGravities * gravity * dt);
        if (verticalSpeed < maxFallSpeed)
            verticalSpeed = maxFallSpeed;
    }
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
    if (strafe > 0)
        overviewTranslation.x -= step;
    else if (strafe < 0)
        overviewTranslation.x += step;
    if (forward > 0)
        overviewTranslation.z += step;
    else if (forward < 0)
        overviewTranslation.z -= step;
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
    const OverviewEye eye = frameOverview(overviewArea, lens, -translation.x, -translation.z);
    overviewTranslation = {-eye.x, -eye.y, -eye.z};
    // Straight down, north up: the framing assumes this view.
    overviewPitch = 90.0f;
    overviewYaw = 0.0f;
}

bool ShooterControl::closePanel()
{
    if (!helpShown)
        return false;
    helpShown = false;
    return true;
}

void ShooterControl::toggleOverview()
{
    overview = !overview;
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

void ShooterControl::toggleMouseLook()
{
    setMouseLook(!mouseLook);
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
    strafe = forward = turn = tilt = 0;
    rising = fast = false;
    if (aiming) {
        aiming = false;
        setMouseLook(true);
    }
}

void ShooterControl::select(int x, int y)
{
    if (app == nullptr)
        return;
    // Walking with mouse look, the crosshair at the centre is the aim; in
    // the overview it is the pointer the user sees.
    const bool atCrosshair = mouseLook && !overview;
    const int pickX = atCrosshair ? window.width() / 2 : x;
    const int pickY = atCrosshair ? window.height() / 2 : y;
    int subName = -1;
    SceneObject* hit = app->pick(pickX, pickY, &subName);
    if (selected != nullptr) {
        selected->selectedPicture = -1;
        selected = nullptr;
    }
    if (hit != nullptr) {
        selected = hit;
        selected->selectedPicture = subName;
    }
}
