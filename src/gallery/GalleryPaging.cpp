// The gallery's paging: slots and their textures, fades, the slideshow,
// zoom and pan, and the changes that wait for the loader.
#include "gallery/GalleryPaging.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "library/MonthQuarter.h"

namespace {

constexpr float fadeSeconds = 1.571f;      // a quarter turn of sin: the weights reach 1 and 0
constexpr float slideshowSeconds = 8.0f;
// While a change waits for its photo, each frame lends the decoding thread
// the main thread's core for this long at most: drawn back to back, frames
// that show nothing new left the decoder so little of two cores that the
// photo came after twice the time a decode takes alone.
constexpr double decodeWaitSeconds = 0.010;

// For long runs that watch for leaks (make soak): the number of photo
// textures the gallery holds goes to standard error whenever a change ends.
const bool reportTextures = std::getenv("ZANDERVALE_GALLERY_TEXTURES") != nullptr;

}  // namespace

GalleryPaging::GalleryPaging(PhotoLoader* loader) : loader(loader) {}

GalleryPaging::~GalleryPaging()
{
    for (PictureSlot* slot : {&current, &incoming, &previous, &next})
        setSlot(slot, PictureSlot{});
}

void GalleryPaging::load(MonthQuarter* newRecord, int picture)
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

void GalleryPaging::openPhoto()
{
    if (!loadScaledTexture(index, &current))
        return;
    setSlot(&incoming, current);
    fading = true;
}

void GalleryPaging::advance(double dt)
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

void GalleryPaging::showNext()
{
    zoom = 1.0f;
    pan = PicturePan{};
    if (fading || awaited != Awaited::None || photoCount() == 0)
        return;
    awaited = Awaited::Next;
    takeAwaited();
}

void GalleryPaging::showPrevious()
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
void GalleryPaging::takeAwaited()
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
bool GalleryPaging::readyToShow(int photo)
{
    const std::string* path = photoPath(photo);
    return path == nullptr || refusedPhotos.count(photo) != 0 || loader->ready(*path);
}

void GalleryPaging::stepForward()
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

void GalleryPaging::stepBack()
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

void GalleryPaging::startFade()
{
    fadeTime = 0.0f;
    clock = 0.0f;
    fading = true;
}

bool GalleryPaging::wantsNext() const
{
    return next.empty() && index + 1 < photoCount() && refusedPhotos.count(index + 1) == 0;
}

bool GalleryPaging::wantsPrevious() const
{
    return previous.empty() && index >= 1 && refusedPhotos.count(index - 1) == 0;
}

void GalleryPaging::prefetchNeighbours()
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
void GalleryPaging::prepareNeighbour()
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

std::string GalleryPaging::statusText() const
{
    if (paused)
        return "PAUSED";
    if (fading || awaited != Awaited::None)
        return "";
    return std::to_string(countdownDigit(clock));
}

std::string GalleryPaging::caption() const
{
    const std::string* path = photoPath(index);
    return galleryCaption(index + 1, photoCount(), path != nullptr ? *path : std::string());
}

std::string GalleryPaging::problemText() const
{
    if (fading || awaited != Awaited::None || !current.empty())
        return "";
    const auto refused = refusedPhotos.find(index);
    return refused != refusedPhotos.end() ? refused->second : "";
}

// Paging runs over the record's photos, so the caption counts those too.
int GalleryPaging::photoCount() const
{
    return record != nullptr ? static_cast<int>(record->getOriginals().size()) : 0;
}

int GalleryPaging::nextPhoto() const
{
    return index >= photoCount() - 1 ? 0 : index + 1;
}

const std::string* GalleryPaging::photoPath(int photo) const
{
    if (photo < 0 || photo >= photoCount())
        return nullptr;
    return &record->getOriginals()[photo];
}

// A photo that cannot be shown is reported once per opening and not tried
// again, so a broken neighbour neither floods the console nor stalls frames.
bool GalleryPaging::loadScaledTexture(int photo, PictureSlot* slot)
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
void GalleryPaging::setSlot(PictureSlot* slot, PictureSlot value)
{
    const TextureName old = slot->texture;
    *slot = value;
    if (old != 0 && !holds(old)) {
        loader->release(old);
        --liveTextures;
    }
}

bool GalleryPaging::holds(TextureName texture) const
{
    return current.texture == texture || incoming.texture == texture ||
           previous.texture == texture || next.texture == texture;
}

void GalleryPaging::fit()
{
    zoom = 1.0f;
    pan = PicturePan{};
}

void GalleryPaging::panBy(float dx, float dy)
{
    pan.x += dx;
    pan.y += dy;
    pan = clampPan(pan, pictureScale(current.width, current.height, zoom));
}

void GalleryPaging::zoomAt(int notches, PicturePan point)
{
    const float newZoom = wheelZoom(zoom, notches);
    pan = clampPan(panAround(pan, point, zoom, newZoom), pictureScale(current.width, current.height, newZoom));
    zoom = newZoom;
}

float GalleryPaging::incomingWeight() const
{
    return std::sin(fadeTime);
}

// The photo at this index is shown by the picture whose photo index it is.
TextureName GalleryPaging::standInThumbnail() const
{
    if (problemText().empty())
        return 0;
    for (int picture = 0; picture < record->getPictureCount(); ++picture)
        if (record->getPhotoIndex(picture) == index && record->getTextures()[picture] != 0)
            return record->getTextures()[picture];
    return 0;
}
