// The walker's view drawn by the scene root over the whole 1024 x 768
// window and read back: where the walker looks, and the overview's marker.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <vector>

#include "app/Zandervale.h"
#include "controls/ShooterControl.h"
#include "support/WalkerFakes.h"
#include "support/WindowSize.h"
#include "textures/GlState.h"

namespace {

class WalkerFrame : public testing::Test {
protected:
    void SetUp() override { control.init(&app); }
    static std::array<int, 3> at(int x, int y) { return support::WindowSize::at(x, y); }
    support::WindowSize screen{1024, 768};
    support::FakeWindow window;
    ShooterControl control{window, HeadsUpDisplay(0, 0, 0)};
    Zandervale app;
};

TEST_F(WalkerFrame, LooksAlongItsYawAndTheOverviewShowsItsMarker)
{
    // A red plate 10 units ahead of the eye at yaw 90 (looking down +x).
    struct Plate : SceneObject {
        void draw(double) override
        {
            glPushAttrib(GL_ENABLE_BIT);
            glPushMatrix();
            glDisable(GL_LIGHTING);
            glDisable(GL_TEXTURE_2D);
            glColor3f(1.0f, 0.0f, 0.0f);
            glTranslatef(-65.0f, 1.8f, 40.0f);
            glRotatef(90.0f, 0.0f, 1.0f, 0.0f);
            glRectf(-1.0f, -1.0f, 1.0f, 1.0f);
            glPopMatrix();
            glPopAttrib();
        }
    };
    std::vector<std::unique_ptr<SceneObject>> scene;
    scene.emplace_back(new Plate());
    app.setScene(std::move(scene), &control);
    disableGl(GlState::culling);
    app.draw(0.0);
    EXPECT_EQ(at(512, 384), (std::array<int, 3>{255, 0, 0}));
    EXPECT_NE(at(512, 600), (std::array<int, 3>{255, 0, 0}));   // level: not seen from above or below
    control.keyboard('\t', 0, 0);
    control.placeAt(WalkerPose(700.0f, eyeLevel, 500.0f, 90.0f, 0.0f));   // the eye right under the camera
    app.draw(0.0);
    const std::array<int, 3> marker = at(512, 384);   // (1.0, 0.0, 0.1)
    EXPECT_TRUE(marker[0] > 240 && marker[1] < 10 && std::abs(marker[2] - 25) < 8);
    enableGl(GlState::culling);
}

} // namespace
