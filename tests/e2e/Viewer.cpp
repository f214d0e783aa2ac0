// Process and X helpers of the end-to-end tests. Children get a parent-death
// signal, so a test that ctest kills leaves no viewer or X server behind.
#include "e2e/Viewer.h"

#include <gtest/gtest.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <fstream>
#include <thread>

namespace e2e {
namespace {

bool until(const std::function<bool()>& done, double seconds)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    for (; !done(); std::this_thread::sleep_for(std::chrono::milliseconds(100)))
        if (std::chrono::steady_clock::now() > deadline)
            return false;
    return true;
}

// Standard output goes to out; standard error too for the X server (no display).
pid_t spawn(std::vector<std::string> argv, int out, const std::string& display = "")
{
    const pid_t pid = fork();
    if (pid != 0)
        return pid;
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (!display.empty())
        setenv("DISPLAY", display.c_str(), 1), setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1);
    dup2(out, STDOUT_FILENO);
    if (display.empty())
        dup2(out, STDERR_FILENO);
    std::vector<char*> args;
    for (std::string& a : argv)
        args.push_back(a.data());
    args.push_back(nullptr);
    if (chdir(ZV_RUN_DIR) == 0)
        execvp(args[0], args.data());
    _exit(127);
}

void stop(pid_t pid)
{
    kill(pid, SIGTERM);
    if (!until([pid] { return waitpid(pid, nullptr, WNOHANG) == pid; }, 5.0))
        kill(pid, SIGKILL), waitpid(pid, nullptr, 0);
}

// Xvfb picks a free display and writes its number once it takes connections.
std::string startServer(pid_t* server)
{
    int fds[2];
    const int quiet = open("/dev/null", O_WRONLY);
    if (pipe(fds) != 0)
        return "";
    *server = spawn({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"},
                    quiet);
    close(quiet), close(fds[1]);
    char number[16] = {};
    pollfd ready = {fds[0], POLLIN, 0};
    const bool told = poll(&ready, 1, 30000) == 1 && read(fds[0], number, sizeof number - 1) > 0;
    close(fds[0]);
    return told ? ":" + std::string(number, std::strcspn(number, "\n")) : "";
}

Window findWindow(Display* display)
{
    Window root, parent, *children = nullptr, found = 0;
    unsigned count = 0;
    XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count);
    for (char* name = nullptr; count-- > 0 && found == 0; XFree(name), name = nullptr)
        if (XFetchName(display, children[count], &name) && std::strcmp(name, "Zandervale") == 0)
            found = children[count];
    XFree(children);
    return found;
}

} // namespace

double Screenshot::difference(const Screenshot& other, int left, int top) const
{
    if (width != other.width || height != other.height || rgb.empty())
        return 255.0;
    double sum = 0.0;
    for (int y = top; y < height; ++y)
        for (int i = (y * width + left) * 3; i < (y + 1) * width * 3; ++i)
            sum += std::abs(rgb[i] - other.rgb[i]);
    return sum / ((width - left) * (height - top) * 3);
}

Viewer::Viewer(const std::vector<std::string>& arguments)
{
    char pattern[] = "/tmp/zv-e2e-outXXXXXX";
    const int out = mkstemp(pattern);
    outputPath = pattern;
    displayName = startServer(&server);
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });   // a window may vanish mid-screenshot
    connection = displayName.empty() ? nullptr : XOpenDisplay(displayName.c_str());
    // On a busy machine a key may stay down past the repeat delay, and
    // freeglut can then take a repeat's release for the real one (F5 twice).
    if (connection != nullptr)
        XAutoRepeatOff(connection), XSync(connection, False);
    std::vector<std::string> argv{ZV_BINARY};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    if (connection != nullptr)
        viewer = spawn(argv, out, displayName);
    else
        ADD_FAILURE() << "no X server of our own (Xvfb -displayfd)";
    close(out);
}

Viewer::~Viewer()
{
    if (viewer > 0)
        stop(viewer);
    if (connection != nullptr)
        XCloseDisplay(connection);
    if (server > 0)
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
    XWindowAttributes a;
    Window child;
    int left = 0, top = 0;   // full screen without a window manager starts at (-10, -10)
    if (window == 0 || !XGetWindowAttributes(connection, window, &a) || a.map_state != IsViewable ||
        !XTranslateCoordinates(connection, window, a.root, 0, 0, &left, &top, &child))
        return {};
    const int x0 = std::max(0, -left), y0 = std::max(0, -top);
    const int x1 = std::min(a.width, a.screen->width - left), y1 = std::min(a.height, a.screen->height - top);
    XImage* image = XGetImage(connection, window, x0, y0, x1 - x0, y1 - y0, AllPlanes, ZPixmap);
    if (image == nullptr)
        return {};
    Screenshot shot{a.width, a.height, std::vector<unsigned char>(static_cast<size_t>(a.width) * a.height * 3)};
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const unsigned long p = XGetPixel(image, x - x0, y - y0);   // 24-bit TrueColor
            unsigned char* rgb = &shot.rgb[(static_cast<size_t>(y) * a.width + x) * 3];
            rgb[0] = p >> 16, rgb[1] = p >> 8, rgb[2] = p;
        }
    XDestroyImage(image);
    return shot;
}

Screenshot Viewer::waitFor(const std::function<bool(const Screenshot&)>& met, double seconds, const std::string& what)
{
    Screenshot last;
    if (until([&] { return !running() || (!(last = screenshot()).rgb.empty() && met(last)); }, seconds) && running())
        return last;
    const std::string path = "/tmp/zv-e2e-" + std::to_string(getpid()) + testing::UnitTest::GetInstance()->current_test_info()->name();
    std::ofstream(path + ".ppm", std::ios::binary) << "P6\n" << last.width << ' ' << last.height << "\n255\n"
                                                   << std::string(last.rgb.begin(), last.rgb.end());
    ADD_FAILURE() << "waited in vain for " << what << (running() ? "" : ": the viewer ended with " + std::to_string(status))
                  << "; last screenshot in " << path << ".ppm; output:\n" << output();
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

int Viewer::waitForExit(double seconds)
{
    return until([this] { return !running(); }, seconds) ? status : -1;
}

std::string Viewer::output() const
{
    std::ifstream in(outputPath, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

} // namespace e2e
