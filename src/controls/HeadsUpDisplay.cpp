// The heads-up display. Quads lie in z = 0; text is GLUT bitmap text, and a
// line takes the colour current when its raster position is set.
#include "controls/HeadsUpDisplay.h"

#include <GL/freeglut.h>

#include <cmath>

#include "calendar/Calendar.h"
#include "controls/ShooterControl.h"
#include "scene/Cube.h"
#include "scene/House.h"
#include "scene/Street.h"
#include "textures/Textures.h"

namespace {

// A textured quad: its top-left corner, size, and which texture corner
// goes to the top-left (the status strip shows its texture mirrored).
struct Quad {
    int left, top, width, height;
    bool mirrored;
};

void drawQuad(const Quad& q)
{
    const float s0 = q.mirrored ? 1.0f : 0.0f;
    const float s1 = 1.0f - s0;
    const float right = static_cast<float>(q.left + q.width);
    const float bottom = static_cast<float>(q.top - q.height);
    enableGl(GlState::texturing);   // for the quad only: the overlay and its text are untextured
    glBegin(GL_QUADS);
    glTexCoord2f(s0, 0.0f); glVertex2f(static_cast<float>(q.left), static_cast<float>(q.top));
    glTexCoord2f(s0, 1.0f); glVertex2f(static_cast<float>(q.left), bottom);
    glTexCoord2f(s1, 1.0f); glVertex2f(right, bottom);
    glTexCoord2f(s1, 0.0f); glVertex2f(right, static_cast<float>(q.top));
    glEnd();
    disableGl(GlState::texturing);
}

void drawText(int x, int y, const std::string& text)
{
    glRasterPos2i(x, y);
    for (char c : text)
        glutBitmapCharacter(GLUT_BITMAP_9_BY_15, c);
}

void drawCrosshair()
{
    // Three overlapping copies make a bold mark on the centre, where a
    // left click picks while mouse look is on.
    glColor4f(0.2f, 0.2f, 1.0f, 0.8f);
    for (int x : {-9, -8, -10})
        drawText(x, -7, "<>");
}

void drawCompass(const HudFrame& frame)
{
    bindTexture(frame.compassTexture);
    glPushMatrix();
    glTranslatef(0.0f, static_cast<float>(frame.height * 0.5 - 70.0), 0.0f);
    glRotatef(frame.yaw, 0.0f, 0.0f, 1.0f);
    drawQuad({-64, 64, 128, 128, false});
    glPopMatrix();
}

// The panel of a selected house: its picture, date, quarter and size,
// right-aligned to the bottom-right corner.
void drawSelectionPanel(const HudFrame& frame, int halfWidth, int halfHeight)
{
    bindTexture(frame.panelTexture);
    drawQuad({halfWidth - 256, 256 - halfHeight, 256, 256, false});
    const House* house = dynamic_cast<const House*>(frame.selected);
    if (house == nullptr)
        return;
    const MonthQuarter* record = house->getRecord();
    const int picture = house->selectedPicture;
    if (picture >= 0 && picture < static_cast<int>(house->getCubes().size())) {
        house->getCubes()[static_cast<size_t>(picture)]->bindPhoto();
        drawQuad({halfWidth - 192, 106 - halfHeight, 128, 96, false});
        unbindPhoto();
    }

    const int textLeft = halfWidth - 215;
    glColor4f(0.75f, 0.75f, 0.75f, 0.75f);
    drawText(halfWidth - 230, 230 - halfHeight, "current selection:");
    drawText(halfWidth - 230, 215 - halfHeight, "==================");
    // The date keeps the grey: its raster position is set before the white.
    glRasterPos2i(textLeft, 195 - halfHeight);
    glColor4f(1.0f, 1.0f, 1.0f, 0.6f);
    for (char c : dateText(record->getMonth(), record->getYear()))
        glutBitmapCharacter(GLUT_BITMAP_9_BY_15, c);
    drawText(textLeft, 177 - halfHeight, quarterText(record->getQuarter()));
    drawText(textLeft, 159 - halfHeight, pictureCountText(record->getPictureCount()));
}

// The prompt, or a note, on a strip of the panel just above the location
// line, as wide as its text.
void drawPromptLine(const HudFrame& frame, int halfWidth, int halfHeight)
{
    constexpr int characterWidth = 9;   // GLUT_BITMAP_9_BY_15
    const bool prompt = !frame.prompt.empty();
    const std::string& text = prompt ? frame.prompt : frame.note;
    const int width = 16 + characterWidth * static_cast<int>(text.size());
    glColor4f(1.0f, 1.0f, 1.0f, 0.45f);
    bindTexture(frame.panelTexture);
    drawQuad({-halfWidth, 62 - halfHeight, width, 26, true});
    if (prompt)
        glColor4f(1.0f, 1.0f, 1.0f, 0.9f);
    else
        glColor4f(1.0f, 0.85f, 0.4f, 0.9f);
    drawText(8 - halfWidth, 44 - halfHeight, text);
}

// Light text on a dark shadow: it reads over grass, roofs and photos alike.
void drawOverviewLabels(const std::vector<OverviewLabel>& labels, int halfWidth, int halfHeight)
{
    const struct { int dx, dy; float grey, alpha; } layers[] = {{1, -1, 0.0f, 0.8f}, {0, 0, 1.0f, 0.95f}};
    for (const auto& layer : layers) {
        glColor4f(layer.grey, layer.grey, layer.grey, layer.alpha);
        for (const OverviewLabel& label : labels)
            drawText(label.x - halfWidth + layer.dx, label.y - halfHeight + layer.dy, label.text);
    }
}

void drawHud(const HudFrame& frame)
{
    const int halfWidth = frame.width >> 1;
    const int halfHeight = frame.height >> 1;
    if (frame.labels != nullptr)
        drawOverviewLabels(*frame.labels, halfWidth, halfHeight);
    if (frame.crosshair)
        drawCrosshair();
    // This colour also tints every quad below, the picture preview included.
    glColor4f(1.0f, 1.0f, 1.0f, 0.45f);
    if (frame.compass)
        drawCompass(frame);
    if (frame.help) {
        bindTexture(frame.helpTexture);
        drawQuad({-256, 256, 512, 512, false});
    }
    bindTexture(frame.panelTexture);
    drawQuad({-halfWidth, 32 - halfHeight, 140, 32, true});
    if (frame.crossing != nullptr)
        drawText(5 - halfWidth, 8 - halfHeight, dateText(frame.crossing->month, frame.crossing->year));
    if (frame.selected != nullptr)
        drawSelectionPanel(frame, halfWidth, halfHeight);
    if (!frame.prompt.empty() || !frame.note.empty())
        drawPromptLine(frame, halfWidth, halfHeight);
}

} // namespace

