// The gallery's frame, drawn from what its paging holds, and its keys and
// mouse turned into paging steps.
#include "gallery/Gallery.h"

#include <GL/freeglut.h>

#include <algorithm>
#include <utility>

#include "gallery/GalleryRules.h"
#include "gallery/PrefetchingPhotoLoader.h"
#include "gallery/VipsPhotoLoader.h"
#include "textures/PhotoAtlas.h"
#include "textures/Textures.h"

namespace {

// The indexer's thumbnails; the shape a refused photo's stand-in is drawn in.
constexpr int thumbnailWidth = 128;
constexpr int thumbnailHeight = 96;

struct QuadCorner {
    float x, y, s, t;
};
// t = 0 is the photo's top row.
constexpr QuadCorner unitQuad[] = {{1, 1, 1, 0}, {-1, 1, 0, 0}, {-1, -1, 0, 1}, {1, -1, 1, 1}};

struct TextLayer {
    int x, y;
    float r, g, b, a;
};
// The caption's glow: drawn with GL_ONE_MINUS_DST_COLOR, so later layers
// lighten what earlier ones left.
constexpr TextLayer captionLayers[] = {{8, 8, 1.0f, 1.0f, 1.0f, 0.4f},
                                       {9, 8, 0.2f, 0.1f, 0.5f, 0.2f},
                                       {9, 7, 0.2f, 0.1f, 0.5f, 0.2f},
                                       {10, 7, 0.0f, 0.0f, 0.0f, 0.0f}};

void drawText(void* font, const std::string& text)
{
    for (char c : text)
        glutBitmapCharacter(font, static_cast<unsigned char>(c));
}

}  // namespace

Gallery::Gallery(const PhotoAtlas& photos)
    : photos(&photos), ownDecoder(std::make_unique<VipsPhotoLoader>()),
      ownLoader(std::make_unique<PrefetchingPhotoLoader>(ownDecoder.get())), paging(ownLoader.get()),
      viewSize([] { return std::make_pair(glutGet(GLUT_WINDOW_WIDTH), glutGet(GLUT_WINDOW_HEIGHT)); })
{
}

Gallery::Gallery(PhotoLoader* loader, ViewSize viewSize, const PhotoAtlas* photos)
    : photos(photos), paging(loader), viewSize(std::move(viewSize))
{
}

Gallery::~Gallery()
{
    if (quadList != 0)
        glDeleteLists(quadList, 1);
    if (overlayTexture != 0)
        deleteTextures(1, &overlayTexture);
}

void Gallery::draw(double dt)
{
    paging.advance(dt);
    render();
}

void Gallery::keyboardUp(unsigned char key, int, int)
{
    if (key == spaceKey)
        paging.togglePause();   // also while fading
}

void Gallery::keyboard(unsigned char key, int, int)
{
    if (key == '0')
        paging.fit();
}

void Gallery::mouse(int button, int state, int x, int y)
{
    // Each notch of the wheel is a press and a release of button 3 (away
    // from the user) or 4; the press is the step. A fade ignores it, as it
    // does the zoom keys.
    if (button == wheelAway || button == wheelToward) {
        if (state == GLUT_DOWN && !paging.isFading())
            paging.zoomAt(button == wheelAway ? 1 : -1, viewPoint(x, y));
        return;
    }
    if (button != GLUT_LEFT_BUTTON)
        return;
    dragging = state == GLUT_DOWN;
    dragX = x;
    dragY = y;
}

// The view is 8 x 6 units over the whole window; GLUT's y grows downward.
void Gallery::motion(int x, int y)
{
    if (!dragging)
        return;
    const auto [width, height] = viewSize();
    paging.panBy(8.0f * static_cast<float>(x - dragX) / static_cast<float>(std::max(1, width)),
                 -6.0f * static_cast<float>(y - dragY) / static_cast<float>(std::max(1, height)));
    dragX = x;
    dragY = y;
}

