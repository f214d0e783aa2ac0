// zv-bench LIBRARY [FRAMES]: how long the viewer takes to build the city of
// a library and to draw its frames, walking and from the overview camera.
// Run it from the run directory (the artwork is read from there) with a
// display; prints figures, passes or fails nothing.
#include <GL/freeglut.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/Window.h"
#include "app/Zandervale.h"
#include "city/CityBuilder.h"
#include "controls/ShooterControl.h"
#include "scene/House.h"
#include "textures/Textures.h"

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Draws frames the way the display callback does and reports the mean.
void measureFrames(const char* label, Zandervale& app, int frames)
{
    const double dt = 1.0 / 60.0;
    app.draw(dt);   // warm-up: first use of textures and lists
    glFinish();
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < frames; ++i) {
        app.draw(dt);
        glutSwapBuffers();
    }
    glFinish();
    const double seconds = secondsSince(start);
    std::printf("%-28s %8.2f ms/frame %8.1f fps\n", label, 1000.0 * seconds / frames,
                frames / seconds);
}

int countBoxes(const std::vector<SceneObject*>& objects, int* houses)
{
    int boxes = 0;
    for (SceneObject* object : objects) {
        if (House* house = dynamic_cast<House*>(object)) {
            ++*houses;
            boxes += house->getRecord()->getPictureCount();
        }
    }
    return boxes;
}

} // namespace

int main(int argc, char** argv)
{
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    if (argc < 2 || argc > 3) {
        std::printf("Usage: zv-bench LIBRARY [FRAMES]\n");
        return 2;
    }
    const int frames = argc == 3 ? std::atoi(argv[2]) : 100;
    if (frames <= 0) {
        std::printf("zv-bench: FRAMES must be a positive number\n");
        return 2;
    }
    createWindow();
    initImageLibrary();

    Clock::time_point start = Clock::now();
    std::vector<SceneObject*>* objects = new std::vector<SceneObject*>();
    CityBuilder builder(argv[1]);
    if (!builder.build(objects))
        return 1;
    const double buildSeconds = secondsSince(start);
    int houses = 0;
    const int boxes = countBoxes(*objects, &houses);
    std::printf("library %s\n", argv[1]);
    std::printf("%-28s %8.2f s (%zu objects, %d houses, %d boxes)\n", "load and build", buildSeconds,
                objects->size(), houses, boxes);

    ShooterControl* control = new ShooterControl(glutWalkerWindow());
    Zandervale app;
    app.setScene(objects, control);
    control->init(&app);
    control->mouseLook = false;   // keep the pointer where it is
    measureFrames("walking, at the entrance", app, frames);
    control->keyboard('\t', 0, 0);
    measureFrames("overview, whole city", app, frames);
    return 0;
}
