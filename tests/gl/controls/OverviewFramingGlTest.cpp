// The overview camera over cities of 2, 13 and 60 year rows, in windows of
// three shapes: coloured marks at the four corners of the city's ground,
// drawn from above and read back, must all show, and the city must fill
// the view rather than a corner of it.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/Window.h"
#include "city/CityPlan.h"
#include "controls/ShooterControl.h"
#include "support/WalkerFakes.h"
#include "support/WindowSize.h"

namespace {

struct Mark {
    float x, z;
    GLubyte r, g, b;
};

// Where each mark's pixels lie on the screen (origin bottom-left).
struct Seen {
    int left = 1 << 20, right = -1, bottom = 1 << 20, top = -1;
    bool any() const { return right >= 0; }
    void add(int x, int y) { left = std::min(left, x), right = std::max(right, x), bottom = std::min(bottom, y), top = std::max(top, y); }
};

std::vector<Seen> drawAndFind(const std::vector<Mark>& marks, int width, int height)
{
    constexpr float half = 30.0f;   // world units; a few pixels from the highest camera
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glPushAttrib(GL_ENABLE_BIT);
    glDisable(GL_LIGHTING), glDisable(GL_TEXTURE_2D), glDisable(GL_CULL_FACE);
    glBegin(GL_QUADS);
    for (const Mark& m : marks) {
        glColor3ub(m.r, m.g, m.b);
        for (const auto& [dx, dz] : {std::pair{-half, -half}, {half, -half}, {half, half}, {-half, half}})
            glVertex3f(m.x + dx, 0.0f, m.z + dz);
    }
    glEnd();
    glPopAttrib();
    std::vector<GLubyte> pixels(static_cast<size_t>(width) * height * 4);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    std::vector<Seen> seen(marks.size());
    for (size_t p = 0; p < pixels.size(); p += 4)
        for (size_t i = 0; i < marks.size(); ++i)
            if (pixels[p] == marks[i].r && pixels[p + 1] == marks[i].g && pixels[p + 2] == marks[i].b)
                seen[i].add(static_cast<int>(p / 4 % width), static_cast<int>(p / 4 / width));
    return seen;
}

TEST(OverviewFraming, TheWholeCityFitsTheWindowFromAbove)
{
    const struct { int rows, width, height; } cases[] = {
        {2, 1024, 768}, {13, 1024, 768}, {60, 1024, 768},
        {2, 1024, 400}, {13, 1024, 400}, {60, 1024, 400},
        {2, 400, 768}, {13, 400, 768}, {60, 400, 768},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.rows) + " rows in " + std::to_string(c.width) + " x " + std::to_string(c.height));
        const YearSpan span{1950, 1950 + c.rows - 1};
        MonthQuarter first(span.first, 1, 1, std::vector<TextureName>{1}, std::vector<std::string>{"a"});
        MonthQuarter last(span.last, 1, 1, std::vector<TextureName>{1}, std::vector<std::string>{"a"});
        const std::vector<CityPiece> plan = planCity({&first, &last}, span);
        const CityGround g = cityGround(plan);
        const double farPlane = farPlaneFor(cityViewDistance(plan));
        support::WindowSize screen{c.width, c.height, farPlane};
        support::FakeWindow window;
        window.w = c.width, window.h = c.height;
        ShooterControl control{window, HeadsUpDisplay(0, 0, 0)};
        control.setOverviewArea(OverviewArea{g.minX, g.maxX, g.minZ, g.maxZ}, fieldOfViewDegrees, 0.9 * farPlane);
        control.placeOverviewCamera(WalkerPose(700.0f, 1000.0f, 500.0f, 10.0f, 60.0f));   // where an earlier visit left it
        control.keyboard('\t', 0, 0);
        control.applyView();
        // The first row's corners, at the month labels, and the last row's past its houses.
        const float in = 40.0f;
        const std::vector<Mark> marks = {{g.minX + in, g.minZ + in, 255, 0, 0}, {g.maxX - in, g.minZ + in, 0, 255, 0},
                                         {g.minX + in, g.maxZ - in, 0, 0, 255}, {g.maxX - in, g.maxZ - in, 255, 255, 0}};
        const std::vector<Seen> seen = drawAndFind(marks, c.width, c.height);
        Seen all;
        for (size_t i = 0; i < seen.size(); ++i) {
            EXPECT_TRUE(seen[i].any()) << "corner " << i << " out of view";
            if (seen[i].any())
                all.add(seen[i].left, seen[i].bottom), all.add(seen[i].right, seen[i].top);
        }
        // Centred, and filling the window across or down.
        EXPECT_NEAR((all.left + all.right) / 2.0, c.width / 2.0, c.width * 0.05);
        EXPECT_NEAR((all.bottom + all.top) / 2.0, c.height / 2.0, c.height * 0.05);
        EXPECT_TRUE(all.right - all.left > c.width * 0.75 || all.top - all.bottom > c.height * 0.75);
        // The first row lies at the top of the window.
        EXPECT_GT(seen[0].bottom, seen[2].top);
    }
}

} // namespace