PicturePan Gallery::viewPoint(int x, int y) const
{
    const auto [width, height] = viewSize();
    return PicturePan{8.0f * (static_cast<float>(x) / static_cast<float>(std::max(1, width)) - 0.5f),
                      6.0f * (0.5f - static_cast<float>(y) / static_cast<float>(std::max(1, height)))};
}

void Gallery::special(int key, int, int)
{
    if (paging.isFading())
        return;
    if (key == GLUT_KEY_UP)
        paging.holdZoom(1);
    else if (key == GLUT_KEY_DOWN)
        paging.holdZoom(-1);
}

void Gallery::specialUp(int key, int, int)
{
    // A release ends a zoom even during a fade: ignored, it would zoom on
    // until the arrow was pressed again.
    if (key == GLUT_KEY_UP || key == GLUT_KEY_DOWN)
        paging.holdZoom(0);
    if (paging.isChanging())
        return;
    if (key == GLUT_KEY_LEFT)
        paging.showPrevious();
    else if (key == GLUT_KEY_RIGHT)
        paging.showNext();
}

void Gallery::render()
{
    // The city's colour, given back at the end: a selected house's unlit boxes take it on.
    GLfloat cityColour[4];
    glGetFloatv(GL_CURRENT_COLOR, cityColour);
    if (quadList == 0)
        createGlResources();
    // Depth: the current photo at z = -5 covers the incoming at -50.
    switchGl(GlState::depthTest | GlState::texturing | GlState::blending, GlState::lighting);
    // The two photos add up over black, their weights summing to 1. GL_ONE
    // rather than destination alpha: a window with an alpha channel clears
    // it to 0 and would hide the photo behind.
    useBlendFunction(GL_SRC_ALPHA, GL_ONE);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(-4.0, 4.0, -3.0, 3.0, 0.0, 100.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (paging.isFading()) {
        const float weight = paging.incomingWeight();
        drawPhoto(paging.incomingPhoto(), weight, -50.0f);
        drawPhoto(paging.shownPhoto(), 1.0f - weight, -5.0f);
    } else {
        drawPhoto(paging.shownPhoto(), 1.0f, -5.0f);
        drawStandIn();
    }
    // From here one unit is one pixel, (0, 0) the window centre; the window
    // is the viewport its reshape set.
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    const int halfWidth = viewport[2] >> 1, halfHeight = viewport[3] >> 1;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-halfWidth, halfWidth, -halfHeight, halfHeight, 0.0, 100.0);
    glMatrixMode(GL_MODELVIEW);
    drawCaptionBar(halfWidth, halfHeight);
    drawCaption(halfWidth, halfHeight);
    drawNotices(halfWidth, halfHeight);
    drawProblem(halfWidth, halfHeight);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glColor4fv(cityColour);
    useDefaultGlState();
}

void Gallery::createGlResources()
{
    overlayTexture = loadTexture("gallOverlay256x32.png");
    quadList = glGenLists(1);
    glNewList(quadList, GL_COMPILE);
    glBegin(GL_QUADS);
    glNormal3f(0.0f, 0.0f, -1.0f);
    for (const QuadCorner& corner : unitQuad) {
        glTexCoord2f(corner.s, corner.t);
        glVertex3f(corner.x, corner.y, 0.0f);
    }
    glEnd();
    glEndList();
}

void Gallery::drawPhoto(const PictureSlot& slot, float alpha, float z) const
{
    if (slot.empty())
        return;
    glPushMatrix();
    glColor4f(1.0f, 1.0f, 1.0f, alpha);
    glTranslatef(paging.getPan().x, paging.getPan().y, z);
    bindTexture(slot.texture);
    const PictureScale scale = pictureScale(slot.width, slot.height, paging.getZoom());
    glScalef(scale.x, scale.y, 1.0f);
    glCallList(quadList);
    glPopMatrix();
}

