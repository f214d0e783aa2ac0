// The full-screen view of one house's photos: one photo at a time, a
// cross-fade on every change, zoom, a slideshow every 8 s and a caption.
// The state of a frame (advance) is kept apart from its drawing (render), so
// the stepping, fading and slideshow rules run without a window.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "controls/InputControl.h"
#include "gallery/GalleryRules.h"
#include "gallery/PhotoLoader.h"
#include "gallery/PictureSlot.h"

class MonthQuarter;

class Gallery : public InputControl {
public:
    // Makes no GL call: the gallery's own texture and display list are made
    // by its first frame, and freed with it. The viewer's gallery decodes photos with its own
    // libvips loader on a worker thread; another loader is only borrowed.
    Gallery();
    explicit Gallery(PhotoLoader* loader);
    ~Gallery() override;
    Gallery(const Gallery&) = delete;
    Gallery& operator=(const Gallery&) = delete;

    // Shows the photo of the record's picture (its texture index): one
    // cross-fade of the photo with itself, the slideshow paused.
    void load(MonthQuarter* record, int picture);
    // One frame: advance, then render, which ends in the default GL state.
    void draw(double dt);
    void advance(double dt);
    void render();

    void showNext();
    void showPrevious();

    // '0' fits the photo again: zoom 1, centred.
    void keyboard(unsigned char key, int x, int y) override;
    void keyboardUp(unsigned char key, int x, int y) override;
    void special(int key, int x, int y) override;
    void specialUp(int key, int x, int y) override;
    // Dragging with the left button moves a zoomed photo.
    void mouse(int button, int state, int x, int y) override;
    void motion(int x, int y) override;
    void passiveMotion(int, int) override {}

    // What the frames show.
    const PictureSlot& shownPhoto() const { return current; }
    int getIndex() const { return index; }
    float getZoom() const { return zoom; }
    PicturePan getPan() const { return pan; }
    bool isFading() const { return fading; }
    bool showsLoadingNotice() const { return loadingNotice; }
    bool awaitsPhoto() const { return awaited != Awaited::None; }
    std::string statusText() const;   // "PAUSED", the countdown digit, or ""
    std::string caption() const;
    // Why the photo shown cannot be, or "" when it can (or is not known yet).
    std::string problemText() const;

private:
    // A change asked for whose photo is not decoded yet: it goes ahead in
    // the first frame that finds the photo ready.
    enum class Awaited { None, Open, Next, Previous };

    int photoCount() const;
    int nextPhoto() const;
    const std::string* photoPath(int photo) const;
    bool readyToShow(int photo);
    void takeAwaited();
    void openPhoto();
    void stepForward();
    void stepBack();
    bool loadScaledTexture(int photo, PictureSlot* slot);
    void setSlot(PictureSlot* slot, PictureSlot value);
    bool holds(TextureName texture) const;
    bool wantsNext() const;
    bool wantsPrevious() const;
    void prefetchNeighbours();
    void prepareNeighbour();
    void startFade();

    void createGlResources();
    void applyPictureScale(const PictureSlot& slot) const;
    void drawPhoto(const PictureSlot& slot, float alpha, float z) const;
    void drawCaptionBar(int halfWidth, int halfHeight) const;
    void drawCaption(int halfWidth, int halfHeight) const;
    void drawNotices(int halfWidth, int halfHeight) const;
    void drawRefusedPhoto() const;
    void drawProblem(int halfWidth, int halfHeight) const;

    std::unique_ptr<PhotoLoader> ownDecoder, ownLoader;   // the viewer's, the second using the first
    PhotoLoader* loader;
    float clock = 0.0f;
    TextureName overlayTexture = 0;
    bool paused = true;
    float zoom = 1.0f;
    int zoomDirection = 0;
    PicturePan pan;
    bool dragging = false;
    int dragX = 0, dragY = 0;         // window pixels where the drag was last seen
    int viewWidth = 1024, viewHeight = 768;   // the viewport of the last frame
    MonthQuarter* record = nullptr;
    int index = -1;
    PictureSlot current;
    PictureSlot incoming;
    PictureSlot previous;
    PictureSlot next;
    unsigned int quadList = 0;
    float fadeTime = 0.0f;
    bool fading = false;
    bool loadingNotice = false;       // in the frame that ended a change, or while one waits
    Awaited awaited = Awaited::None;
    // Reported once, not tried again until the next load; each with the
    // line the screen gives for it.
    std::map<int, std::string> refusedPhotos;
    int liveTextures = 0;             // uploaded and not yet released
};
