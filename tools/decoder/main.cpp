// zandervale-decoder: the process both programs hand each photo to for
// decoding, started by their DecoderPool with its socket as descriptor 3.
// It starts libvips, then serves the gallery's squares and the library
// builder's thumbnails under its limits and filter until its program goes.
#include <malloc.h>
#include <unistd.h>
#include <vips/vips.h>

#include <cstdio>

#include "PhotoThumbnail.h"
#include "gallery/PhotoSquare.h"
#include "photos/DecoderWorker.h"
#include "photos/VipsPhotos.h"

namespace {

void quiet(const gchar*, GLogLevelFlags, const gchar*, gpointer) {}

void decode(const DecodeRequest& request, int fd, DecodeReply* reply, std::vector<unsigned char>* payload)
{
    if (request.op == DecodeOp::Thumbnail || request.op == DecodeOp::PreviewCheck) {
        photoindex::makeThumbnail(request, fd, reply, payload);
        return;
    }
    // The square is the gallery's texture: no larger than GL textures go.
    DecodedPhoto photo = request.side > 0 && request.side <= 8192
                             ? decodePhotoSquare(fd, request.header, request.rawName, request.side)
                             : DecodedPhoto{};
    reply->done = photo.outcome == DecodedPhoto::Decoded;
    reply->width = photo.width;
    reply->height = photo.height;
    std::snprintf(reply->problem, sizeof reply->problem, "%s", photo.reason.c_str());
    *payload = std::move(photo.pixels);
}

}  // namespace

int main(int, char** argv)
{
    if (!startVipsForPhotos(argv[0]))
        return 1;
    // Photos are read once each: a cache would only hold their files open.
    vips_cache_set_max(0);
    // One photo at a time; the programs run as many decoders as they want
    // photos decoded at once.
    vips_concurrency_set(1);
    // A damaged photo that still decodes gets its picture; libvips'
    // warnings about it would only tear up the library builder's progress bar.
    g_log_set_handler("VIPS", G_LOG_LEVEL_WARNING, quiet, nullptr);
    // Each arena reserves 64 MB of address space, counted by the limit.
    mallopt(M_ARENA_MAX, 2);
    // _exit: LeakSanitizer's exit check would trace the process, which its
    // filter forbids, and the decoder has nothing to flush.
    _exit(serveDecodeRequests(decode));
}
