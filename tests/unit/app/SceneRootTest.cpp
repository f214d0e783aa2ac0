// The application object as scene root and input router, without a window:
// collision over the scene list and the routing of keys to the navigation
// controller.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/AppState.h"
#include "app/Zandervale.h"
#include "support/IdleControl.h"

namespace {

// Blocks every step and scribbles into the out parameters, which the scene
// root must overwrite.
class Wall : public SceneObject {
public:
    explicit Wall(bool blocks, int* asked) : blocks(blocks), asked(asked) {}
    void draw(double) override {}
    bool collides(float, float, float, float, float, float, float* outX, float* outY,
                  float* outZ) override
    {
        ++*asked;
        if (blocks) {
            *outX = 111.0f;
            *outY = 222.0f;
            *outZ = 333.0f;
        }
        return blocks;
    }
    bool blocks;
    int* asked;
};

// Records every event it is given.
class RecordingControl : public support::IdleControl {
public:
    void keyboard(unsigned char key, int, int) override { log("keyboard", key); }
    void keyboardUp(unsigned char key, int, int) override { log("keyboardUp", key); }
    void special(int key, int, int) override { log("special", key); }
    void specialUp(int key, int, int) override { log("specialUp", key); }
    void mouse(int button, int state, int x, int y) override
    {
        log("mouse", button * 1000 + state * 100 + x + y);
    }
    void motion(int x, int y) override { log("motion", x * 10 + y); }
    void passiveMotion(int x, int y) override { log("passiveMotion", x * 10 + y); }

    void log(const char* what, int value) { events.push_back(std::string(what) + " " + std::to_string(value)); }
    std::vector<std::string> events;
};

struct SceneRootFixture : testing::Test {
    // The application object owns the list and its objects.
    void SetUp() override { app.setScene(objects, &control); }
    void add(bool blocks) { objects->push_back(new Wall(blocks, &asked)); }

    std::vector<SceneObject*>* objects = new std::vector<SceneObject*>();
    RecordingControl control;
    Zandervale app;
    int asked = 0;
};

TEST_F(SceneRootFixture, WithoutABlockTheOutParametersStayUntouched)
{
    float out[3] = {7, 8, 9};
    EXPECT_FALSE(app.collides(1, 2, 3, 4, 5, 6, &out[0], &out[1], &out[2]));   // empty scene
    add(false);
    add(false);
    EXPECT_FALSE(app.collides(1, 2, 3, 4, 5, 6, &out[0], &out[1], &out[2]));
    EXPECT_EQ(out[0], 7);
    EXPECT_EQ(asked, 2);
}

TEST_F(SceneRootFixture, CollisionPutsTheWalkerBackAndStopsAsking)
{
    add(false);
    add(true);
    add(true);
    float out[3] = {0, 0, 0};
    EXPECT_TRUE(app.collides(1, 2, 3, 4, 5, 6, &out[0], &out[1], &out[2]));
    EXPECT_EQ(out[0], 1);   // the position before the step, not what the wall wrote
    EXPECT_EQ(out[1], 2);
    EXPECT_EQ(out[2], 3);
    EXPECT_EQ(asked, 2);    // the third object is not asked
}

TEST_F(SceneRootFixture, EventsReachTheNavigationControllerUnchanged)
{
    InputControl* input = app.inputControl();
    input->keyboard('w', 1, 2);
    input->keyboardUp('w', 1, 2);
    input->special(100, 1, 2);
    input->specialUp(100, 1, 2);
    input->mouse(0, 1, 3, 4);
    input->motion(3, 4);
    input->passiveMotion(5, 6);
    EXPECT_EQ(control.events,
              (std::vector<std::string>{"keyboard 119", "keyboardUp 119", "special 100",
                                        "specialUp 100", "mouse 107", "motion 34",
                                        "passiveMotion 56"}));
}

TEST_F(SceneRootFixture, EscapePressIsRoutedButItsReleaseEndsTheProgram)
{
    app.inputControl()->keyboard(27, 0, 0);
    EXPECT_EQ(control.events, std::vector<std::string>{"keyboard 27"});
    EXPECT_EXIT(app.inputControl()->keyboardUp(27, 0, 0), testing::ExitedWithCode(0), "");
}

TEST_F(SceneRootFixture, FullScreenKeyReleaseIsKeptFromTheController)
{
    setWindowId(-1);   // no window: the toggle itself does nothing
    app.inputControl()->special(5, 0, 0);
    app.inputControl()->specialUp(5, 0, 0);
    setWindowId(0);
    EXPECT_EQ(control.events, std::vector<std::string>{"special 5"});
    EXPECT_FALSE(isFullScreen());
}

} // namespace