HeadsUpDisplay::HeadsUpDisplay()
{
    // One after another: the names they get follow the order of loading.
    compassTexture = loadTexture("compass.png");
    helpTexture = loadTexture("help512x512_01.png");
    panelTexture = loadTexture("selOverlay256x256.png");
}

HeadsUpDisplay::HeadsUpDisplay(TextureName compass, TextureName help, TextureName panel)
    : compassTexture(compass), helpTexture(help), panelTexture(panel)
{
}

HudFrame HeadsUpDisplay::frameOf(const ShooterControl& walker, int width, int height) const
{
    const bool overview = walker.isOverview();
    HudFrame frame{};
    frame.width = width;
    frame.height = height;
    frame.crosshair = !overview && walker.isMouseLook();
    frame.compass = !overview;
    frame.help = walker.isHelpShown();
    frame.yaw = walker.pose().yaw();
    // The strip always speaks of the walker, also under the overview camera.
    frame.crossing = walker.crossingHere();
    frame.selected = walker.selection();
    if (overview)
        frame.labels = &walker.labelsSeen();
    frame.compassTexture = compassTexture;
    frame.helpTexture = helpTexture;
    frame.panelTexture = panelTexture;
    if (walker.datePrompt().isOpen())
        frame.prompt = walker.datePrompt().line();
    else
        frame.note = walker.note();
    return frame;
}

void HeadsUpDisplay::draw(const ShooterControl& walker, int width, int height) const
{
    drawHud(frameOf(walker, width, height));
}

std::string dateText(int month, int year)
{
    // A library may name a month no calendar has; say so in words.
    std::string text = month >= 1 && month <= monthsInYear ? std::string(monthName(month))
                                                            : "month " + std::to_string(month);
    text += ", ";
    for (int unit : {1000, 100, 10, 1})
        text += static_cast<char>('0' + year / unit % 10);
    return text;
}

std::string quarterText(int quarter)
{
    return static_cast<char>('0' + quarter) + std::string(". quarter");
}

std::string pictureCountText(int count)
{
    return std::to_string(count) + " pictures loaded";
}

float normalisedYaw(float yaw)
{
    if (!std::isfinite(yaw))
        return 0.0f;
    if (yaw >= 0.0f && yaw <= 360.0f)
        return yaw;
    // fmod is exact, so this is what turning by 360 until in range gives,
    // however far out the yaw is: multiples above 360 stop at 360, those
    // below 0 at 0.
    const float rest = std::fmod(yaw, 360.0f);
    if (yaw > 360.0f)
        return rest == 0.0f ? 360.0f : rest;
    return rest < 0.0f ? rest + 360.0f : 0.0f;
}
