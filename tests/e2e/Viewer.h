// Drives the real zandervale binary on an X server of its own, so end-to-end tests may run in
// parallel. No fixed sleeps: waitFor polls screenshots up to a deadline, a failure names what for.
#pragma once

#include <algorithm>
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
        for (int y = std::max(top, 0); y < bottom && y < height; ++y)   // clipped to the picture
            for (int x = std::max(left, 0), i = (y * width + x) * 3; x < right && x < width; ++x, ++all, i += 3)
                hits += test(rgb[i], rgb[i + 1], rgb[i + 2]);
        return all > 0 ? static_cast<double>(hits) / all : 0.0;
    }
    // share() over the selection panel's preview, bottom right.
    template <typename Test> double preview(Test t) const { return share(width - 184, height - 98, width - 72, height - 18, t); }
    // Mean per channel over the rectangle (by default all of it); 255 if sizes differ.
    double difference(const Screenshot& other, int left = 0, int top = 0, int right = 1 << 16, int bottom = 1 << 16) const;
};

class Viewer {
public:
    // Xvfb, then the program (by default the viewer in the run directory).
    explicit Viewer(const std::vector<std::string>& arguments, const std::string& program = ZV_BINARY,
                    const std::string& directory = ZV_RUN_DIR);
    ~Viewer();   // SIGTERM to both, SIGKILL after a deadline
    Viewer(const Viewer&) = delete;
    Viewer& operator=(const Viewer&) = delete;
    Screenshot waitFor(const std::string& what, const std::function<bool(const Screenshot&)>& met, double seconds = 30.0);
    // XTest input to the window under the pointer (focus follows it without a window manager).
    void xdotool(const std::string& commands) const;   // "key Tab", "keydown w", "mousemove_relative -- 9 0"
    void click(int left, int top) const;
    void closeWindow();   // WM_DELETE_WINDOW, as a window manager sends it
    int waitForExit();   // the status; -1 after a signal or the deadline
    std::string output() const;   // flushed when the viewer ends by itself
    // What a desktop reads off the shown window: its WM_CLASS class ("" when unset), and the width of the
    // first icon in _NET_WM_ICON (0 when it carries none).
    std::string windowClass() const;
    int iconWidth() const;

private:
    bool running();
    Screenshot screenshot();   // empty until the window shows; the first puts the pointer inside
    Display* connection = nullptr;
    unsigned long window = 0;
    std::string displayName, outputPath;
    int server = -1, viewer = -1, status = -1;   // process ids, and the viewer's exit status
};

} // namespace e2e
