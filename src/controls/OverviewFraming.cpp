// The overview camera's height and centre from the city's ground.
#include "controls/OverviewFraming.h"

#include <algorithm>
#include <cmath>

namespace {

// Room around the ground for houses near its edge, whose tops stand nearer
// the camera and so reach further out.
constexpr double marginFactor = 1.08;
constexpr double lowestHeight = 100.0;

// The eye's coordinate on one axis: the middle when the view covers the
// extent, else the walker's, moved in as far as the edges need.
float centreOn(double low, double high, double halfView, float walker)
{
    if (2.0 * halfView >= high - low)
        return static_cast<float>((low + high) / 2.0);
    return static_cast<float>(std::clamp<double>(walker, low + halfView, high - halfView));
}

} // namespace

OverviewEye frameOverview(const OverviewArea& area, const OverviewLens& lens, float walkerX,
                          float walkerZ)
{
    const double tanHalf = std::tan(lens.fieldOfViewDegrees / 2.0 * M_PI / 180.0);
    const double aspect = lens.aspect > 0.0 ? lens.aspect : 1.0;
    const double width = area.maxX - area.minX;
    const double depth = area.maxZ - area.minZ;
    double height = std::max(depth / 2.0 / tanHalf, width / 2.0 / (tanHalf * aspect));
    height = std::clamp(height * marginFactor, lowestHeight, std::max(lens.maxHeight, lowestHeight));
    return OverviewEye{centreOn(area.minX, area.maxX, height * tanHalf * aspect, walkerX),
                       static_cast<float>(height),
                       centreOn(area.minZ, area.maxZ, height * tanHalf, walkerZ)};
}
