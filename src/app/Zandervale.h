// Zandervale: the application object, root of the scene and first receiver
// of input. It owns the city, draws each frame, routes events to the
// navigation controller or the gallery, and answers collision queries.
#pragma once

#include <memory>
#include <set>
#include <string>
#include <cstddef>
#include <vector>

#include "app/AppState.h"
#include "app/GlutWalkerWindow.h"
#include "app/IndexerRun.h"
#include "controls/InputControl.h"
#include "controls/WalkerWorld.h"
#include "library/MonthQuarter.h"
#include "scene/DrawingOrder.h"
#include "scene/SceneArtwork.h"
#include "scene/SceneObject.h"
#include "textures/PhotoAtlas.h"
#include "textures/ThumbnailCacheSet.h"

class CityCalendar;
class Gallery;
class LibrarySetup;
class LibraryWatch;
struct City;
class MovementControl;
class ShooterControl;

class Zandervale : public SceneObject, private InputControl, public WalkerWorld {
public:
    Zandervale();
    ~Zandervale() override;
    Zandervale(const Zandervale&) = delete;
    Zandervale& operator=(const Zandervale&) = delete;

    // Opens the window, builds the city and runs the main loop. Returns the
    // exit status: 1 for a library that cannot be read, 0 when Escape stopped
    // the loading or the window was closed.
    int run(const char* libraryPath);
    // The window as a walker made outside run() sees it.
    WalkerWindow& walkerWindow() { return window; }

    void draw(double dt) override;
    void drawForPicking() override;
    bool collides(float fromX, float fromY, float fromZ, float toX, float toY, float toZ,
                  float* outX, float* outY, float* outZ) override;

    // The world the navigation controller walks in.
    bool stepBlocked(float fromX, float fromY, float fromZ, float toX, float toY, float toZ) override;
    void openGallery(MonthQuarter* record, int picture) override;
    SceneObject* pick(int x, int y, int* outSubName) override;
    Street* nearestStreet(float x, float y, float z) override;
    const CityCalendar& calendar() override;

    // The objects to draw, in order, and the controller that moves the view
    // (not owned; null: none). Gives back the objects it held.
    std::vector<std::unique_ptr<SceneObject>> setScene(std::vector<std::unique_ptr<SceneObject>> objects,
                                                       MovementControl* control);
    InputControl* inputControl() { return this; }
    DrawingOrder& drawingOrder() { return order; }
    bool isGalleryActive() const { return galleryActive; }
    // A library without photos: the city frames say how to make one.
    void setLibraryEmpty(bool empty) { libraryEmpty = empty; }
    void setLoading(bool on) { loading = on; }   // the start-up screen, as while run() builds the city

private:
    void stepPhotoLevels();
    void keyboard(unsigned char key, int x, int y) override;
    void keyboardUp(unsigned char key, int x, int y) override;
    void special(int key, int x, int y) override;
    void specialUp(int key, int x, int y) override;
    void mouse(int button, int state, int x, int y) override;
    void motion(int x, int y) override;
    void passiveMotion(int x, int y) override;

    // The receiver of routed events: the gallery while it is active, else
    // the navigation controller (null when neither is there).
    InputControl* routeTarget();
    // A press is remembered as delivered to the current receiver; its
    // release reaches that receiver only if so. A receiver never sees a
    // release whose press went elsewhere (a key held into the gallery and let
    // go there would otherwise step a photo or leave the walker walking).
    void notePress(int input) { delivered.insert(input); }
    bool takeRelease(int input) { return delivered.erase(input) > 0; }
    void switchReceiver(bool toGallery);
    // The window with this application's state, and the image library.
    void openWindow();
    // While the city is built: keeps the window answering and shows how far
    // the library's textures have loaded. False: stop loading.
    bool showLoadProgress(int done, int total);
    // The built city in place of the one shown (none at start).
    void showCity(City built);
    // Each frame: the way from no library to one, the indexer run over the
    // library's folders at start, and the library read again when rewritten.
    void followLibrary();
    void readLibraryAgain(const std::string& path);
    // Keys and clicks of the screen without a library; true when taken.
    bool setupKey(unsigned char key);
    bool setupClick(int button, int buttonState, int x, int y);


    // The atlas the photos lie in, the records the houses point at and the
    // artwork every object draws with; declared before the objects, so they
    // outlive them.
    PhotoAtlas photos;
    std::vector<std::unique_ptr<MonthQuarter>> records;
    std::unique_ptr<SceneArtwork> artwork;
    std::vector<std::unique_ptr<SceneObject>> owned;
    std::vector<SceneObject*> sceneObjects;   // owned's objects, in order
    std::unique_ptr<ShooterControl> walker;
    MovementControl* movementControl;   // the walker, or a test's controller
    std::unique_ptr<Gallery> gallery;   // made on first use
    bool galleryActive;
    std::set<int> delivered;   // presses the current receiver got and has not seen released
    bool loading = false;
    bool stopLoading = false;   // Escape was released while loading
    bool libraryEmpty = false;
    int loadedPictures = 0;
    int totalPictures = 0;
    double progressShownAt = 0.0;    // seconds, when the last progress frame ended
    double progressFrameSeconds = 0.0;   // what that frame cost
    std::unique_ptr<CityCalendar> cityCalendar;   // made on first use
    DrawingOrder order;
    // The library file shown, its bytes as read (a rewrite with the same
    // bytes changes nothing), its watch, the set-up while it holds no
    // photos, and the indexer run over its folders at start.
    std::string libraryPath, libraryBytes;
    std::unique_ptr<LibraryWatch> watch;
    std::unique_ptr<LibrarySetup> setup;
    IndexerRun refresh;
    // The library's thumbnail cache, which may still be writing in the
    // background once the city stands; freeing the set stops and joins it.
    ThumbnailCacheSet thumbnailCaches;
    bool escapeTaken = false;   // the set-up took Escape's press: its release quits nothing
    AppState state;            // what the window's callbacks reach
    GlutWalkerWindow window;   // reads state's size
};
