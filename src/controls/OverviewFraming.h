// Where the overview camera stands: straight above the city, high enough
// that all of it fits the window, whatever the number of its year rows.
#pragma once

// The city's ground in world units: x grows with the month, z with the year.
struct OverviewArea {
    float minX = 0.0f, maxX = 0.0f, minZ = 0.0f, maxZ = 0.0f;
    bool empty() const { return !(maxX > minX && maxZ > minZ); }
};

// The perspective the overview is seen through.
struct OverviewLens {
    double fieldOfViewDegrees;   // vertical
    double aspect;               // window width / height
    double maxHeight;            // the far plane must still reach the ground
};

struct OverviewEye {
    float x, y, z;
};

// The eye of a camera looking straight down (screen up is -z): over the
// city's centre, as high as the whole area needs at this aspect. Where the
// area is larger than the view even from maxHeight, the eye stands over the
// walker on that axis, kept so that the view does not leave the city.
OverviewEye frameOverview(const OverviewArea& area, const OverviewLens& lens, float walkerX,
                          float walkerZ);
