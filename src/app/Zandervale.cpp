// The application object: start-up, the scene root's frame and picking
// passes, collision over all objects, and the routing of input between the
// navigation controller and the gallery.
#include "app/Zandervale.h"

#define GL_GLEXT_PROTOTYPES 1   // occlusion queries, GL 1.5

#include <GL/freeglut.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

#include "app/AppState.h"
#include "app/FrameRateText.h"
#include "app/Window.h"
#include "city/CityBuilder.h"
#include "controls/CityCalendar.h"
#include "controls/MovementControl.h"
#include "controls/ShooterControl.h"
#include "gallery/Gallery.h"
#include "library/PictureLibrary.h"
#include "scene/House.h"
#include "scene/LightObject.h"
#include "scene/Street.h"
#include "textures/Textures.h"

namespace {

constexpr unsigned char escapeKey = 27;
constexpr int pickBufferSize = 1024;
constexpr double pickRegionPixels = 4.0;
// At most one crossing can be this near to any point: they are 120 apart.
constexpr float certainCrossingDistance = 50.0f;
constexpr double overviewReach = 0.9;

// One number per key or button for matching releases to presses. Shift
// turns a letter's press into a capital but not always its release.
int characterInput(unsigned char key) { return std::tolower(key); }
int specialInput(int key) { return 0x100 + key; }
int buttonInput(int button) { return 0x1000 + button; }

void drawFrameRate()
{
    const int halfWidth = getWindowWidth() / 2;
    const int halfHeight = getWindowHeight() / 2;
    glColor3f(0.8f, 0.8f, 0.8f);
    glRasterPos2i(3 - halfWidth, halfHeight - 13);
    for (char c : frameRateText(getFramesPerSecond()))
        glutBitmapCharacter(GLUT_BITMAP_HELVETICA_12, c);
}

void beginOverlay()
{
    const int halfWidth = getWindowWidth() / 2;
    const int halfHeight = getWindowHeight() / 2;
    switchGl(GlState::blending, GlState::depthTest | GlState::lighting | GlState::texturing);
    useBlendFunction(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(-halfWidth, halfWidth, -halfHeight, halfHeight, 0.0, 100.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void endOverlay()
{
    useDefaultGlState();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    // The modelview stays the identity; the next frame loads the view.
    glMatrixMode(GL_MODELVIEW);
}

// The start-up screen: a bar that fills as the pictures load and their
// count, centred, before anything of the city exists. Expects the overlay.
void drawLoadProgress(int done, int total)
{
    constexpr int barWidth = 400;
    constexpr int barHeight = 16;
    const int filled = total > 0 ? barWidth * done / total : barWidth;
    const int left = -barWidth / 2;
    glColor3f(0.25f, 0.45f, 0.8f);
    glRecti(left, 0, left + filled, barHeight);
    glColor3f(0.8f, 0.8f, 0.8f);
    glBegin(GL_LINE_LOOP);
    glVertex2i(left - 2, -2);
    glVertex2i(left + barWidth + 2, -2);
    glVertex2i(left + barWidth + 2, barHeight + 2);
    glVertex2i(left - 2, barHeight + 2);
    glEnd();
    const std::string text = std::to_string(done) + " / " + std::to_string(total) + " pictures";
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.c_str());
    glRasterPos2i(-glutBitmapLength(GLUT_BITMAP_9_BY_15, bytes) / 2, -24);
    glutBitmapString(GLUT_BITMAP_9_BY_15, bytes);
}

// One line of text centred on the window, over a dark band that keeps it
// readable on any ground. Expects the overlay.
void drawCentredLine(const char* text)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    const int width = glutBitmapLength(GLUT_BITMAP_HELVETICA_18, bytes);
    glColor4f(0.0f, 0.0f, 0.0f, 0.7f);
    glRecti(-width / 2 - 12, -12, width - width / 2 + 12, 24);
    glColor3f(1.0f, 1.0f, 1.0f);
    glRasterPos2i(std::max(-width / 2, 4 - getWindowWidth() / 2), 0);
    glutBitmapString(GLUT_BITMAP_HELVETICA_18, bytes);
}

} // namespace

Zandervale::Zandervale()
    : movementControl(nullptr), sceneObjects(nullptr), galleryActive(false)
{
}

Zandervale::~Zandervale()
{
    if (sceneObjects == nullptr)
        return;
    for (size_t i = 0; i < sceneObjects->size(); ++i)
        delete sceneObjects->at(i);
    delete sceneObjects;
}

void Zandervale::run(const char* libraryPath)
{
    setSceneRoot(this);
    createWindow();
    initImageLibrary();
    cityBuilder = std::make_unique<CityBuilder>(libraryPath);
    sceneObjects = new std::vector<SceneObject*>();
    loading = true;
    // Keys reach the application from the first progress frame: Escape
    // quits while the library loads, other keys wait for the city.
    setCurrentInputControl(this);
    const bool built = cityBuilder->build(sceneObjects, [this](int done, int total) { showLoadProgress(done, total); });
    loading = false;
    if (!built) {
        std::printf("SEVERE ERROR! couldn't create city!");
        std::fflush(stdout);
        std::exit(1);
    }
    libraryEmpty = cityBuilder->libraryEmpty();
    const double farPlane = extendFarPlane(cityBuilder->viewDistance());
    walker = std::make_unique<ShooterControl>(glutWalkerWindow());
    walker->init(this);
    const CityGround& ground = cityBuilder->ground();
    // The highest overview still sees the house tops and the ground inside
    // the far plane.
    walker->setOverviewArea(OverviewArea{ground.minX, ground.maxX, ground.minZ, ground.maxZ},
                            fieldOfViewDegrees, overviewReach * farPlane);
    movementControl = walker.get();
    startMainLoop();
}

void Zandervale::setScene(std::vector<SceneObject*>* objects, MovementControl* control)
{
    sceneObjects = objects;
    movementControl = control;
    cityCalendar.reset();
}

void Zandervale::showLoadProgress(int done, int total)
{
    loadedPictures = done;
    totalPictures = total;
    // Events first: a window that is mapped, moved or uncovered meanwhile
    // gets its frame from the display callback, which draws this same screen.
    glutMainLoopEvent();
    // Under a software GL every frame reads the whole window back first
    // (some 20 ms at 1024 x 768 with llvmpipe): the loading gets nine times
    // the last frame's cost before the next, so the bar slows it by a tenth
    // at most. The full bar is always shown while the city is built.
    const double start = steadySeconds();
    if (done < total && start - progressShownAt < 9.0 * progressFrameSeconds)
        return;
    draw(0.0);
    glutSwapBuffers();
    progressShownAt = steadySeconds();
    progressFrameSeconds = progressShownAt - start;
}

namespace {

std::vector<GLuint> occlusionQueries;   // grown as needed, never released

// Houses past the nearest as their bounds first, each counted by a query,
// then only those whose bounds showed a sample: the bounds hold every box,
// so a house whose bounds hide behind the nearest draws no pixel either.
// The ground is not yet drawn, so it hides nothing here.
void drawUnlessHidden(const std::vector<std::pair<float, SceneObject*>>& houses, double dt)
{
    const size_t count = houses.size();
    if (occlusionQueries.size() < count) {
        const size_t had = occlusionQueries.size();
        occlusionQueries.resize(count);
        glGenQueries(static_cast<GLsizei>(count - had), occlusionQueries.data() + had);
    }
    std::vector<char> standIn(count);
    disableGl(GlState::lighting | GlState::texturing | GlState::colourWrites | GlState::depthWrites);
    for (size_t i = 0; i < count; ++i)
        standIn[i] = static_cast<House*>(houses[i].second)->drawBounds(occlusionQueries[i]);
    enableGl(GlState::lighting | GlState::texturing | GlState::colourWrites | GlState::depthWrites);
    for (size_t i = 0; i < count; ++i) {
        GLuint samples = 1;
        if (standIn[i])
            glGetQueryObjectuiv(occlusionQueries[i], GL_QUERY_RESULT, &samples);
        if (samples > 0)
            houses[i].second->draw(dt);
        else
            static_cast<House*>(houses[i].second)->passHidden(dt);
    }
}

// Unselected houses nearest first and ahead of the ground, so that llvmpipe
// leaves untextured whatever a nearer house hides. The light keeps its first
// place (it sets GL_LIGHT0 where it stands) and a selected house its own,
// its glow blending over what was drawn behind it.
void drawNearestHousesFirst(const std::vector<SceneObject*>& objects, size_t occludingHouses, size_t questionedBoxes,
                            double dt)
{
    GLfloat m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    const float eyeX = -(m[0] * m[12] + m[1] * m[13] + m[2] * m[14]);
    const float eyeZ = -(m[8] * m[12] + m[9] * m[13] + m[10] * m[14]);
    std::vector<std::pair<float, SceneObject*>> houses;
    std::vector<SceneObject*> rest;
    for (SceneObject* object : objects) {
        if (dynamic_cast<LightObject*>(object) != nullptr)
            object->draw(dt);
        else if (dynamic_cast<House*>(object) != nullptr && object->selectedPicture < 0)
            houses.emplace_back((object->x - eyeX) * (object->x - eyeX) + (object->z - eyeZ) * (object->z - eyeZ), object);
        else
            rest.push_back(object);
    }
    std::stable_sort(houses.begin(), houses.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    size_t nearest = std::min(houses.size(), occludingHouses), boxes = 0;
    for (size_t i = nearest; i < houses.size(); ++i)
        boxes += static_cast<House*>(houses[i].second)->getCubes().size();
    nearest = boxes < questionedBoxes ? houses.size() : nearest;
    for (size_t i = 0; i < nearest; ++i)
        houses[i].second->draw(dt);
    houses.erase(houses.begin(), houses.begin() + static_cast<std::ptrdiff_t>(nearest));
    drawUnlessHidden(houses, dt);
    for (SceneObject* object : rest)
        object->draw(dt);
}

}  // namespace

void Zandervale::draw(double dt)
{
    if (loading) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        beginOverlay();
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
    if (sceneObjects != nullptr)
        drawNearestHousesFirst(*sceneObjects, occludingHouses, questionedBoxes, dt);
    beginOverlay();
    if (movementControl != nullptr)
        movementControl->drawOverlay(dt);
    if (libraryEmpty)
        drawCentredLine("This library holds no photos. Make one with: zandervale-index PHOTO_DIR");
    drawFrameRate();
    endOverlay();
}

void Zandervale::drawForPicking()
{
    if (movementControl != nullptr)
        movementControl->applyView();
    if (sceneObjects == nullptr)
        return;
    for (size_t i = 0; i < sceneObjects->size(); ++i)
        sceneObjects->at(i)->drawForPicking();
}

bool Zandervale::collides(float fromX, float fromY, float fromZ, float toX, float toY, float toZ,
                          float* outX, float* outY, float* outZ)
{
    if (sceneObjects == nullptr)
        return false;
    for (size_t i = 0; i < sceneObjects->size(); ++i) {
        if (sceneObjects->at(i)->collides(fromX, fromY, fromZ, toX, toY, toZ, outX, outY, outZ)) {
            // Whatever the object wrote, the walker goes back to where it was.
            *outX = fromX;
            *outY = fromY;
            *outZ = fromZ;
            return true;
        }
    }
    return false;
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
    GLuint buffer[pickBufferSize];
    glSelectBuffer(pickBufferSize, buffer);
    glRenderMode(GL_SELECT);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    // GLUT's y grows downward; the pick region's grows upward.
    gluPickMatrix(x, viewport[3] - y, pickRegionPixels, pickRegionPixels, viewport);
    applyPerspective(getWindowWidth(), getWindowHeight());
    glMatrixMode(GL_MODELVIEW);
    glInitNames();
    drawForPicking();
    const GLint hits = glRenderMode(GL_RENDER);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glFlush();

    *outSubName = -1;
    if (hits <= 0)   // negative: the buffer overflowed
        return nullptr;
    GLuint nearest = std::numeric_limits<GLuint>::max();
    int chosen = -1;
    GLint at = 0;
    for (GLint hit = 0; hit < hits && at + 3 <= pickBufferSize; ++hit) {
        const GLuint names = buffer[at];
        const GLuint minDepth = buffer[at + 1];
        // A record without names has no first name to take; reading one
        // would take the next record's count instead.
        if (names > 0 && at + 3 + static_cast<GLint>(names) <= pickBufferSize && minDepth < nearest) {
            nearest = minDepth;
            chosen = static_cast<int>(buffer[at + 3]);
            if (names > 1)
                *outSubName = static_cast<int>(buffer[at + 4]);
        }
        at += 3 + static_cast<GLint>(names);
    }
    if (sceneObjects == nullptr || chosen == SceneObject::noPickName)
        return nullptr;
    for (size_t i = 0; i < sceneObjects->size(); ++i) {
        if (sceneObjects->at(i)->pickName == chosen)
            return sceneObjects->at(i);
    }
    return nullptr;
}

Street* Zandervale::nearestStreet(float x, float y, float z)
{
    float best = 99999.9f;
    Street* result = nullptr;
    if (sceneObjects == nullptr)
        return nullptr;
    for (size_t i = 0; i < sceneObjects->size(); ++i) {
        Street* street = dynamic_cast<Street*>(sceneObjects->at(i));
        if (street == nullptr || street->kind != Street::crossing)
            continue;
        const float d = static_cast<float>(street->distanceTo(x, y, z));
        if (d < certainCrossingDistance)
            return street;
        if (d < best) {
            best = d;
            result = street;
        }
    }
    return result;
}

const CityCalendar& Zandervale::calendar()
{
    // The city is built once, before the first key can ask.
    if (cityCalendar == nullptr) {
        static const std::vector<SceneObject*> none;
        cityCalendar = std::make_unique<CityCalendar>(
            calendarOf(sceneObjects != nullptr ? *sceneObjects : none));
    }
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
        if (galleryActive) {
            glutWarpPointer(getWindowWidth() / 2, getWindowHeight() / 2);
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
        toggleFullScreen();
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
