// Decodes the photos the gallery asks for ahead of time on a worker thread,
// so that its frames only take finished photos and upload them. Wraps a
// loader whose decode is safe on any thread; GL stays with the caller, and
// all calls come from that one thread.
#pragma once

#include <condition_variable>
#include <list>
#include <mutex>
#include <string>
#include <thread>

#include "gallery/PhotoLoader.h"

class PrefetchingPhotoLoader : public PhotoLoader {
public:
    // At most this many photos are queued or kept decoded (3 MB each): the
    // gallery asks for two neighbours at a time. The oldest that is not
    // being decoded makes room.
    static constexpr size_t maxPhotos = 2;

    explicit PrefetchingPhotoLoader(PhotoLoader* decoder);   // not owned
    ~PrefetchingPhotoLoader() override;
    PrefetchingPhotoLoader(const PrefetchingPhotoLoader&) = delete;
    PrefetchingPhotoLoader& operator=(const PrefetchingPhotoLoader&) = delete;

    // The photo decoded ahead, waiting if the worker is on it; a photo not
    // yet started is decoded here, and what was queued behind it dropped:
    // the caller has moved on and asks again for what it still wants.
    DecodedPhoto decode(const std::string& path) override;
    void prefetch(const std::string& path) override;
    bool ready(const std::string& path) override;
    TextureName upload(const DecodedPhoto& photo) override { return decoder->upload(photo); }
    void release(TextureName texture) override { decoder->release(texture); }

private:
    enum class State { Queued, Decoding, Done };
    struct Job {
        std::string path;
        State state = State::Queued;
        DecodedPhoto photo;
    };
    std::list<Job>::iterator find(const std::string& path);
    void dropQueued();
    void work();

    PhotoLoader* decoder;
    std::mutex mutex;
    std::condition_variable wake;       // a job was queued, or the worker must stop
    std::condition_variable finished;   // a job is done
    std::list<Job> jobs;                // oldest first
    bool stopping = false;
    std::thread worker;                 // started last: it reads the fields above
};
