// Stand-ins for the window and the world the walker moves in, so the
// navigation controller runs without GLUT or the application object.
#pragma once

#include <limits>
#include <vector>

#include "controls/CityCalendar.h"
#include "controls/WalkerPose.h"
#include "controls/WalkerWindow.h"
#include "controls/WalkerWorld.h"

namespace support {

struct FakeWindow : WalkerWindow {
    int width() const override { return w; }
    int height() const override { return h; }
    void warpPointer(int x, int y) override { warpedTo = {x, y}; }
    void setCursor(int shape) override { cursor = shape; }
    int w = 1024, h = 768;
    int cursor = -1;
    std::pair<int, int> warpedTo{-1, -1};
};

// Blocks every step that ends between wallFrom and wallTo in x; answers a
// pick with `under`, the calendar with `city`, and records what it was
// asked.
struct FakeWorld : WalkerWorld {
    bool stepBlocked(float, float, float, float toX, float, float) override
    {
        ++steps;
        return toX >= wallFrom && toX <= wallTo;
    }
    SceneObject* pick(int x, int y, int* outSubName) override
    {
        pickedAt = {x, y};
        *outSubName = under != nullptr ? underPicture : -1;
        return under;
    }
    Street* nearestStreet(float, float, float) override { return crossing; }
    void openGallery(MonthQuarter* record, int picture) override
    {
        opened = record;
        openedPicture = picture;
    }
    const CityCalendar& calendar() override { return city; }
    float wallFrom = std::numeric_limits<float>::infinity();
    float wallTo = std::numeric_limits<float>::infinity();
    int steps = 0;
    SceneObject* under = nullptr;
    int underPicture = -1;
    std::pair<int, int> pickedAt{-1, -1};
    Street* crossing = nullptr;
    MonthQuarter* opened = nullptr;
    int openedPicture = -2;
    CityCalendar city;
};

// A pose as one comparable list: the eye, then yaw and pitch when asked.
inline std::vector<float> eyeOf(const WalkerPose& pose, bool angles = false)
{
    std::vector<float> values{pose.x(), pose.y(), pose.z()};
    if (angles)
        values.insert(values.end(), {pose.yaw(), pose.pitch()});
    return values;
}

}  // namespace support
