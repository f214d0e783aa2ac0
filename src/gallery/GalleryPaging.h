// GalleryPaging: which photo the gallery shows and what it waits for. Opening
// a record's photo, stepping to the next and previous with a cross-fade,
// waiting for photos the loader decodes ahead, the slideshow, zoom and pan,
// and what can be said about a photo that cannot be shown. No GL and no
// input: the gallery draws what this holds and turns keys into its steps.
#pragma once

#include <map>
#include <string>

#include "gallery/GalleryRules.h"
#include "gallery/PhotoLoader.h"
#include "gallery/PictureSlot.h"

class MonthQuarter;

class GalleryPaging {
public:
    // Photos come from loader, which must outlive it.
    explicit GalleryPaging(PhotoLoader* loader);
    ~GalleryPaging();
    GalleryPaging(const GalleryPaging&) = delete;
    GalleryPaging& operator=(const GalleryPaging&) = delete;

    // Shows the photo of the record's picture (its texture index): one
    // cross-fade of the photo with itself, the slideshow paused.
    void load(MonthQuarter* record, int picture);
    // One frame's time: the fade, the slideshow, the zoom held, what awaits.
    void advance(double dt);
    void showNext();
    void showPrevious();
    void togglePause() { paused = !paused; }
    // Zoom 1, centred.
    void fit();
    // +1 zooms in from the next frame on, -1 out, 0 stops.
    void holdZoom(int direction) { zoomDirection = direction; }
    // Moves a zoomed photo by (dx, dy) view units, its edges never inside the view.
    void panBy(float dx, float dy);
    // The wheel's notches at `point` (view units from the centre): the
    // photo's point there stays put unless an edge would come inside the view.
    void zoomAt(int notches, PicturePan point);

    // What the frames show.
    const PictureSlot& shownPhoto() const { return current; }
    const PictureSlot& incomingPhoto() const { return incoming; }
    float incomingWeight() const;   // during a fade, 0 to 1
    // The picture's thumbnail for a photo that cannot be shown, else 0.
    TextureName standInThumbnail() const;
    int getIndex() const { return index; }
    float getZoom() const { return zoom; }
    PicturePan getPan() const { return pan; }
    bool isFading() const { return fading; }
    // A change on its way: fading, or waiting for its photo.
    bool isChanging() const { return fading || awaited != Awaited::None; }
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

    PhotoLoader* loader;
    float clock = 0.0f;
    bool paused = true;
    float zoom = 1.0f;
    int zoomDirection = 0;
    PicturePan pan;
    MonthQuarter* record = nullptr;
    int index = -1;
    PictureSlot current;
    PictureSlot incoming;
    PictureSlot previous;
    PictureSlot next;
    float fadeTime = 0.0f;
    bool fading = false;
    bool loadingNotice = false;       // in the frame that ended a change, or while one waits
    Awaited awaited = Awaited::None;
    // Reported once, not tried again until the next load; each with the
    // line the screen gives for it.
    std::map<int, std::string> refusedPhotos;
    int liveTextures = 0;             // uploaded and not yet released
};
