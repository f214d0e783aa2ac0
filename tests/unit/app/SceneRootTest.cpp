// The application object as scene root and input router, without a window:
// collision over the scene list and the routing of keys to the navigation
// controller.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "app/Zandervale.h"
#include "controls/MovementControl.h"

namespace {

// Blocks or not, counts the questions, and scribbles into the out
// parameters, which the scene root must overwrite.
struct Wall : SceneObject {
    Wall(bool blocks, int* asked) : blocks(blocks), asked(asked) {}
    void draw(double) override {}
    bool collides(float, float, float, float, float, float, float* outX, float*, float*) override
    {
        ++*asked;
        if (blocks)
            *outX = 111.0f;
        return blocks;
    }
    bool blocks;
    int* asked;
};

// Records every event it is given.
struct RecordingControl : MovementControl {
    void init(WalkerWorld*) override {}
    void applyView() override {}
    void beginFrame(double) override {}
    void drawOverlay(double) override {}
    void keyboard(unsigned char key, int x, int) override { log("keyboard", key, x); }
    void keyboardUp(unsigned char key, int x, int) override { log("keyboardUp", key, x); }
    void special(int key, int x, int) override { log("special", key, x); }
    void specialUp(int key, int x, int) override { log("specialUp", key, x); }
    void mouse(int button, int state, int x, int y) override { log("mouse", button * 10 + state, x + y); }
    void motion(int x, int y) override { log("motion", x, y); }
    void passiveMotion(int x, int y) override { log("passiveMotion", x, y); }
    void log(const char* what, int a, int b) { events.push_back(what + (" " + std::to_string(a)) + " " + std::to_string(b)); }
    std::vector<std::string> events;
};

TEST(SceneRoot, TheFirstBlockingObjectPutsTheWalkerBackAndTheRestAreNotAsked)
{
    // Walls in list order (true blocks), how many are asked, and the result.
    struct Case { std::vector<bool> walls; int asked; bool blocked; };
    for (const Case& c : {Case{{}, 0, false}, Case{{false, false}, 2, false},
                          Case{{false, true, true}, 2, true}}) {
        Zandervale app;
        int asked = 0;
        std::vector<std::unique_ptr<SceneObject>> objects;
        for (bool blocks : c.walls)
            objects.emplace_back(new Wall(blocks, &asked));
        app.setScene(std::move(objects), nullptr);
        float out[3] = {7, 8, 9};
        EXPECT_EQ(app.collides(1, 2, 3, 4, 5, 6, &out[0], &out[1], &out[2]), c.blocked);
        EXPECT_EQ(asked, c.asked);
        // Blocked: the position before the step, whatever the wall wrote;
        // free: the out parameters untouched.
        const std::vector<float> expected = c.blocked ? std::vector<float>{1, 2, 3}
                                                      : std::vector<float>{7, 8, 9};
        EXPECT_EQ(std::vector<float>(out, out + 3), expected);
    }
}

TEST(SceneRoot, EventsReachTheControllerUnchangedButEscapeF5AndUnpressedReleasesStay)
{
    RecordingControl control;
    Zandervale app;
    app.setScene({}, &control);
    InputControl* input = app.inputControl();
    input->keyboard('w', 1, 2);
    input->keyboardUp('w', 1, 2);
    input->special(100, 1, 2);
    input->specialUp(100, 1, 2);
    input->mouse(2, 0, 3, 4);
    input->mouse(2, 1, 3, 4);
    input->motion(3, 4);
    input->passiveMotion(5, 6);
    input->keyboard(27, 1, 2);
    input->special(5, 1, 2);
    input->specialUp(5, 1, 2);   // F5 with no window: nothing to toggle
    EXPECT_EQ(control.events,
              (std::vector<std::string>{"keyboard 119 1", "keyboardUp 119 1", "special 100 1",
                                        "specialUp 100 1", "mouse 20 7", "mouse 21 7", "motion 3 4",
                                        "passiveMotion 5 6", "keyboard 27 1", "special 5 1"}));
    EXPECT_EXIT(input->keyboardUp(27, 0, 0), testing::ExitedWithCode(0), "");
    // A key held into the gallery and let go there, or one held out of it, must
    // not reach a receiver that never saw it pressed.
    control.events.clear();
    input->keyboardUp('w', 0, 0);
    input->specialUp(100, 0, 0);
    input->mouse(2, 1, 0, 0);
    input->keyboard('W', 0, 0);   // shift: a capital press, a small release
    input->keyboardUp('w', 0, 0);
    input->keyboardUp('w', 0, 0);
    EXPECT_EQ(control.events, (std::vector<std::string>{"keyboard 87 0", "keyboardUp 119 0"}));
}

// While the controller holds Escape (its date prompt is open, or the
// Escape that closed it is still down), the release is the controller's,
// even with the help panel open under the prompt.
TEST(SceneRoot, EscapeReleaseGoesToAControllerThatHoldsIt)
{
    struct PromptControl : RecordingControl {
        bool holdsEscape() const override { return holds; }
        bool closePanel() override { return std::exchange(panel, false); }
        bool holds = true;
        bool panel = true;
    };
    PromptControl control;
    Zandervale app;
    app.setScene({}, &control);
    // In a child: should the release end the program, it must not end the
    // test run with it. Code 7: the release reached the controller.
    EXPECT_EXIT(
        {
            app.inputControl()->keyboardUp(27, 1, 2);
            std::exit(control.events == std::vector<std::string>{"keyboardUp 27 1"} ? 7 : 8);
        },
        testing::ExitedWithCode(7), "");
    control.holds = false;
    control.panel = false;
    EXPECT_EXIT(app.inputControl()->keyboardUp(27, 0, 0), testing::ExitedWithCode(0), "");
}

} // namespace
