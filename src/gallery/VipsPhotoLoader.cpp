// One decoder serves the gallery: it decodes one photo at a time anyway.
#include "gallery/VipsPhotoLoader.h"

#include <malloc.h>

#include <cstdio>
#include <mutex>

#include "photos/RawPreview.h"

VipsPhotoLoader::VipsPhotoLoader() : decoders(decoderProgramPath(), 1, photoDeadlineSeconds)
{
    // The allocator is the process's, so it is tuned once whoever asks.
    static std::once_flag tuned;
    std::call_once(tuned, [] {
        // Decoded photos (3 MB) are received on one thread and freed on
        // another. glibc would serve them from its per-thread heaps after the
        // first one, which keep their high-water mark; mapped, they go back.
        mallopt(M_MMAP_THRESHOLD, 1 << 20);
    });
}

DecodedPhoto VipsPhotoLoader::decode(const std::string& path)
{
    PhotoHeader header;
    DecodedPhoto photo;
    const PhotoFile file(path);
    DecodeRequest request;
    request.rawName = isRawName(path) && file.state() == PhotoFile::State::Open;
    // A RAW-named photo goes to LibRaw ungated: the decoder gates it by its
    // content when LibRaw does not take it.
    if (request.rawName)
        header = file.readHeader();
    else if (!admit(file, &header, &photo))
        return photo;
    request.op = DecodeOp::Square;
    request.header = header;
    request.side = textureSide;
    DecodeReply reply;
    std::string failure;
    if (!decoders.decode(request, file.descriptor(), &reply, &photo.pixels, &failure)) {
        std::printf("Decoding %s failed: %s\n", path.c_str(), failure.c_str());
        return refused(failure);
    }
    if (!reply.done)
        return refused(reply.problem);
    if (photo.pixels.size() != static_cast<size_t>(textureSide) * textureSide * 3)
        return refused("the decoder gave no square");
    photo.outcome = DecodedPhoto::Decoded;
    photo.side = textureSide;
    photo.width = reply.width;
    photo.height = reply.height;
    return photo;
}
