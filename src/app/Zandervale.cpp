// The application object: start-up, the scene root's frame and picking
// passes, collision over all objects, and the routing of input between the
// navigation controller and the gallery. Picking is in Picking.cpp, the
// overlay's drawing in Overlay.cpp.
#include "app/Zandervale.h"

#include <GL/freeglut.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <tuple>

#include "app/LibrarySetup.h"
#include "app/Overlay.h"
#include "app/Picking.h"
#include "app/Window.h"
#include "city/City.h"
#include "city/CityBuilder.h"
#include "controls/CityCalendar.h"
#include "controls/MovementControl.h"
#include "controls/ShooterControl.h"
#include "gallery/Gallery.h"
#include "library/FilePaths.h"
#include "library/LibraryWatch.h"
#include "library/LibraryWriter.h"
#include "library/PictureLibrary.h"
#include "scene/House.h"
#include "scene/Street.h"
#include "scene/ViewVolume.h"
#include "textures/Textures.h"

namespace {

constexpr double overviewReach = 0.9;

// One number per key or button for matching releases to presses. Shift
// turns a letter's press into a capital but not always its release.
int characterInput(unsigned char key) { return std::tolower(key); }
int specialInput(int key) { return 0x100 + key; }
int buttonInput(int button) { return 0x1000 + button; }

constexpr double growthNoteSeconds = 4.0;

std::string fileText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

using QuarterKey = std::tuple<int, int, int>;
QuarterKey keyOf(const MonthQuarter& record)
{
    return {record.getYear(), record.getMonth(), record.getQuarter()};
}

// "12 new photos", "1 photo gone".
std::string photosLine(long count, bool added)
{
    const std::string photos = count == 1 ? "photo" : "photos";
    return std::to_string(count) + (added ? " new " + photos : " " + photos + " gone");
}

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

int Zandervale::run(const char* path)
{
    openWindow();
    loading = true;
    // Keys reach the application from the first progress frame: Escape
    // stops the loading, other keys wait for the city.
    state.inputControl = this;
    libraryPath = path;
    libraryBytes = fileText(libraryPath);
    std::srand(1);   // the same library makes the same city, read again or not
    City built;
    const bool read = CityBuilder(path, photos, thumbnailCaches).build(&built, [this](int done, int total) { return showLoadProgress(done, total); });
    loading = false;
    if (!read)   // stopped, or the loader said why
        return stopLoading ? 0 : 1;
    walker = std::make_unique<ShooterControl>(window);
    walker->init(this);
    movementControl = walker.get();
    showCity(std::move(built));
    if (libraryEmpty) {
        // Nothing to show: lead the way to a library of the person's photos.
        const std::string folder = defaultLibraryFolder();
        setup = std::make_unique<LibrarySetup>(indexerProgram(), folder);
        watch = std::make_unique<LibraryWatch>(folder + "/" + libraryFileName);
    } else {
        watch = std::make_unique<LibraryWatch>(libraryPath);
        // New photos arrive by themselves: the folders the library was made
        // from are indexed again in the background.
        const std::string folder = folderOf(libraryPath);
        if (isRegularFile(folder + "/Zandervale.folders"))
            refresh.start(indexerProgram(), {"--output", folder});
    }
    startMainLoop(state);
    return 0;   // the window was closed
}

void Zandervale::showCity(City built)
{
    // The objects go first: they point at the records and the artwork.
    setScene(std::move(built.objects), movementControl).clear();
    std::vector<TextureName> photos;
    for (const std::unique_ptr<MonthQuarter>& record : records)
        photos.insert(photos.end(), record->getTextures().begin(), record->getTextures().end());
    records = std::move(built.records);
    artwork = std::move(built.artwork);
    this->photos.release(photos);
    libraryEmpty = built.libraryEmpty;
    const double farPlane = extendFarPlane(state, built.viewDistance);
    const CityGround& ground = built.ground;
    // The highest overview still sees the house tops and the ground inside
    // the far plane.
    if (walker != nullptr)
        walker->setOverviewArea(OverviewArea{ground.minX, ground.maxX, ground.minZ, ground.maxZ},
                                fieldOfViewDegrees, overviewReach * farPlane);
}

void Zandervale::followLibrary()
{
    if (setup != nullptr)
        setup->update();
    refresh.poll();
    if (watch != nullptr && watch->rewritten())
        readLibraryAgain(watch->libraryPath());
}

// The new city in place of the old: houses that stood before with the same
// photos stand grown, new and changed ones grow; the walker stays where it
// is, and the selection with it where its house is still there.
void Zandervale::readLibraryAgain(const std::string& path)
{
    const std::string bytes = fileText(path);
    if (path == libraryPath && bytes == libraryBytes)
        return;   // written again as it was
    std::map<QuarterKey, std::vector<std::string>> stood;
    long photosBefore = 0;
    for (const std::unique_ptr<MonthQuarter>& record : records) {
        stood[keyOf(*record)] = record->getOriginals();
        photosBefore += record->getPictureCount();
    }
    const House* selectedHouse = walker != nullptr ? dynamic_cast<const House*>(walker->selection()) : nullptr;
    const QuarterKey selectedKey = selectedHouse != nullptr ? keyOf(*selectedHouse->getRecord()) : QuarterKey{};
    const int selectedPicture = selectedHouse != nullptr ? selectedHouse->selectedPicture : -1;
    std::srand(1);
    City built;
    if (!CityBuilder(path.c_str(), photos, thumbnailCaches).build(&built))
        return;   // the loader said why; the city stays as it was
    if (walker != nullptr)
        walker->select(nullptr, -1);
    showCity(std::move(built));
    libraryPath = path;
    libraryBytes = bytes;
    long photosAfter = 0;
    for (SceneObject* object : sceneObjects) {
        House* house = dynamic_cast<House*>(object);
        if (house == nullptr)
            continue;
        const MonthQuarter& record = *house->getRecord();
        photosAfter += record.getPictureCount();
        const auto was = stood.find(keyOf(record));
        if (was != stood.end() && was->second == record.getOriginals())
            house->standGrown();
        if (selectedHouse != nullptr && keyOf(record) == selectedKey && walker != nullptr) {
            walker->select(house, std::min(selectedPicture, record.getPictureCount() - 1));
        }
    }
    if (!libraryEmpty)
        setup.reset();
    if (walker != nullptr && photosAfter != photosBefore) {
        walker->showNote(photosAfter > photosBefore ? photosLine(photosAfter - photosBefore, true)
                                                    : photosLine(photosBefore - photosAfter, false),
                         growthNoteSeconds);
    }
}

bool Zandervale::setupKey(unsigned char key)
{
    if (setup == nullptr || galleryActive)
        return false;
    if (setup->keyboard(key)) {
        escapeTaken = key == escapeKey;
        return true;
    }
    if ((key == 'c' || key == 'C') && setup->offered()) {
        setup->choose();
        return true;
    }
    return false;
}

bool Zandervale::setupClick(int button, int buttonState, int x, int y)
{
    if (setup == nullptr || galleryActive || !setup->offered() || button != GLUT_LEFT_BUTTON || buttonState != GLUT_DOWN)
        return false;
    // GLUT's y grows downward; the overlay's upward from the centre.
    if (!setupButton().holds(x - state.windowWidth / 2, state.windowHeight / 2 - y))
        return false;
    setup->choose();
    return true;
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
    order.sceneChanged();
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
    followLibrary();
    if (movementControl != nullptr)
        movementControl->beginFrame(dt);
    stepPhotoLevels();
    order.draw(sceneObjects, dt);
    beginOverlay(state);
    if (movementControl != nullptr)
        movementControl->drawOverlay(dt);
    if (setup != nullptr)
        drawSetupScreen(setup->lines(), setup->offered(), setup->progress());
    else if (libraryEmpty)
        drawCentredLine("This library holds no photos. Make one with: zandervale-index PHOTO_DIR", state.windowWidth);
    drawFrameRate(state);
    endOverlay();
}

// Before any house bakes a cell this frame: full levels the eye has left
// are given back, and a few of those read meanwhile placed, so that a walk
// never waits for them.
void Zandervale::stepPhotoLevels()
{
    constexpr int fullLevelsPerFrame = 48;
    GLfloat view[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, view);
    float eye[3];
    eyeOf(view, eye);
    photos.stepLevels(eye, fullLevelsPerFrame);
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
        gallery = std::make_unique<Gallery>(photos);
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
    if (setupKey(key))
        return;
    InputControl* target = routeTarget();
    if (target == nullptr)
        return;
    notePress(characterInput(key));
    target->keyboard(key, x, y);
}

void Zandervale::keyboardUp(unsigned char key, int x, int y)
{
    if (key == escapeKey) {
        if (escapeTaken) {   // its press left the typed path
            escapeTaken = false;
            return;
        }
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
        // exit runs no destructor of the application: a cache still being
        // written is stopped here, and its unfinished file removed.
        thumbnailCaches = ThumbnailCacheSet();
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
    if (setupClick(button, state, x, y))
        return;
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
