// The queue is shared by the caller's thread and the worker under one
// mutex; decoding itself runs unlocked, so the caller never waits on the
// lock for longer than a list walk.
#include "gallery/PrefetchingPhotoLoader.h"

#include <algorithm>
#include <chrono>
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
    auto job = find(jobs, path);
    if (job == jobs.end())
        job = jobs.insert(jobs.begin(), Job{path, State::Queued, DecodedPhoto{}});
    else if (job->state == State::Queued)
        jobs.splice(jobs.begin(), jobs, job);
    wake.notify_one();
    finished.wait(lock, [&] { return job->state == State::Done; });
    DecodedPhoto photo = std::move(job->photo);
    jobs.erase(job);
    return photo;
}

void PrefetchingPhotoLoader::prefetch(const std::vector<std::string>& paths)
{
    std::list<Job> dropped;   // freed once the lock is let go
    {
        std::lock_guard<std::mutex> lock(mutex);
        std::list<Job> wanted;
        for (size_t i = 0; i < std::min(paths.size(), maxPhotos); ++i) {
            const auto job = find(jobs, paths[i]);
            if (job != jobs.end())
                wanted.splice(wanted.end(), jobs, job);
            else if (find(wanted, paths[i]) == wanted.end())
                wanted.push_back(Job{paths[i], State::Queued, DecodedPhoto{}});
        }
        // The worker writes to the job it decodes: that one stays until done.
        for (auto job = jobs.begin(); job != jobs.end();) {
            const auto here = job++;
            std::list<Job>& to = here->state == State::Decoding ? wanted : dropped;
            to.splice(to.end(), jobs, here);
        }
        jobs.swap(wanted);
    }
    wake.notify_one();
}

bool PrefetchingPhotoLoader::ready(const std::string& path)
{
    std::lock_guard<std::mutex> lock(mutex);
    const auto job = find(jobs, path);
    return job != jobs.end() && job->state == State::Done;
}

bool PrefetchingPhotoLoader::awaitReady(const std::string& path, double seconds)
{
    std::unique_lock<std::mutex> lock(mutex);
    return finished.wait_for(lock, std::chrono::duration<double>(seconds), [&] {
        const auto job = find(jobs, path);
        return job != jobs.end() && job->state == State::Done;
    });
}

std::list<PrefetchingPhotoLoader::Job>::iterator PrefetchingPhotoLoader::find(std::list<Job>& list,
                                                                             const std::string& path)
{
    return std::find_if(list.begin(), list.end(), [&](const Job& job) { return job.path == path; });
}

// A job's address stays fixed while the lists around it are spliced, and a
// job being decoded is never erased.
void PrefetchingPhotoLoader::work()
{
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
        Job* job = nullptr;
        wake.wait(lock, [&] {
            const auto queued = std::find_if(jobs.begin(), jobs.end(),
                                             [](const Job& j) { return j.state == State::Queued; });
            job = queued != jobs.end() ? &*queued : nullptr;
            return stopping || job != nullptr;
        });
        if (stopping)
            return;
        job->state = State::Decoding;
        const std::string path = job->path;
        lock.unlock();
        DecodedPhoto photo = decoder->decode(path);
        lock.lock();
        job->photo = std::move(photo);
        job->state = State::Done;
        finished.notify_all();
    }
}
