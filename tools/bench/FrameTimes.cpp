// Frame times at the walker's three poses, beside the same frames drawn
// by a plain loop that binds and draws every box on its own.
#include <GL/freeglut.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "BenchCity.h"
#include "Benchmarks.h"
#include "scene/Cube.h"
#include "scene/House.h"
#include "scene/UnitBox.h"
#include "textures/Textures.h"

namespace bench {

constexpr int rounds = 6;   // optimised and plain frames alternate in rounds

// A house drawn the plain way: one bind and one list call per box, seen or
// not, at full size.
class PlainHouse : public SceneObject {
public:
    explicit PlainHouse(const House* house) : house(house) {}
    void draw(double) override
    {
        glPushMatrix();
        glTranslatef(house->x, 0.0f, house->z);
        for (const auto& cube : house->getCubes()) {
            glPushMatrix();
            cube->bindPhoto();
            glRotatef(cube->rotationY, 0.0f, 1.0f, 0.0f);
            glTranslatef(cube->x, cube->y, cube->z);
            glScalef(cube->scale, cube->scale, cube->scale);
            cube->unitBox().draw();
            unbindPhoto();
            glPopMatrix();
        }
        glPopMatrix();
    }

private:
    const House* house;
};

// Another list's object, drawn as it is.
struct Borrowed : SceneObject {
    explicit Borrowed(SceneObject* object) : object(object) {}
    void draw(double dt) override { object->draw(dt); }
    SceneObject* object;
};

// One library in a fresh process (the viewer keeps its records until it
// ends): builds the city, grows it and prints one line per pose to out.
int measureLibrary(const std::string& library, int frames, FILE* out)
{
    BenchCity city(library);   // the window first, then the clock
    const Clock::time_point start = Clock::now();
    if (!city.build())
        return 1;
    const double buildSeconds = secondsSince(start);
    Zandervale& app = city.app;
    ShooterControl* control = city.control.get();
    std::vector<std::unique_ptr<SceneObject>> plain;
    int houses = 0, boxes = 0;
    for (SceneObject* object : city.objects) {
        House* house = dynamic_cast<House*>(object);
        plain.emplace_back(house ? static_cast<SceneObject*>(new PlainHouse(house)) : new Borrowed(object));
        houses += house ? 1 : 0;
        boxes += house ? static_cast<int>(house->getCubes().size()) : 0;
    }
    // Two long frames grow every house to its full size.
    app.draw(100.0);
    app.draw(100.0);
    for (const Pose& pose : poses) {
        city.place(pose);
        Times fast, slow;
        app.draw(0.0);   // the houses that come into view build their lists
        glFinish();
        for (int r = 0; r < rounds; ++r) {
            timeFrames(app, frames / rounds + 1, &fast);
            plain = app.setScene(std::move(plain), control);   // and back after
            timeFrames(app, frames / rounds + 1, &slow);
            plain = app.setScene(std::move(plain), control);
        }
        std::fprintf(out, "%d %d %.2f %s %.2f %.2f %.2f %.2f %.2f %.2f\n", houses, boxes, buildSeconds,
                     pose.name, fast.median(), fast.p95(), fast.cpuMedian(), slow.median(), slow.p95(),
                     slow.cpuMedian());
    }
    return 0;
}

bool runChild(const std::string& library, int pictures, int frames, std::vector<Row>* rows)
{
    return runInChild([&](FILE* out) { return measureLibrary(library, frames, out); },
                      [&](FILE* in) {
                          Row row{};
                          while (std::fscanf(in, "%d %d %lf %15s %lf %lf %lf %lf %lf %lf", &row.houses,
                                             &row.boxes, &row.buildSeconds, row.pose, &row.median, &row.p95,
                                             &row.cpu, &row.plainMedian, &row.plainP95, &row.plainCpu) == 10) {
                              row.pictures = pictures;
                              rows->push_back(row);
                          }
                          return true;
                      });
}

void printTable(const std::vector<Row>& rows)
{
    std::printf("\n%8s %6s %8s %-9s %9s %8s %8s %9s %9s %9s %7s %6s\n", "pictures", "houses",
                "build s", "pose", "median ms", "p95 ms", "cpu ms", "plain med", "plain p95",
                "plain cpu", "speedup", "fps");
    for (const Row& r : rows)
        std::printf("%8d %6d %8.2f %-9s %9.2f %8.2f %8.2f %9.2f %9.2f %9.2f %6.1fx %6.1f\n",
                    r.pictures, r.houses, r.buildSeconds, r.pose, r.median, r.p95, r.cpu,
                    r.plainMedian, r.plainP95, r.plainCpu, r.plainMedian / r.median,
                    1000.0 / r.median);
    std::printf("(ms: from one buffer swap to the next; cpu: CPU time of all threads, a frame's cost on an\n"
                " idle machine lies between half of it and all of it; speedup and fps from the medians)\n");
}

bool writeJson(const std::string& path, const std::vector<Row>& rows)
{
    FILE* file = std::fopen(path.c_str(), "w");
    if (file == nullptr)
        return false;
    std::fprintf(file, "[\n");
    for (size_t i = 0; i < rows.size(); ++i) {
        const Row& r = rows[i];
        std::fprintf(file,
                     "  {\"pictures\": %d, \"houses\": %d, \"boxes\": %d, \"build_seconds\": %.2f, "
                     "\"pose\": \"%s\", \"median_ms\": %.2f, \"p95_ms\": %.2f, \"cpu_ms\": %.2f, "
                     "\"plain_median_ms\": %.2f, \"plain_p95_ms\": %.2f, \"plain_cpu_ms\": %.2f}%s\n",
                     r.pictures, r.houses, r.boxes, r.buildSeconds, r.pose, r.median, r.p95, r.cpu,
                     r.plainMedian, r.plainP95, r.plainCpu, i + 1 < rows.size() ? "," : "");
    }
    std::fprintf(file, "]\n");
    return std::fclose(file) == 0;
}

}  // namespace bench
