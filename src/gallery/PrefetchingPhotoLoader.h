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
#include <vector>

#include "gallery/PhotoLoader.h"

class PrefetchingPhotoLoader : public PhotoLoader {
public:
    // At most this many photos are queued or kept decoded (3 MB each) for
    // the caller: the gallery wants two neighbours at a time, or the one
    // photo it waits for.
    static constexpr size_t maxPhotos = 2;

    explicit PrefetchingPhotoLoader(PhotoLoader* decoder);   // not owned
    ~PrefetchingPhotoLoader() override;
    PrefetchingPhotoLoader(const PrefetchingPhotoLoader&) = delete;
    PrefetchingPhotoLoader& operator=(const PrefetchingPhotoLoader&) = delete;

    // The photo decoded ahead, waiting for the worker if it is not done; a
    // photo not yet started goes to the front of the queue. Only the worker
    // decodes, so two decodes never hold their buffers at the same time.
    DecodedPhoto decode(const std::string& path) override;
    // Queues the first maxPhotos paths in their order and drops whatever is
    // queued or decoded for another path.
    void prefetch(const std::vector<std::string>& paths) override;
    bool ready(const std::string& path) override;
    bool awaitReady(const std::string& path, double seconds) override;
    TextureName upload(const DecodedPhoto& photo) override { return decoder->upload(photo); }
    void release(TextureName texture) override { decoder->release(texture); }

private:
    enum class State { Queued, Decoding, Done };
    struct Job {
        std::string path;
        State state = State::Queued;
        DecodedPhoto photo;
    };
    static std::list<Job>::iterator find(std::list<Job>& list, const std::string& path);
    void work();

    PhotoLoader* decoder;
    std::mutex mutex;
    std::condition_variable wake;       // a job was queued, or the worker must stop
    std::condition_variable finished;   // a job is done
    std::list<Job> jobs;                // the first queued is decoded next
    bool stopping = false;
    std::thread worker;                 // started last: it reads the fields above
};
