// Process and X helpers of the end-to-end tests. Children get a parent-death
// signal, so a test that ctest kills leaves no viewer or X server behind.
#include "e2e/Viewer.h"

#include <gtest/gtest.h>
#include <X11/Xlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>

namespace e2e {
namespace {

bool until(const std::function<bool()>& done, double seconds)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    for (; !done(); usleep(100000))
        if (std::chrono::steady_clock::now() > deadline)
            return false;
    return true;
}

// Standard output goes to out, standard error too for the X server (no display).
pid_t spawn(const std::string& program, std::vector<std::string> argv, int out, const std::string& display = "",
            const std::string& directory = ZV_RUN_DIR)
{
    argv.insert(argv.begin(), program);
    const pid_t pid = fork();
    if (pid != 0)
        return pid;
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (!display.empty()) {
        setenv("DISPLAY", display.c_str(), 1), setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1);
#ifdef ZV_VIEWER_PRELOAD
        setenv("LD_PRELOAD", ZV_VIEWER_PRELOAD, 1);   // see tests/tests.cmake
#endif
    }
    dup2(out, STDOUT_FILENO);
    if (display.empty())
        dup2(out, STDERR_FILENO);
    std::vector<char*> args(argv.size() + 1);   // null-terminated
    std::transform(argv.begin(), argv.end(), args.begin(), [](std::string& a) { return a.data(); });
    if (chdir(directory.c_str()) == 0)
        execvp(args[0], args.data());
    _exit(127);
}

void stop(pid_t pid)
{
    if (pid <= 0)
        return;
    kill(pid, SIGTERM);
    if (!until([pid] { return waitpid(pid, nullptr, WNOHANG) == pid; }, 5.0))
        kill(pid, SIGKILL), waitpid(pid, nullptr, 0);
}

// Xvfb picks a free display and writes its number once it takes connections.
std::string startServer(pid_t* server)
{
    int fds[2];
    if (pipe(fds) != 0)
        return "";
    const int quiet = open("/dev/null", O_WRONLY);
    *server = spawn("Xvfb", {"-displayfd", std::to_string(fds[1]), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"},
                    quiet);
    close(quiet), close(fds[1]);
    char number[16] = {};
    pollfd ready = {fds[0], POLLIN, 0};
    const bool told = poll(&ready, 1, 30000) == 1 && read(fds[0], number, sizeof number - 1) > 0;
    close(fds[0]);
    return told ? ":" + std::to_string(std::atoi(number)) : "";
}

Window findWindow(Display* display)
{
    Window root, parent, *children = nullptr, found = 0;
    unsigned count = 0;
    XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count);
    for (char* name = nullptr; count-- > 0 && found == 0; XFree(name), name = nullptr)
        if (XFetchName(display, children[count], &name) && name == std::string("Zandervale"))
            found = children[count];
    XFree(children);
    return found;
}

} // namespace

double Screenshot::difference(const Screenshot& other, int left, int top, int right, int bottom) const
{
    if (width != other.width || height != other.height || rgb.empty())
        return 255.0;
    left = std::max(left, 0), top = std::max(top, 0), right = std::min(right, width), bottom = std::min(bottom, height);
    double sum = 0.0;
    for (int y = top; y < bottom; ++y)
        for (int i = (y * width + left) * 3; i < (y * width + right) * 3; ++i)
            sum += std::abs(rgb[i] - other.rgb[i]);
    return sum / ((right - left) * (bottom - top) * 3);
}

Viewer::Viewer(const std::vector<std::string>& arguments, const std::string& program, const std::string& directory)
{
    char pattern[] = "/tmp/zv-e2e-outXXXXXX";
    const int out = mkstemp(pattern);
    outputPath = pattern;
    displayName = startServer(&server);
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });   // a window may vanish mid-screenshot
    if ((connection = displayName.empty() ? nullptr : XOpenDisplay(displayName.c_str())) == nullptr) {
        ADD_FAILURE() << "no X server of our own (Xvfb -displayfd)";
    } else {
        // freeglut can take a repeat's release for the real one (F5 twice on a busy machine).
        XAutoRepeatOff(connection), XSync(connection, False);
        viewer = spawn(program, arguments, out, displayName, directory);
    }
    close(out);
}

