// Drives the real zandervale binary in the X server of the test run: starts
// it with its output in a file, sends keys through xdotool, takes
// screenshots and waits for its exit.
#pragma once

#include <string>
#include <vector>

#include <sys/types.h>

namespace e2e {

// An RGB screenshot of the viewer's window.
struct Screenshot {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;   // row 0 is the top row

    // Fraction of the pixels in the rectangle for which test(r, g, b) holds.
    template <typename Test>
    double share(int left, int top, int right, int bottom, Test test) const
    {
        long hits = 0;
        long all = 0;
        for (int y = top; y < bottom && y < height; ++y)
            for (int x = left; x < right && x < width; ++x, ++all) {
                const unsigned char* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
                hits += test(p[0], p[1], p[2]) ? 1 : 0;
            }
        return all > 0 ? static_cast<double>(hits) / all : 0.0;
    }
    // Mean absolute difference per channel against another screenshot.
    double difference(const Screenshot& other) const;
};

class Viewer {
public:
    // Starts the viewer with the given arguments in the run directory.
    explicit Viewer(const std::vector<std::string>& arguments);
    ~Viewer();   // kills the viewer if it still runs
    Viewer(const Viewer&) = delete;
    Viewer& operator=(const Viewer&) = delete;

    // Waits until the window is mapped; false when the viewer ended first.
    bool waitForWindow(double seconds = 20.0);
    // Runs an xdotool command line (after "xdotool ") against the display.
    void xdotool(const std::string& commands) const;
    Screenshot screenshot() const;

    // Waits for the exit; returns the exit status, or -1 on a timeout or a
    // signal.
    int waitForExit(double seconds = 10.0);
    // Everything the viewer printed on standard output so far.
    std::string output() const;

private:
    pid_t pid = -1;
    std::string windowId;
    std::string outputPath;
    bool exited = false;
};

// Runs the viewer to its end and returns (status, standard output).
std::pair<int, std::string> runToExit(const std::vector<std::string>& arguments,
                                      double seconds = 20.0);

void pause(double seconds);

} // namespace e2e
