// Signs: which picture each face shows, upright and unmirrored from the side
// it is read from, and nothing bound from outside the tables.
#include "scene/Sign.h"

#include "SceneGl.h"

using scenetest::SceneGl;
using scenetest::boundBy;

TEST_F(SceneGl, EachFaceShowsItsPictureUprightFromTheSideItIsReadFrom)
{
    // 2005 and April on the front plates, 2004 and March (with black) behind.
    const struct { int kind, index; const char* picture; } marks[] = {
        { Sign::yearLabel, 7, "RG/BW" }, { Sign::yearLabel, 6, "KG/BW" }, { Sign::monthLabel, 4, "RG/BW" },
        { Sign::monthLabel, 3, "KG/BW" }, { Sign::title, 0, "RG/BW" } };
    for (const auto& m : marks)
        scenetest::markTexture(boundBy(Sign(0, 0, 0, m.kind, m.index)), m.picture);
    const struct { const char* what; int kind, index; float degrees, ax, ay, halfWidth, halfHeight; const char* picture; } faces[] = {
        { "year banner from -z", Sign::yearBanner, 7, 180, 0, 1, 2.5f, 0.5f, "RG/BW" },
        { "year banner from +z", Sign::yearBanner, 7, 0, 0, 1, 2.5f, 0.5f, "KG/BW" },
        { "month banner from -x", Sign::monthBanner, 3, 90, 0, 1, 2.5f, 0.5f, "RG/BW" },
        { "month banner from +x", Sign::monthBanner, 3, -90, 0, 1, 2.5f, 0.5f, "KG/BW" },
        { "title from +x", Sign::title, 0, -90, 0, 1, 5, 6, "RG/BW" },
        { "title from -x", Sign::title, 0, 90, 0, 1, 5, 6, "RG/BW" },
        { "year label from above, -z up", Sign::yearLabel, 7, 90, 1, 0, 50, 10, "RG/BW" },
        { "month label from above, read facing +x", Sign::monthLabel, 4, 90, 1, 0, 10, 50, "BR/WG" },
    };
    for (const auto& f : faces) {
        scenetest::view(f.degrees, f.ax, f.ay, f.halfWidth, f.halfHeight);
        Sign(0, 0, 0, f.kind, f.index).draw(0.0);
        EXPECT_EQ(scenetest::seen(2, 2), f.picture) << f.what;
    }
}

TEST_F(SceneGl, SignsBindNothingOutsideTheirTables)
{
    const struct { int kind; int index; } outside[] = {
        { Sign::yearLabel, 13 }, { Sign::yearLabel, -1 }, { Sign::monthLabel, 0 }, { Sign::monthLabel, 13 },
        { Sign::yearBanner, -5 }, { 5, 0 }, { -1, 0 } };
    for (const auto& c : outside)
        EXPECT_EQ(boundBy(Sign(0, 6, 0, c.kind, c.index)), 0u) << "kind " << c.kind << " index " << c.index;
}
