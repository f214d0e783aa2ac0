// Drives the real zandervale binary on an X server of its own, so end-to-end
// tests may run in parallel. No fixed sleeps: waits poll for what the test
// expects up to a deadline, which costs nothing when things go right.
//   e2e::Viewer v({libraryPath});
//   auto shot = v.waitFor([](const e2e::Screenshot& s) { return s.share(0, 0, s.width, s.height, red) > 0.1; },
//                         30.0, "a red house");   // a failure names it and keeps the last screenshot
//   v.key("Tab");  v.xdotool("keydown w");  v.click(512, 384);  v.closeWindow();
//   EXPECT_EQ(v.waitForExit(), 0);  EXPECT_EQ(v.output(), "...");
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

typedef struct _XDisplay Display;   // as Xlib declares it

namespace e2e {

// The viewer's window, RGB, row 0 on top; parts off the screen read black.
struct Screenshot {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;
    // Fraction of the pixels in the rectangle for which test(r, g, b) holds.
    template <typename Test> double share(int left, int top, int right, int bottom, Test test) const
    {
        long hits = 0, all = 0;
        for (int y = top; y < bottom && y < height; ++y)
            for (int x = left, i = (y * width + x) * 3; x < right && x < width; ++x, ++all, i += 3)
                hits += test(rgb[i], rgb[i + 1], rgb[i + 2]);
        return all > 0 ? static_cast<double>(hits) / all : 0.0;
    }
    // Mean per channel right of left and below top; 255 if sizes differ.
    double difference(const Screenshot& other, int left = 0, int top = 0) const;
};

class Viewer {
public:
    explicit Viewer(const std::vector<std::string>& arguments);   // Xvfb, then the viewer in the run directory
    ~Viewer();   // SIGTERM to both, SIGKILL after a deadline
    Viewer(const Viewer&) = delete;
    Viewer& operator=(const Viewer&) = delete;
    Screenshot screenshot();   // empty until the window shows
    Screenshot waitFor(const std::function<bool(const Screenshot&)>& met, double seconds = 30.0,
                       const std::string& what = "the expected picture");
    // XTest input to the window under the pointer (focus follows it without
    // a window manager); the first screenshot puts the pointer inside.
    void xdotool(const std::string& commands) const;   // "keydown w", "mousemove_relative -- 9 0"
    void key(const std::string& keys) const { xdotool("key " + keys); }
    void click(int left, int top) const;
    void closeWindow();   // WM_DELETE_WINDOW, as a window manager sends it
    int waitForExit(double seconds = 30.0);   // the status; -1 after a signal or the deadline
    std::string output() const;   // flushed when the viewer ends by itself

private:
    bool running();
    Display* connection = nullptr;
    unsigned long window = 0;
    std::string displayName, outputPath;
    pid_t server = -1, viewer = -1;
    int status = -1;
};

} // namespace e2e
