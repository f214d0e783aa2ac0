// The queue is shared by the caller's thread and the worker under one
// mutex; decoding itself runs unlocked, so the caller never waits on the
// lock for longer than a list walk.
#include "gallery/PrefetchingPhotoLoader.h"

#include <utility>

PrefetchingPhotoLoader::PrefetchingPhotoLoader(PhotoLoader* decoder)
    : decoder(decoder), worker(&PrefetchingPhotoLoader::work, this)
{
}

PrefetchingPhotoLoader::~PrefetchingPhotoLoader()
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        stopping = true;
    }
    wake.notify_all();
    worker.join();
}

DecodedPhoto PrefetchingPhotoLoader::decode(const std::string& path)
{
    std::unique_lock<std::mutex> lock(mutex);
    auto job = find(path);
    if (job == jobs.end() || job->state == State::Queued) {
        if (job != jobs.end())
            jobs.erase(job);
        dropQueued();
        lock.unlock();
        return decoder->decode(path);
    }
    finished.wait(lock, [&] { return job->state == State::Done; });
    DecodedPhoto photo = std::move(job->photo);
    jobs.erase(job);
    return photo;
}

void PrefetchingPhotoLoader::prefetch(const std::string& path)
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (find(path) != jobs.end())
            return;
        jobs.push_back(Job{path, State::Queued, DecodedPhoto{}});
        for (auto job = jobs.begin(); jobs.size() > maxPhotos && job != jobs.end();)
            job = job->state == State::Decoding ? std::next(job) : jobs.erase(job);
    }
    wake.notify_one();
}

bool PrefetchingPhotoLoader::ready(const std::string& path)
{
    std::lock_guard<std::mutex> lock(mutex);
    const auto job = find(path);
    return job != jobs.end() && job->state == State::Done;
}

std::list<PrefetchingPhotoLoader::Job>::iterator PrefetchingPhotoLoader::find(const std::string& path)
{
    for (auto job = jobs.begin(); job != jobs.end(); ++job) {
        if (job->path == path)
            return job;
    }
    return jobs.end();
}

void PrefetchingPhotoLoader::dropQueued()
{
    for (auto job = jobs.begin(); job != jobs.end();)
        job = job->state == State::Queued ? jobs.erase(job) : std::next(job);
}

// Jobs are taken oldest first: the gallery asks for the next photo before
// the previous one.
void PrefetchingPhotoLoader::work()
{
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
        auto job = jobs.end();
        wake.wait(lock, [&] {
            for (job = jobs.begin(); job != jobs.end() && job->state != State::Queued; ++job) {
            }
            return stopping || job != jobs.end();
        });
        if (stopping)
            return;
        job->state = State::Decoding;
        const std::string path = job->path;
        lock.unlock();
        DecodedPhoto photo = decoder->decode(path);
        lock.lock();
        job->photo = std::move(photo);   // a Decoding job is never erased
        job->state = State::Done;
        finished.notify_all();
    }
}
