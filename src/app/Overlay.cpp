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

namespace {

// A bar of 400 x 16 with its bottom at y, filled to the share done (0 to 1).
void drawLoadBar(double share, int y)
{
    constexpr int barWidth = 400;
    constexpr int barHeight = 16;
    const int filled = static_cast<int>(barWidth * share);
    const int left = -barWidth / 2;
    glColor3f(0.25f, 0.45f, 0.8f);
    glRecti(left, y, left + filled, y + barHeight);
    glColor3f(0.8f, 0.8f, 0.8f);
    glBegin(GL_LINE_LOOP);
    glVertex2i(left - 2, y - 2);
    glVertex2i(left + barWidth + 2, y - 2);
    glVertex2i(left + barWidth + 2, y + barHeight + 2);
    glVertex2i(left - 2, y + barHeight + 2);
    glEnd();
}

} // namespace

void drawLoadProgress(int done, int total)
{
    drawLoadBar(total > 0 ? static_cast<double>(done) / total : 1.0, 0);
    glColor3f(0.8f, 0.8f, 0.8f);
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

OverlayBox setupButton()
{
    return {-190, -90, 190, -50};
}

void drawSetupScreen(const std::vector<std::string>& lines, bool offered, double progress)
{
    constexpr int lineHeight = 26;
    const size_t above = offered && !lines.empty() ? lines.size() - 1 : lines.size();
    const int top = 40 + lineHeight * static_cast<int>(above) / 2;
    glColor4f(0.0f, 0.0f, 0.0f, 0.75f);
    glRecti(-380, -110, 380, top + 30);
    glColor3f(1.0f, 1.0f, 1.0f);
    for (size_t i = 0; i < above; ++i) {
        const auto* bytes = reinterpret_cast<const unsigned char*>(lines[i].c_str());
        glRasterPos2i(-glutBitmapLength(GLUT_BITMAP_HELVETICA_18, bytes) / 2, top - lineHeight * static_cast<int>(i));
        glutBitmapString(GLUT_BITMAP_HELVETICA_18, bytes);
    }
    if (progress >= 0.0)
        drawLoadBar(std::min(1.0, progress), -70);
    if (!offered || lines.empty())
        return;
    const OverlayBox button = setupButton();
    glColor3f(0.2f, 0.5f, 0.9f);
    glRecti(button.left, button.bottom, button.right, button.top);
    const auto* label = reinterpret_cast<const unsigned char*>(lines.back().c_str());
    glColor3f(1.0f, 1.0f, 1.0f);
    glRasterPos2i(-glutBitmapLength(GLUT_BITMAP_HELVETICA_18, label) / 2, button.bottom + 14);
    glutBitmapString(GLUT_BITMAP_HELVETICA_18, label);
}
