// The photo and its XMP sidecar are opened once and the photo passes the
// gate here; a decoder process reads their dates and makes the thumbnail
// from those descriptors (makeThumbnail), and the date is chosen and the
// thumbnail written here. The check of a preview-made thumbnail decodes
// the photo in a decoder too.
#include "PhotoReader.h"

#include <sys/stat.h>

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "NameDate.h"
#include "OutputFiles.h"
#include "PhotoPaths.h"
#include "photos/DecoderPool.h"
#include "photos/PhotoFile.h"
#include "photos/RawPreview.h"

namespace photoindex {

namespace {


// The photo at path, opened once; problem (and unreadable) says why not.
bool openPhotoFile(const PhotoFile& file, std::string* problem, bool* unreadable)
{
    if (file.state() == PhotoFile::State::NotRegular) {
        *problem = "not a regular file";
        return false;
    }
    if (file.state() != PhotoFile::State::Open) {
        *problem = std::string("cannot be read: ") + std::strerror(file.error());
        *unreadable = true;
        return false;
    }
    return true;
}

// The first of the photo's XMP sidecars that is a regular file with
// something in it, opened as photos are: never waiting on a FIFO.
std::unique_ptr<PhotoFile> sidecarOf(const std::string& path)
{
    for (const std::string& candidate : sidecarPaths(path)) {
        auto sidecar = std::make_unique<PhotoFile>(candidate);
        struct stat about {};
        if (sidecar->state() == PhotoFile::State::Open && fstat(sidecar->descriptor(), &about) == 0 &&
            about.st_size > 0)
            return sidecar;
    }
    return nullptr;
}

}  // namespace

void PhotoReader::DecodeBudget::take(uint64_t bytes)
{
    std::unique_lock<std::mutex> lock(mutex);
    freed.wait(lock, [&] { return taken == 0 || taken + bytes <= photoDecodeBudgetBytes; });
    taken += bytes;
}

void PhotoReader::DecodeBudget::give(uint64_t bytes)
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        taken -= bytes;
    }
    freed.notify_all();
}

unsigned readingThreads() { return std::max(1u, std::min(8u, std::thread::hardware_concurrency())); }

// One decoder a reading thread: the run's threads never wait for one.
PhotoReader::PhotoReader() : decoders(decoderProgramPath(), readingThreads(), photoDeadlineSeconds) {}

PhotoReading PhotoReader::read(const std::string& path, const std::string& thumbnailPath,
                       const LocalDate& fileDate, const LocalDate& now)
{
    PhotoReading reading;
    // Opened once: a file swapped or turned into a FIFO since the walk
    // reaches no decoder.
    const PhotoFile file(path);
    if (!openPhotoFile(file, &reading.problem, &reading.unreadable))
        return reading;
    DecodeRequest request;
    request.op = DecodeOp::Thumbnail;
    request.rawName = isRawName(path);
    request.header = file.readHeader();
    // A RAW-named photo goes to LibRaw ungated: the decoder gates it by its
    // content when LibRaw does not take it.
    reading.problem = request.rawName ? "" : photoProblem(request.header);
    if (!reading.problem.empty())
        return reading;
    const std::unique_ptr<PhotoFile> sidecar = sidecarOf(path);
    DecodeReply reply;
    std::vector<unsigned char> jpeg;
    std::string failure;
    {
        const DecodeBudget::Share share(budget, photoProblem(request.header).empty() ? photoDecodeBytes(request.header) : 0);
        if (!decoders.decode(request, file.descriptor(), &reply, &jpeg, &failure,
                              sidecar ? sidecar->descriptor() : -1)) {
            reading.problem = failure;
            return reading;
        }
    }
    reading.fromPreview = reply.fromPreview;
    reading.damaged = reply.damaged;
    if (!reply.done) {
        reading.problem = reply.problem;
        return reading;
    }
    const DateTexts dates{reply.dates[0], reply.dates[1], reply.dates[2], reply.dates[3]};
    LocalDate named;
    const bool hasNamedDate = dateFromName(path.substr(path.rfind('/') + 1), now, &named);
    reading.date = chooseDate(dates, hasNamedDate ? &named : nullptr, fileDate, now);
    if (reading.date.source == DateSource::none) {
        reading.problem = "no date between 1900 and today";
        return reading;
    }
    reading.outputProblem = replaceFile(thumbnailPath, jpeg.data(), jpeg.size(), false);
    return reading;
}

PreviewCheck PhotoReader::checkPreview(const std::string& path, const std::string& thumbnailPath)
{
    PreviewCheck check;
    const PhotoFile file(path);
    bool unreadable = false;
    if (!openPhotoFile(file, &check.problem, &unreadable))
        return check;
    DecodeRequest request;
    request.op = DecodeOp::PreviewCheck;
    request.header = file.readHeader();
    check.problem = photoProblem(request.header);
    if (!check.problem.empty())
        return check;
    // Our own thumbnail, but read where hostile bytes are: the library's
    // folder is the user's too.
    const PhotoFile thumbnail(thumbnailPath);
    DecodeReply reply;
    std::vector<unsigned char> jpeg;
    std::string failure;
    {
        const DecodeBudget::Share share(budget, photoDecodeBytes(request.header));
        if (!decoders.decode(request, file.descriptor(), &reply, &jpeg, &failure,
                              thumbnail.state() == PhotoFile::State::Open ? thumbnail.descriptor() : -1)) {
            check.problem = failure;
            return check;
        }
    }
    if (!reply.done) {
        check.problem = reply.problem;
        return check;
    }
    check.checked = true;
    if (reply.differs) {
        check.outputProblem = replaceFile(thumbnailPath, jpeg.data(), jpeg.size(), false);
        check.replaced = check.outputProblem.empty();
    }
    return check;
}

}  // namespace photoindex
