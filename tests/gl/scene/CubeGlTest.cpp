// The box: the photo on each face as the walker sees it, and where the
// box's turn puts it.
#include "scene/Cube.h"

#include "SceneGl.h"
#include "support/ImageFiles.h"
#include "support/TempDir.h"
#include "textures/Textures.h"

using scenetest::SceneGl;
using scenetest::seen;

TEST_F(SceneGl, PhotoStandsUprightAndUnmirroredOnEveryFaceItIsSeenFrom)
{
    support::TempDir dir;
    ASSERT_TRUE(support::writePng(dir.file("photo.png"), 8, 6, support::PngFormat::Rgb, [](int x, int y) {
        return y < 3 ? (x < 4 ? support::red : support::green) : (x < 4 ? support::blue : support::white);
    }));
    Cube box(0, 0, 0, 0, 0, 0, 1, loadTexture(dir.file("photo.png").c_str()));
    // The view turns the face's normal toward the eye, y (or for the top, -z) up.
    const struct { const char* face; float degrees, ax, ay; const char* picture; } faces[] = {
        { "front", 0, 0, 1, "RG/BW" }, { "back", 180, 0, 1, "RG/BW" }, { "left", 90, 0, 1, "RG/BW" },
        { "right", -90, 0, 1, "RG/BW" }, { "top, turned a quarter", 90, 1, 0, "BR/WG" },
    };
    for (const auto& f : faces) {
        scenetest::view(f.degrees, f.ax, f.ay, 25, f.ax != 0 ? 25 : 18.75f);
        box.draw(0.0);
        EXPECT_EQ(seen(2, 2), f.picture) << f.face;
    }
}

TEST_F(SceneGl, TurnedBoxIsDrawnAtItsPositionTurnedAboutTheParentAxis)
{
    scenetest::view(90, 1, 0, 10, 20);   // from above, -z up, cells 2 units wide and 8 deep
    glDisable(GL_TEXTURE_2D);
    glColor3f(1, 1, 1);
    Cube(10, 0, 0, 0, 90, 0, 0.1f, 0).draw(0.0);   // 5 x 5 units round (0, 0, -10)
    EXPECT_EQ(seen(10, 5), "KKKKKKKKKK/KKKKWWKKKK/KKKKKKKKKK/KKKKKKKKKK/KKKKKKKKKK");
}
