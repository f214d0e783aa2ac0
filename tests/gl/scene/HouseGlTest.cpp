// The house: pulse and glow as drawn and the GL state a frame leaves, pick
// names, collision.
#include "scene/House.h"

#include <GL/glu.h>

#include "SceneGl.h"

using scenetest::SceneGl;
using support::Colour;

TEST_F(SceneGl, SelectedHousePulsesAndGlowsAnUnselectedOneStandsStill)
{
    auto rec = scenetest::record(1);           // one box, 22.5 high at full size, in every variant
    const float period = 2 * 3.14159265f / 5;  // of the pulse and the glow colour
    const float wide = 22.5f * 1.025f, narrow = 22.5f * 0.975f;   // top edge at the pulse's extremes
    const Colour grey = { 170, 170, 170, 255 };
    // Eye distance 22.5 at 0 (straight in front of the top edge). The glow
    // just above the top edge: white at two thirds when the pulse is widest,
    // blue when narrowest; 2 pixels wider than the base width (8 at the eye,
    // none from 300 on).
    const struct { const char* what; int selected; float distance, phase, top; Colour glow; } cases[] = {
        { "unselected", -1, 200, 0.25f, 22.5f, support::black },
        { "index past the last box", 1, 200, 0.75f, 22.5f, support::black },
        { "selected, widest", 0, 200, 0.25f, wide, grey },
        { "selected, narrowest", 0, 200, 0.75f, narrow, support::blue },
        { "selected at 80: half the pulse", 0, 76.77f, 0.25f, 22.5f * 1.0125f, grey },
        { "selected within 30: no pulse", 0, 0, 0.75f, 22.5f, support::blue },
        { "selected beyond 300: thinnest glow", 0, 400, 0.75f, narrow, support::black },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        House house(0, 0, 0, rec.get(), 10);
        house.selectedPicture = c.selected;
        house.draw(20 * period);   // grown past full size, pulse at phase 0
        glClear(GL_COLOR_BUFFER_BIT);
        glDisable(GL_LIGHTING);
        glColor3f(1, 1, 1);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-4, 4, -4, 4, -1000, 1000);   // 32 pixels a unit round the unpulsed top edge
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glTranslatef(0, -22.5f, -c.distance);
        house.draw(c.phase * period);   // the frame that sets growth to exactly 1
        const auto at = [](float y) { return support::readPixel(128, static_cast<int>(128 + (y - 22.5f) * 32)); };
        EXPECT_PRED3(support::nearColour, at(c.top - 0.3f), support::white, 8);
        EXPECT_PRED3(support::nearColour, at(c.top + 0.04f), c.glow, 8);
        GLint modes[2] = { 0, 0 }, depth = 0;
        GLfloat width = 0;
        glGetIntegerv(GL_POLYGON_MODE, modes);
        glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
        glGetFloatv(GL_LINE_WIDTH, &width);
        EXPECT_EQ(std::make_tuple(modes[0], modes[1], width, depth, glIsEnabled(GL_BLEND), glIsEnabled(GL_TEXTURE_2D)),
                  std::make_tuple(GL_FILL, GL_FILL, 1.0f, 1, GLboolean(GL_FALSE), GLboolean(GL_TRUE)));
        EXPECT_EQ(glIsEnabled(GL_LIGHTING), c.selected == 0);   // a selected house lights again
    }
}

TEST_F(SceneGl, PickingNamesTheHouseThenTheBoxAtFullSize)
{
    auto rec = scenetest::record(2);
    House house(0, 0, 0, rec.get(), 12);   // never drawn: growth is still 0
    // The names of the one hit 4 x 4 pixels round (x, y), the window showing
    // -50 to 50 along -z; else -1 - hits.
    const auto pickAt = [&house](double x, double y) {
        GLuint buffer[64];
        GLint viewport[4] = { 0, 0, 256, 256 };
        glSelectBuffer(64, buffer);
        glRenderMode(GL_SELECT);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPickMatrix((x + 50.0) * 2.56, (y + 50.0) * 2.56, 4.0, 4.0, viewport);
        glOrtho(-50, 50, -50, 50, -100, 100);
        glMatrixMode(GL_MODELVIEW);
        house.drawForPicking();
        const GLint hits = glRenderMode(GL_RENDER);
        return hits == 1 ? std::vector<GLuint>(buffer + 3, buffer + 3 + buffer[0]) : std::vector<GLuint>{ GLuint(-1 - hits) };
    };
    // Box 0 stands from 0 to about 22 in every tower variant, box 1 above.
    EXPECT_EQ(pickAt(0, 11), (std::vector<GLuint>{ 12, 0 }));
    EXPECT_EQ(pickAt(0, 35), (std::vector<GLuint>{ 12, 1 }));
    EXPECT_EQ(pickAt(40, 11), (std::vector<GLuint>{ GLuint(-1) }));
}

TEST_F(SceneGl, HouseBlocksOnlyWithin25AndAHalfAndAsksBoxesRelativeToIt)
{
    auto rec = scenetest::record(8);   // pairs: no random layout
    House house(100, 0, 200, rec.get(), 10);
    // The odd box, drawn about (8.84, 7.5, 8.84), reaches z = 25.8 with its margin.
    const struct { const char* what; float toX, toZ; bool blocked; } cases[] = {
        { "into the odd box", 108.84f, 208.84f, true },
        { "same point without the house offset", 8.84f, 8.84f, false },
        { "the box's far corner, inside 25.5", 108.84f, 225.4f, true },
        { "the box's far corner, at 25.5", 108.84f, 225.5f, false },
    };
    for (const auto& c : cases) {
        float out[3] = { -7, -7, -7 };   // the scene root's to write
        EXPECT_EQ(house.collides(100, 1.8f, 400, c.toX, 1.8f, c.toZ, &out[0], &out[1], &out[2]), c.blocked) << c.what;
        EXPECT_EQ(out[0], -7.0f) << c.what;
    }
}
