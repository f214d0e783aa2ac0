// One status line redrawn in place with a carriage return, at most ten
// times a second; messages clear it, print, and draw it again.
#include "Progress.h"

#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>

namespace photoindex {

namespace {

const int barWidth = 30;
const auto redrawEvery = std::chrono::milliseconds(100);

std::string minutesAndSeconds(double seconds)
{
    const long whole = static_cast<long>(seconds + 0.5);
    char text[32];
    std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
    return text;
}

}  // namespace

void Progress::scanning(size_t found)
{
    std::lock_guard<std::mutex> guard(lock);
    draw("Scanning: " + std::to_string(found) + " photos found", false);
}

void Progress::start(size_t count)
{
    std::lock_guard<std::mutex> guard(lock);
    total = count;
    done = 0;
    started = Clock::now();
    draw(barLine(), true);
    reportCounts(true);
}

void Progress::advance()
{
    std::lock_guard<std::mutex> guard(lock);
    ++done;
    draw(barLine(), done == total);
    reportCounts(done == total);
}

void Progress::message(const std::string& line)
{
    std::lock_guard<std::mutex> guard(lock);
    const std::string bar = current;
    if (shown && !current.empty())
        std::fputs("\r\033[K", stderr);
    std::fprintf(stderr, "%s\n", line.c_str());
    current.clear();
    if (!bar.empty())
        draw(bar, true);
    std::fflush(stderr);
}

void Progress::finish()
{
    std::lock_guard<std::mutex> guard(lock);
    if (shown && !current.empty())
        std::fputs("\n", stderr);
    current.clear();
    std::fflush(stderr);
}

std::string Progress::barLine() const
{
    const double seconds = std::chrono::duration<double>(Clock::now() - started).count();
    const int filled = total ? static_cast<int>(barWidth * done / total) : barWidth;
    std::string line = std::to_string(done) + "/" + std::to_string(total) + " [" +
                       std::string(filled, '#') + std::string(barWidth - filled, '.') + "]";
    if (done > 0 && seconds > 0) {
        const double rate = done / seconds;
        char figures[64];
        std::snprintf(figures, sizeof figures, " %.1f photos/s", rate);
        line += figures + std::string(" ") + minutesAndSeconds((total - done) / rate) + " left";
    }
    return line;
}

void Progress::draw(const std::string& line, bool now)
{
    if (!shown)
        return;
    const Clock::time_point time = Clock::now();
    if (!now && !current.empty() && time - lastDrawn < redrawEvery)
        return;
    lastDrawn = time;
    current = line;
    std::fprintf(stderr, "\r%s\033[K", line.c_str());
    std::fflush(stderr);
}

void Progress::reportCounts(bool now)
{
    // A pass with nothing to do (no preview left to check) says nothing.
    if (countsPipe < 0 || total == 0)
        return;
    const Clock::time_point time = Clock::now();
    if (!now && time - lastCounted < redrawEvery)
        return;
    lastCounted = time;
    const std::string line = std::to_string(done) + " " + std::to_string(total) + "\n";
    // The reader may have gone: a short or failed write only loses a count.
    if (write(countsPipe, line.data(), line.size()) < 0)
        return;
}

int progressPipeFromEnvironment()
{
    const char* named = std::getenv("ZANDERVALE_PROGRESS_FD");
    char* end = nullptr;
    const long fd = named != nullptr ? std::strtol(named, &end, 10) : -1;
    struct stat status;
    if (named == nullptr || *end != '\0' || fd < 3 || fd > 1024 || fstat(static_cast<int>(fd), &status) != 0 ||
        !S_ISFIFO(status.st_mode))
        return -1;
    // A viewer closed mid-run must not end the run: its library is still made.
    std::signal(SIGPIPE, SIG_IGN);
    return static_cast<int>(fd);
}

}  // namespace photoindex
