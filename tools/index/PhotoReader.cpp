// The photo is opened once and passes the gate here; a decoder process
// reads its EXIF dates and makes its thumbnail from that descriptor
// (makeThumbnail), and the date is chosen and the thumbnail written here.
#include "PhotoReader.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "NameDate.h"
#include "OutputFiles.h"
#include "photos/DecoderPool.h"
#include "photos/PhotoFile.h"
#include "photos/RawPreview.h"

namespace photoindex {

namespace {

// The decode budget is for the whole process: photos decoding on several
// workers at once together stay within it. A photo waits until what it
// needs is free; one alone always fits, since the gate refused larger ones.
class DecodeBudget {
public:
    void take(uint64_t bytes)
    {
        std::unique_lock<std::mutex> lock(mutex);
        freed.wait(lock, [&] { return taken == 0 || taken + bytes <= photoDecodeBudgetBytes; });
        taken += bytes;
    }
    void give(uint64_t bytes)
    {
        {
            std::lock_guard<std::mutex> lock(mutex);
            taken -= bytes;
        }
        freed.notify_all();
    }

private:
    std::mutex mutex;
    std::condition_variable freed;
    uint64_t taken = 0;
};

DecodeBudget decodeBudget;
std::unique_ptr<DecoderPool> decoders;

class BudgetShare {
public:
    explicit BudgetShare(uint64_t bytes) : bytes(bytes) { decodeBudget.take(bytes); }
    ~BudgetShare() { decodeBudget.give(bytes); }
    BudgetShare(const BudgetShare&) = delete;
    BudgetShare& operator=(const BudgetShare&) = delete;

private:
    uint64_t bytes;
};

}  // namespace

bool startPhotoReading(const char*)
{
    // One decoder a reading thread (as many as the run starts): the run's
    // threads never wait for one.
    const unsigned threads = std::max(1u, std::min(8u, std::thread::hardware_concurrency()));
    decoders = std::make_unique<DecoderPool>(decoderProgramPath(), threads, photoDeadlineSeconds);
    return true;
}

void stopPhotoReading() { decoders.reset(); }

PhotoReading readPhoto(const std::string& path, const std::string& thumbnailPath,
                       const LocalDate& fileDate, const LocalDate& now)
{
    PhotoReading reading;
    // Opened once: a file swapped or turned into a FIFO since the walk
    // reaches no decoder.
    const PhotoFile file(path);
    if (file.state() == PhotoFile::State::NotRegular) {
        reading.problem = "not a regular file";
        return reading;
    }
    if (file.state() != PhotoFile::State::Open) {
        reading.problem = std::string("cannot be read: ") + std::strerror(file.error());
        reading.unreadable = true;
        return reading;
    }
    DecodeRequest request;
    request.op = DecodeOp::Thumbnail;
    request.rawName = isRawName(path);
    request.header = file.readHeader();
    // A RAW-named photo goes to LibRaw ungated: the decoder gates it by its
    // content when LibRaw does not take it.
    reading.problem = request.rawName ? "" : photoProblem(request.header);
    if (!reading.problem.empty())
        return reading;
    DecodeReply reply;
    std::vector<unsigned char> jpeg;
    std::string failure;
    {
        const BudgetShare share(photoProblem(request.header).empty() ? photoDecodeBytes(request.header) : 0);
        if (!decoders->decode(request, file.descriptor(), &reply, &jpeg, &failure)) {
            reading.problem = failure;
            return reading;
        }
    }
    reading.fromPreview = reply.fromPreview;
    if (!reply.done) {
        reading.problem = reply.problem;
        return reading;
    }
    const std::string exif[3] = {reply.exif[0], reply.exif[1], reply.exif[2]};
    LocalDate named;
    const bool hasNamedDate = dateFromName(path.substr(path.rfind('/') + 1), now, &named);
    reading.date = chooseDate(exif, hasNamedDate ? &named : nullptr, fileDate, now);
    if (reading.date.source == DateSource::none) {
        reading.problem = "no date between 1900 and today";
        return reading;
    }
    reading.outputProblem = replaceFile(thumbnailPath, jpeg.data(), jpeg.size(), false);
    return reading;
}

}  // namespace photoindex
