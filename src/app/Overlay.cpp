// The overlay's projection and its texts, drawn with GLUT bitmap fonts at
// integer raster positions.
#include "app/Overlay.h"

#include <GL/freeglut.h>

#include <algorithm>
#include <string>

#include "app/AppState.h"
#include "app/FrameRateText.h"
#include "textures/GlState.h"

void drawFrameRate(const AppState& state)
{
    const int halfWidth = state.windowWidth / 2;
    const int halfHeight = state.windowHeight / 2;
    glColor3f(0.8f, 0.8f, 0.8f);
    glRasterPos2i(3 - halfWidth, halfHeight - 13);
    for (char c : frameRateText(state.clock.getFramesPerSecond()))
        glutBitmapCharacter(GLUT_BITMAP_HELVETICA_12, c);
}

void beginOverlay(const AppState& state)
{
    const int halfWidth = state.windowWidth / 2;
    const int halfHeight = state.windowHeight / 2;
    switchGl(GlState::blending, GlState::depthTest | GlState::lighting | GlState::texturing);
    useBlendFunction(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(-halfWidth, halfWidth, -halfHeight, halfHeight, 0.0, 100.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void endOverlay()
{
    useDefaultGlState();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    // The modelview stays the identity; the next frame loads the view.
    glMatrixMode(GL_MODELVIEW);
}

void drawLoadProgress(int done, int total)
{
    constexpr int barWidth = 400;
    constexpr int barHeight = 16;
    const int filled = total > 0 ? barWidth * done / total : barWidth;
    const int left = -barWidth / 2;
    glColor3f(0.25f, 0.45f, 0.8f);
    glRecti(left, 0, left + filled, barHeight);
    glColor3f(0.8f, 0.8f, 0.8f);
    glBegin(GL_LINE_LOOP);
    glVertex2i(left - 2, -2);
    glVertex2i(left + barWidth + 2, -2);
    glVertex2i(left + barWidth + 2, barHeight + 2);
    glVertex2i(left - 2, barHeight + 2);
    glEnd();
    const std::string text = std::to_string(done) + " / " + std::to_string(total) + " pictures";
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.c_str());
    glRasterPos2i(-glutBitmapLength(GLUT_BITMAP_9_BY_15, bytes) / 2, -24);
    glutBitmapString(GLUT_BITMAP_9_BY_15, bytes);
}

void drawCentredLine(const char* text, int windowWidth)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    const int width = glutBitmapLength(GLUT_BITMAP_HELVETICA_18, bytes);
    glColor4f(0.0f, 0.0f, 0.0f, 0.7f);
    glRecti(-width / 2 - 12, -12, width - width / 2 + 12, 24);
    glColor3f(1.0f, 1.0f, 1.0f);
    glRasterPos2i(std::max(-width / 2, 4 - windowWidth / 2), 0);
    glutBitmapString(GLUT_BITMAP_HELVETICA_18, bytes);
}