// 512 x 32 pixels in the bottom-left corner, in front of both photos.
void Gallery::drawCaptionBar(int halfWidth, int halfHeight) const
{
    const float left = static_cast<float>(-halfWidth), bottom = static_cast<float>(-halfHeight);
    useBlendFunction(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(1.0f, 1.0f, 1.0f, 0.4f);
    bindTexture(overlayTexture);
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(left, bottom + 32.0f, -4.0f);
    glTexCoord2f(0.0f, 1.0f);
    glVertex3f(left, bottom, -4.0f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex3f(left + 512.0f, bottom, -4.0f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex3f(left + 512.0f, bottom + 32.0f, -4.0f);
    glEnd();
}

// Each layer takes the colour in force when its raster position is set.
void Gallery::drawCaption(int halfWidth, int halfHeight) const
{
    disableGl(GlState::texturing);
    useBlendFunction(GL_ONE, GL_ONE_MINUS_DST_COLOR);
    const std::string text = paging.caption();
    for (const TextLayer& layer : captionLayers) {
        glColor4f(layer.r, layer.g, layer.b, layer.a);
        glRasterPos2i(layer.x - halfWidth, layer.y - halfHeight);
        drawText(GLUT_BITMAP_9_BY_15, text);
    }
}

// "... LOADING ..." and the status: a dark shadow, then green text one
// pixel to its right, above everything.
void Gallery::drawNotices(int halfWidth, int halfHeight) const
{
    disableGl(GlState::depthTest);
    if (paging.showsLoadingNotice()) {
        glColor4f(0.3f, 0.3f, 1.0f, 0.85f);
        glRasterPos2i(halfWidth - 150, halfHeight - 20);
        drawText(GLUT_BITMAP_TIMES_ROMAN_24, "... LOADING ...");
    }
    const std::string status = paging.statusText();
    glColor4f(0.2f, 0.0f, 0.2f, 0.85f);
    glRasterPos2i(7 - halfWidth, halfHeight - 20);
    drawText(GLUT_BITMAP_TIMES_ROMAN_24, status);
    glColor4f(0.2f, 1.0f, 0.2f, 0.85f);
    glRasterPos2i(8 - halfWidth, halfHeight - 20);
    drawText(GLUT_BITMAP_TIMES_ROMAN_24, status);
}

// In place of a photo that cannot be shown, its thumbnail from the city,
// enlarged as a photo of the thumbnails' 4 : 3 would be.
void Gallery::drawStandIn() const
{
    const TextureName thumbnail = paging.standInThumbnail();
    if (thumbnail == 0)
        return;
    glPushMatrix();
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glTranslatef(0.0f, 0.0f, -5.0f);
    const PictureScale scale = pictureScale(thumbnailWidth, thumbnailHeight, paging.getZoom());
    glScalef(scale.x, scale.y, 1.0f);
    if (photos != nullptr)
        photos->bind(thumbnail);
    else
        bindTexture(thumbnail);
    glCallList(quadList);
    unbindPhoto();
    glPopMatrix();
}

// One line, centred above the caption bar, white on a dark shadow; a line
// wider than the window starts at its left edge, where a raster position
// is still valid.
void Gallery::drawProblem(int halfWidth, int halfHeight) const
{
    const std::string text = paging.problemText();
    if (text.empty())
        return;
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.c_str());
    const int left = std::max(8 - halfWidth, -glutBitmapLength(GLUT_BITMAP_HELVETICA_18, bytes) / 2);
    disableGl(GlState::depthTest | GlState::texturing);
    useBlendFunction(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(0.0f, 0.0f, 0.0f, 0.9f);
    glRasterPos2i(left + 1, 51 - halfHeight);
    drawText(GLUT_BITMAP_HELVETICA_18, text);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glRasterPos2i(left, 52 - halfHeight);
    drawText(GLUT_BITMAP_HELVETICA_18, text);
}
