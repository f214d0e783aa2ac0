// The gallery's paging, fading and slideshow, and its frame.
#include "gallery/Gallery.h"

#include <GL/freeglut.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "gallery/GalleryRules.h"
#include "gallery/PrefetchingPhotoLoader.h"
#include "gallery/VipsPhotoLoader.h"
#include "library/MonthQuarter.h"
#include "textures/Textures.h"

namespace {

constexpr float fadeSeconds = 1.571f;      // a quarter turn of sin: the weights reach 1 and 0
constexpr float slideshowSeconds = 8.0f;
// While a change waits for its photo, each frame lends the decoding thread
// the main thread's core for this long at most: drawn back to back, frames
// that show nothing new left the decoder so little of two cores that the
// photo came after twice the time a decode takes alone.
constexpr double decodeWaitSeconds = 0.010;
constexpr unsigned char spaceKey = 32;
// The indexer's thumbnails; the shape a refused photo's stand-in is drawn in.
constexpr int thumbnailWidth = 128;
constexpr int thumbnailHeight = 96;

// For long runs that watch for leaks (make soak): the number of photo
// textures the gallery holds goes to standard error whenever a change ends.
const bool reportTextures = std::getenv("ZANDERVALE_GALLERY_TEXTURES") != nullptr;

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

Gallery::Gallery()
    : ownDecoder(std::make_unique<VipsPhotoLoader>()),
      ownLoader(std::make_unique<PrefetchingPhotoLoader>(ownDecoder.get())), loader(ownLoader.get())
{
}

Gallery::Gallery(PhotoLoader* loader) : loader(loader) {}

Gallery::~Gallery()
{
    for (PictureSlot* slot : {&current, &incoming, &previous, &next})
        setSlot(slot, PictureSlot{});
    if (quadList != 0)
        glDeleteLists(quadList, 1);
    if (overlayTexture != 0)
        deleteTextures(1, &overlayTexture);
}

void Gallery::load(MonthQuarter* newRecord, int picture)
{
    fadeTime = 0.0f;
    clock = 0.0f;
    zoom = 1.0f;
    pan = PicturePan{};
    for (PictureSlot* slot : {&current, &incoming, &previous, &next})
        setSlot(slot, PictureSlot{});
    fading = false;
    loadingNotice = false;
    paused = true;
    zoomDirection = 0;
    record = newRecord;
    refusedPhotos.clear();
    awaited = Awaited::None;
    index = record != nullptr ? record->getPhotoIndex(picture) : -1;
    if (index < 0) {
        std::printf("Error: no photo listed for this picture\n");
        return;
    }
    awaited = Awaited::Open;
    takeAwaited();
}

void Gallery::openPhoto()
{
    if (!loadScaledTexture(index, &current))
        return;
    setSlot(&incoming, current);
    fading = true;
}

void Gallery::draw(double dt)
{
    advance(dt);
    render();
}

void Gallery::advance(double dt)
{
    loadingNotice = false;
    clock += static_cast<float>(dt);
    zoom = nextZoom(zoom, zoomDirection, dt);
    pan = clampPan(pan, pictureScale(current.width, current.height, zoom));   // zooming out pulls it in
    if (awaited != Awaited::None) {
        takeAwaited();
        return;
    }
    if (fading) {
        fadeTime += static_cast<float>(dt);
        if (fadeTime >= fadeSeconds) {
            setSlot(&current, incoming);
            setSlot(&incoming, PictureSlot{});
            fading = false;
            loadingNotice = true;   // the next frame may stall on a neighbour
            if (reportTextures)
                std::fprintf(stderr, "gallery textures: %d\n", liveTextures);
        }
        prefetchNeighbours();   // decoded meanwhile, off this thread
        return;
    }
    prepareNeighbour();
    if (!paused && clock > slideshowSeconds) {
        clock = 0.0f;
        showNext();
    }
}

void Gallery::showNext()
{
    zoom = 1.0f;
    pan = PicturePan{};
    if (fading || awaited != Awaited::None || photoCount() == 0)
        return;
    awaited = Awaited::Next;
    takeAwaited();
}

void Gallery::showPrevious()
{
    zoom = 1.0f;
    pan = PicturePan{};
    if (fading || awaited != Awaited::None || index < 1)   // no wrap backwards
        return;
    awaited = Awaited::Previous;
    takeAwaited();
}

// Until its photo is decoded the frame shows what it showed, and says that
// it is loading: a frame never waits for a whole decode of a loader that
// decodes ahead. A loader that does not is always ready, and the change
// happens in the call that asked for it.
void Gallery::takeAwaited()
{
    const int photo = awaited == Awaited::Open ? index : awaited == Awaited::Next ? nextPhoto() : index - 1;
    const PictureSlot* held = awaited == Awaited::Next ? &next : awaited == Awaited::Previous ? &previous : nullptr;
    if ((held == nullptr || held->empty()) && !readyToShow(photo)) {
        loader->prefetch({*photoPath(photo)});
        if (!loader->awaitReady(*photoPath(photo), decodeWaitSeconds)) {
            loadingNotice = true;
            return;
        }
    }
    const Awaited change = awaited;
    awaited = Awaited::None;
    if (change == Awaited::Open)
        openPhoto();
    else if (change == Awaited::Next)
        stepForward();
    else
        stepBack();
}

// A refused photo is not decoded again: its change goes ahead empty.
bool Gallery::readyToShow(int photo)
{
    const std::string* path = photoPath(photo);
    return path == nullptr || refusedPhotos.count(photo) != 0 || loader->ready(*path);
}

void Gallery::stepForward()
{
    // The photo that leaves the neighbours goes before a new one comes:
    // three photo textures at most.
    setSlot(&previous, PictureSlot{});
    index = nextPhoto() - 1;   // -1 when it wraps to the first photo
    if (next.empty())
        loadScaledTexture(index + 1, &next);
    ++index;
    setSlot(&incoming, next);
    setSlot(&next, PictureSlot{});
    setSlot(&previous, current);   // stays on screen until the fade ends
    startFade();
}

void Gallery::stepBack()
{
    setSlot(&next, PictureSlot{});
    if (previous.empty())
        loadScaledTexture(index - 1, &previous);
    --index;
    setSlot(&next, current);
    setSlot(&incoming, previous);
    setSlot(&previous, PictureSlot{});
    startFade();
}

void Gallery::startFade()
{
    fadeTime = 0.0f;
    clock = 0.0f;
    fading = true;
}

bool Gallery::wantsNext() const
{
    return next.empty() && index + 1 < photoCount() && refusedPhotos.count(index + 1) == 0;
}

bool Gallery::wantsPrevious() const
{
    return previous.empty() && index >= 1 && refusedPhotos.count(index - 1) == 0;
}

void Gallery::prefetchNeighbours()
{
    std::vector<std::string> wanted;
    if (wantsNext())
        wanted.push_back(*photoPath(index + 1));
    if (wantsPrevious())
        wanted.push_back(*photoPath(index - 1));
    loader->prefetch(wanted);
}

// One neighbour a frame at most, and only once the loader has it ready, so
// an idle frame never waits for a decode. The previous photo waits for the
// next one, which keeps their messages in order.
void Gallery::prepareNeighbour()
{
    prefetchNeighbours();
    if (wantsNext()) {
        if (loader->ready(*photoPath(index + 1)))
            loadScaledTexture(index + 1, &next);
        return;
    }
    if (wantsPrevious() && loader->ready(*photoPath(index - 1)))
        loadScaledTexture(index - 1, &previous);
}

void Gallery::keyboardUp(unsigned char key, int, int)
{
    if (key == spaceKey)
        paused = !paused;   // also while fading
}

void Gallery::keyboard(unsigned char key, int, int)
{
    if (key == '0') {
        zoom = 1.0f;
        pan = PicturePan{};
    }
}

void Gallery::mouse(int button, int state, int x, int y)
{
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
    const int width = std::max(1, viewWidth), height = std::max(1, viewHeight);
    pan.x += 8.0f * static_cast<float>(x - dragX) / static_cast<float>(width);
    pan.y -= 6.0f * static_cast<float>(y - dragY) / static_cast<float>(height);
    pan = clampPan(pan, pictureScale(current.width, current.height, zoom));
    dragX = x;
    dragY = y;
}

void Gallery::special(int key, int, int)
{
    if (fading)
        return;
    if (key == GLUT_KEY_UP)
        zoomDirection = 1;
    else if (key == GLUT_KEY_DOWN)
        zoomDirection = -1;
}

void Gallery::specialUp(int key, int, int)
{
    // A release ends a zoom even during a fade: ignored, it would zoom on
    // until the arrow was pressed again.
    if (key == GLUT_KEY_UP || key == GLUT_KEY_DOWN)
        zoomDirection = 0;
    if (fading || awaited != Awaited::None)
        return;
    if (key == GLUT_KEY_LEFT)
        showPrevious();
    else if (key == GLUT_KEY_RIGHT)
        showNext();
}

std::string Gallery::statusText() const
{
    if (paused)
        return "PAUSED";
    if (fading || awaited != Awaited::None)
        return "";
    return std::to_string(countdownDigit(clock));
}

std::string Gallery::caption() const
{
    const std::string* path = photoPath(index);
    return galleryCaption(index + 1, photoCount(), path != nullptr ? *path : std::string());
}

std::string Gallery::problemText() const
{
    if (fading || awaited != Awaited::None || !current.empty())
        return "";
    const auto refused = refusedPhotos.find(index);
    return refused != refusedPhotos.end() ? refused->second : "";
}

// Paging runs over the record's photos, so the caption counts those too.
int Gallery::photoCount() const
{
    return record != nullptr ? static_cast<int>(record->getOriginals().size()) : 0;
}

int Gallery::nextPhoto() const
{
    return index >= photoCount() - 1 ? 0 : index + 1;
}

const std::string* Gallery::photoPath(int photo) const
{
    if (photo < 0 || photo >= photoCount())
        return nullptr;
    return &record->getOriginals()[photo];
}

// A photo that cannot be shown is reported once per opening and not tried
// again, so a broken neighbour neither floods the console nor stalls frames.
bool Gallery::loadScaledTexture(int photo, PictureSlot* slot)
{
    const std::string* path = photoPath(photo);
    if (path == nullptr || refusedPhotos.count(photo) != 0)
        return false;
    const DecodedPhoto decoded = loader->decode(*path);
    if (decoded.outcome != DecodedPhoto::Decoded) {
        refusedPhotos[photo] = photoProblemLine(decoded.outcome == DecodedPhoto::NotFound, decoded.reason, *path);
        if (decoded.outcome == DecodedPhoto::NotFound)
            std::printf("Error: image %s not found!\n", path->c_str());
        else
            std::printf("Error: image %s cannot be shown: %s\n", path->c_str(),
                        decoded.reason.c_str());
        return false;
    }
    setSlot(slot, PictureSlot{loader->upload(decoded), decoded.width, decoded.height});
    ++liveTextures;
    return true;
}

// Slots share textures during a fade; a texture goes once no slot holds it.
void Gallery::setSlot(PictureSlot* slot, PictureSlot value)
{
    const TextureName old = slot->texture;
    *slot = value;
    if (old != 0 && !holds(old)) {
        loader->release(old);
        --liveTextures;
    }
}

bool Gallery::holds(TextureName texture) const
{
    return current.texture == texture || incoming.texture == texture ||
           previous.texture == texture || next.texture == texture;
}

// --- drawing -----------------------------------------------------------------

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
    if (fading) {
        const float weight = std::sin(fadeTime);
        drawPhoto(incoming, weight, -50.0f);
        drawPhoto(current, 1.0f - weight, -5.0f);
    } else {
        drawPhoto(current, 1.0f, -5.0f);
        drawRefusedPhoto();
    }
    // From here one unit is one pixel, (0, 0) the window centre; the window
    // is the viewport its reshape set.
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    viewWidth = viewport[2], viewHeight = viewport[3];
    const int halfWidth = viewWidth >> 1, halfHeight = viewHeight >> 1;
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

void Gallery::applyPictureScale(const PictureSlot& slot) const
{
    const PictureScale scale = pictureScale(slot.width, slot.height, zoom);
    glScalef(scale.x, scale.y, 1.0f);
}

void Gallery::drawPhoto(const PictureSlot& slot, float alpha, float z) const
{
    if (slot.empty())
        return;
    glPushMatrix();
    glColor4f(1.0f, 1.0f, 1.0f, alpha);
    glTranslatef(pan.x, pan.y, z);
    bindTexture(slot.texture);
    applyPictureScale(slot);
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
    const std::string text = caption();
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
    if (loadingNotice) {
        glColor4f(0.3f, 0.3f, 1.0f, 0.85f);
        glRasterPos2i(halfWidth - 150, halfHeight - 20);
        drawText(GLUT_BITMAP_TIMES_ROMAN_24, "... LOADING ...");
    }
    const std::string status = statusText();
    glColor4f(0.2f, 0.0f, 0.2f, 0.85f);
    glRasterPos2i(7 - halfWidth, halfHeight - 20);
    drawText(GLUT_BITMAP_TIMES_ROMAN_24, status);
    glColor4f(0.2f, 1.0f, 0.2f, 0.85f);
    glRasterPos2i(8 - halfWidth, halfHeight - 20);
    drawText(GLUT_BITMAP_TIMES_ROMAN_24, status);
}

// In place of a photo that cannot be shown, its thumbnail from the city,
// enlarged as a photo of the thumbnails' 4 : 3 would be.
void Gallery::drawRefusedPhoto() const
{
    if (problemText().empty())
        return;
    for (int picture = 0; picture < record->getPictureCount(); ++picture) {
        const TextureName thumbnail = record->getTextures()[picture];
        if (record->getPhotoIndex(picture) != index || thumbnail == 0)
            continue;
        glPushMatrix();
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        glTranslatef(0.0f, 0.0f, -5.0f);
        const PictureScale scale = pictureScale(thumbnailWidth, thumbnailHeight, zoom);
        glScalef(scale.x, scale.y, 1.0f);
        bindPhoto(thumbnail);
        glCallList(quadList);
        unbindPhoto();
        glPopMatrix();
        return;
    }
}

// One line, centred above the caption bar, white on a dark shadow; a line
// wider than the window starts at its left edge, where a raster position
// is still valid.
void Gallery::drawProblem(int halfWidth, int halfHeight) const
{
    const std::string text = problemText();
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
