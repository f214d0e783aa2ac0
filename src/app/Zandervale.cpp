// The application object: start-up, the scene root's frame and picking
// passes, collision over all objects, and the routing of input between the
// navigation controller and the gallery. Picking is in Picking.cpp, the
// overlay's drawing in Overlay.cpp.
#include "app/Zandervale.h"

#include <GL/freeglut.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "app/Overlay.h"
#include "app/Picking.h"
#include "app/Window.h"
#include "city/CityBuilder.h"
#include "controls/CityCalendar.h"
#include "controls/MovementControl.h"
#include "controls/ShooterControl.h"
#include "gallery/Gallery.h"
#include "library/PictureLibrary.h"
#include "scene/House.h"
#include "scene/Street.h"
#include "textures/Textures.h"

namespace {

constexpr unsigned char escapeKey = 27;
constexpr double overviewReach = 0.9;

// One number per key or button for matching releases to presses. Shift
// turns a letter's press into a capital but not always its release.
int characterInput(unsigned char key) { return std::tolower(key); }
int specialInput(int key) { return 0x100 + key; }
int buttonInput(int button) { return 0x1000 + button; }

} // namespace

Zandervale::Zandervale()
    : movementControl(nullptr), galleryActive(false), window(state)
{
    state.sceneRoot = this;
}

Zandervale::~Zandervale() = default;

void Zandervale::openWindow()
{
    createWindow(state);
    initImageLibrary();
}

int Zandervale::run(const char* libraryPath)
{
    openWindow();
    loading = true;
    // Keys reach the application from the first progress frame: Escape
    // stops the loading, other keys wait for the city.
    state.inputControl = this;
    City built;
    const bool read = CityBuilder(libraryPath).build(&built, [this](int done, int total) { return showLoadProgress(done, total); });
    loading = false;
    if (!read)   // stopped, or the loader said why
        return stopLoading ? 0 : 1;
    records = std::move(built.records);
    artwork = std::move(built.artwork);
    setScene(std::move(built.objects), nullptr);
    libraryEmpty = built.libraryEmpty;
    const double farPlane = extendFarPlane(state, built.viewDistance);
    walker = std::make_unique<ShooterControl>(window);
    walker->init(this);
    const CityGround& ground = built.ground;
    // The highest overview still sees the house tops and the ground inside
    // the far plane.
    walker->setOverviewArea(OverviewArea{ground.minX, ground.maxX, ground.minZ, ground.maxZ},
                            fieldOfViewDegrees, overviewReach * farPlane);
    movementControl = walker.get();
    startMainLoop(state);
    return 0;   // the window was closed
}

std::vector<std::unique_ptr<SceneObject>> Zandervale::setScene(std::vector<std::unique_ptr<SceneObject>> objects,
                                                               MovementControl* control)
{
    std::swap(owned, objects);
    sceneObjects.clear();
    for (const std::unique_ptr<SceneObject>& object : owned)
        sceneObjects.push_back(object.get());
    movementControl = control;
    cityCalendar.reset();
    return objects;
}

bool Zandervale::showLoadProgress(int done, int total)
{
    loadedPictures = done;
    totalPictures = total;
    // Events first: a window that is mapped, moved or uncovered meanwhile
    // gets its frame from the display callback, which draws this same
    // screen; Escape only asks for the stop. A closed window stops it too.
    glutMainLoopEvent();
    if (stopLoading || glutGetWindow() == 0)
        return false;
    // Under a software GL every frame reads the whole window back first
    // (some 20 ms at 1024 x 768 with llvmpipe): the loading gets nine times
    // the last frame's cost before the next, so the bar slows it by a tenth
    // at most. The full bar is always shown while the city is built.
    const double start = steadySeconds();
    if (done < total && start - progressShownAt < 9.0 * progressFrameSeconds)
        return true;
    draw(0.0);
    glutSwapBuffers();
    progressShownAt = steadySeconds();
    progressFrameSeconds = progressShownAt - start;
    return true;
}

void Zandervale::draw(double dt)
{
    if (loading) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        beginOverlay(state);
        drawLoadProgress(loadedPictures, totalPictures);
        endOverlay();
        return;
    }
    if (galleryActive) {
        gallery->draw(dt);   // the whole screen; nothing of the city shows
        return;
    }
    if (movementControl != nullptr)
        movementControl->beginFrame(dt);
    order.draw(sceneObjects, dt);
    beginOverlay(state);
    if (movementControl != nullptr)
        movementControl->drawOverlay(dt);
    if (libraryEmpty)
        drawCentredLine("This library holds no photos. Make one with: zandervale-index PHOTO_DIR", state.windowWidth);
    drawFrameRate(state);
    endOverlay();
}

