// Gallery: the full-screen view of one house's photos, one photo at a time,
// a cross-fade on every change, zoom, a slideshow every 8 s and a caption.
// It draws what its paging holds and turns keys and the mouse into paging
// steps; which photo shows and what is awaited is GalleryPaging's, so those
// rules run without a window.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "controls/InputControl.h"
#include "gallery/GalleryPaging.h"

class MonthQuarter;
class PhotoAtlas;

class Gallery : public InputControl {
public:
    // The window's width and height in pixels, read when the mouse drags
    // or the wheel turns.
    using ViewSize = std::function<std::pair<int, int>()>;

    // Makes no GL call: the gallery's own texture and display list are made
    // by its first frame, and freed with it. The viewer's gallery decodes
    // photos with its own libvips loader on a worker thread and reads the
    // size of GLUT's window; another loader is only borrowed, and the window
    // is the viewer's first, 1024 x 768, unless viewSize tells otherwise.
    // A photo that cannot be shown stands in as its thumbnail from photos
    // (without them, as its own texture).
    explicit Gallery(const PhotoAtlas& photos);
    explicit Gallery(PhotoLoader* loader, ViewSize viewSize = [] { return std::make_pair(1024, 768); },
                     const PhotoAtlas* photos = nullptr);
    ~Gallery() override;
    Gallery(const Gallery&) = delete;
    Gallery& operator=(const Gallery&) = delete;

    void load(MonthQuarter* record, int picture) { paging.load(record, picture); }
    // One frame: advance, then render, which ends in the default GL state.
    void draw(double dt);
    void advance(double dt) { paging.advance(dt); }
    void render();

    // '0' fits the photo again: zoom 1, centred.
    void keyboard(unsigned char key, int x, int y) override;
    void keyboardUp(unsigned char key, int x, int y) override;
    void special(int key, int x, int y) override;
    void specialUp(int key, int x, int y) override;
    // Dragging with the left button moves a zoomed photo; the wheel zooms
    // around the pointer.
    void mouse(int button, int state, int x, int y) override;
    void motion(int x, int y) override;
    void passiveMotion(int, int) override {}

    // What the frames show.
    const GalleryPaging& shown() const { return paging; }

private:
    void createGlResources();
    void drawPhoto(const PictureSlot& slot, float alpha, float z) const;
    void drawCaptionBar(int halfWidth, int halfHeight) const;
    void drawCaption(int halfWidth, int halfHeight) const;
    void drawNotices(int halfWidth, int halfHeight) const;
    void drawStandIn() const;
    // A window pixel in view units from the centre.
    PicturePan viewPoint(int x, int y) const;
    void drawProblem(int halfWidth, int halfHeight) const;

    const PhotoAtlas* photos;   // not owned; may be null
    std::unique_ptr<PhotoLoader> ownDecoder, ownLoader;   // the viewer's, the second using the first
    GalleryPaging paging;   // after the loaders: it releases its photos through them
    ViewSize viewSize;
    TextureName overlayTexture = 0;
    unsigned int quadList = 0;
    bool dragging = false;
    int dragX = 0, dragY = 0;         // window pixels where the drag was last seen
};
