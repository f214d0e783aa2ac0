// Street pieces seen from above: the street image along each piece.
#include "SceneGl.h"
#include "scene/Street.h"

using scenetest::SceneGl;
using scenetest::boundBy;

TEST_F(SceneGl, StreetImageRunsAlongEachPieceFiveTimesAndOnceOverTheCrossing)
{
    scenetest::markTexture(boundBy(Street(0, 0, 0, Street::eastWest, 1, 2001)), "RG/BW");
    scenetest::markTexture(boundBy(Street(0, 0, 0, Street::crossing, 1, 2001)), "RG/BW");
    std::string northSouth = "BR";
    for (int i = 1; i < 10; i++)
        northSouth += i % 2 ? "/WG" : "/BR";
    // From above, -z up. The image's top row lies along the north edge of an
    // east-west piece, mirrored (which the street's image, the same in both
    // directions along its length, hides), and along the east edge of the others.
    const struct { int kind; float halfWidth, halfHeight; int columns, rows; std::string picture; } pieces[] = {
        { Street::eastWest, 50, 10, 10, 2, "GRGRGRGRGR/WBWBWBWBWB" },
        { Street::northSouth, 10, 50, 2, 10, northSouth },
        { Street::crossing, 10, 10, 2, 2, "BR/WG" },
        { 3, 10, 10, 2, 2, "KK/KK" },
    };
    for (const auto& p : pieces) {
        scenetest::view(90, 1, 0, p.halfWidth, p.halfHeight);
        Street(0, 0, 0, p.kind, 7, 2001).draw(0.0);
        EXPECT_EQ(scenetest::seen(p.columns, p.rows), p.picture) << "kind " << p.kind;
    }
}