Viewer::~Viewer()
{
    stop(viewer);
    if (connection != nullptr)
        XCloseDisplay(connection);
    stop(server);
    std::remove(outputPath.c_str());
}

bool Viewer::running()
{
    int wstatus = 0;
    if (viewer > 0 && waitpid(viewer, &wstatus, WNOHANG) == viewer)
        status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1, viewer = -1;
    return viewer > 0;
}

Screenshot Viewer::screenshot()
{
    if (window == 0 && connection != nullptr && (window = findWindow(connection)) != 0)
        xdotool("mousemove --window " + std::to_string(window) + " 512 384");
    XWindowAttributes a;   // its x and y are on the screen, as no window manager reparents it
    XImage* image = nullptr;   // the screen's: full screen without a window manager starts at (-10, -10)
    if (window == 0 || !XGetWindowAttributes(connection, window, &a) || a.map_state != IsViewable ||
        !(image = XGetImage(connection, a.root, 0, 0, a.screen->width, a.screen->height, AllPlanes, ZPixmap)))
        return {};
    Screenshot shot{a.width, a.height, std::vector<unsigned char>(static_cast<size_t>(a.width) * a.height * 3)};
    for (int y = std::max(0, -a.y); y < std::min(a.height, a.screen->height - a.y); ++y)
        for (int x = std::max(0, -a.x); x < std::min(a.width, a.screen->width - a.x); ++x)
            for (int c = 0; c < 3; ++c)   // 24-bit TrueColor
                shot.rgb[(static_cast<size_t>(y) * a.width + x) * 3 + c] = XGetPixel(image, x + a.x, y + a.y) >> (16 - 8 * c);
    XDestroyImage(image);
    return shot;
}

Screenshot Viewer::waitFor(const std::string& what, const std::function<bool(const Screenshot&)>& met, double seconds)
{
    Screenshot last;
    if (until([&] { return !running() || (!(last = screenshot()).rgb.empty() && met(last)); }, seconds) && running())
        return last;
    ADD_FAILURE() << "waited in vain for " << what << (running() ? "" : ": the viewer ended with " + std::to_string(status))
                  << "; output:\n" << output();
    return last;
}

void Viewer::xdotool(const std::string& commands) const
{
    const std::string command = "DISPLAY=" + displayName + " xdotool " + commands + " >/dev/null 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
}

void Viewer::click(int left, int top) const
{
    xdotool("mousemove --window " + std::to_string(window) + " " + std::to_string(left) + " " + std::to_string(top) +
            " click 1");
}

void Viewer::closeWindow()
{
    ASSERT_NE(window, 0ul) << "no window to close";
    XEvent event{};
    event.xclient = {ClientMessage, 0, False, connection, window, XInternAtom(connection, "WM_PROTOCOLS", False), 32, {}};
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(connection, "WM_DELETE_WINDOW", False));
    XSendEvent(connection, window, False, NoEventMask, &event);
    XFlush(connection);
}

std::string Viewer::windowClass() const
{
    XClassHint hint{};
    if (window == 0 || !XGetClassHint(connection, window, &hint))
        return "";
    const std::string name = hint.res_class != nullptr ? hint.res_class : "";
    XFree(hint.res_name), XFree(hint.res_class);
    return name;
}

int Viewer::iconWidth() const
{
    Atom type = 0;
    int format = 0;
    unsigned long items = 0, left = 0;
    unsigned char* data = nullptr;
    if (window == 0 || XGetWindowProperty(connection, window, XInternAtom(connection, "_NET_WM_ICON", False), 0, 2, False,
                                          XA_CARDINAL, &type, &format, &items, &left, &data) != Success)
        return 0;
    const int width = data != nullptr && format == 32 && items == 2 ? static_cast<int>(reinterpret_cast<long*>(data)[0]) : 0;
    XFree(data);
    return width;
}

int Viewer::waitForExit()
{
    return until([this] { return !running(); }, 30.0) ? status : -1;
}

std::string Viewer::output() const
{
    std::ifstream in(outputPath, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

} // namespace e2e