void Zandervale::drawForPicking()
{
    if (movementControl != nullptr)
        movementControl->applyView();
    for (SceneObject* object : sceneObjects)
        object->drawForPicking();
}

bool Zandervale::collides(float fromX, float fromY, float fromZ, float toX, float toY, float toZ,
                          float* outX, float* outY, float* outZ)
{
    for (SceneObject* object : sceneObjects) {
        if (object->collides(fromX, fromY, fromZ, toX, toY, toZ, outX, outY, outZ)) {
            // Whatever the object wrote, the walker goes back to where it was.
            *outX = fromX;
            *outY = fromY;
            *outZ = fromZ;
            return true;
        }
    }
    return false;
}

bool Zandervale::stepBlocked(float fromX, float fromY, float fromZ, float toX, float toY, float toZ)
{
    float out[3];
    return collides(fromX, fromY, fromZ, toX, toY, toZ, &out[0], &out[1], &out[2]);
}

void Zandervale::openGallery(MonthQuarter* record, int picture)
{
    if (gallery == nullptr)
        gallery = std::make_unique<Gallery>();
    switchReceiver(true);
    gallery->load(record, picture);
}

void Zandervale::switchReceiver(bool toGallery)
{
    galleryActive = toGallery;
    delivered.clear();
}

SceneObject* Zandervale::pick(int x, int y, int* outSubName)
{
    return pickAt(sceneObjects, state, x, y, outSubName, [this] { drawForPicking(); });
}

Street* Zandervale::nearestStreet(float x, float y, float z)
{
    return nearestCrossing(sceneObjects, x, y, z);
}

const CityCalendar& Zandervale::calendar()
{
    // The city is built once, before the first key can ask.
    if (cityCalendar == nullptr)
        cityCalendar = std::make_unique<CityCalendar>(calendarOf(sceneObjects));
    return *cityCalendar;
}

InputControl* Zandervale::routeTarget()
{
    if (galleryActive)
        return gallery.get();
    return movementControl;
}

void Zandervale::keyboard(unsigned char key, int x, int y)
{
    InputControl* target = routeTarget();
    if (target == nullptr)
        return;
    notePress(characterInput(key));
    target->keyboard(key, x, y);
}

void Zandervale::keyboardUp(unsigned char key, int x, int y)
{
    if (key == escapeKey) {
        if (loading) {
            stopLoading = true;
            return;
        }
        if (galleryActive) {
            glutWarpPointer(state.windowWidth / 2, state.windowHeight / 2);
            switchReceiver(false);
            return;
        }
        // The controller's date prompt takes Escape: it closes the prompt.
        if (movementControl != nullptr && movementControl->holdsEscape()) {
            movementControl->keyboardUp(key, x, y);
            return;
        }
        // One press closes what covers the city; quitting takes another.
        if (movementControl != nullptr && movementControl->closePanel())
            return;
        std::fflush(stdout);
        std::exit(0);
    }
    InputControl* target = routeTarget();
    if (target != nullptr && takeRelease(characterInput(key)))
        target->keyboardUp(key, x, y);
}

void Zandervale::special(int key, int x, int y)
{
    InputControl* target = routeTarget();
    if (target == nullptr)
        return;
    notePress(specialInput(key));
    target->special(key, x, y);
}

void Zandervale::specialUp(int key, int x, int y)
{
    if (key == GLUT_KEY_F5) {
        toggleFullScreen(state);
        return;
    }
    InputControl* target = routeTarget();
    if (target != nullptr && takeRelease(specialInput(key)))
        target->specialUp(key, x, y);
}

void Zandervale::mouse(int button, int state, int x, int y)
{
    InputControl* target = routeTarget();
    if (target == nullptr)
        return;
    if (state == GLUT_DOWN)
        notePress(buttonInput(button));
    else if (!takeRelease(buttonInput(button)))
        return;
    target->mouse(button, state, x, y);
}

void Zandervale::motion(int x, int y)
{
    if (InputControl* target = routeTarget())
        target->motion(x, y);
}

void Zandervale::passiveMotion(int x, int y)
{
    if (InputControl* target = routeTarget())
        target->passiveMotion(x, y);
}
