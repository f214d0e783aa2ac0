// Process and X helpers of the end-to-end tests.
#include "e2e/Viewer.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace e2e {

namespace {

std::string commandOutput(const std::string& command)
{
    std::string result;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return result;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        result.append(buffer, n);
    pclose(pipe);
    return result;
}

// Reads a binary PPM (P6, maxval 255) as written by ImageMagick.
Screenshot readPpm(const std::string& path)
{
    Screenshot shot;
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int maxValue = 0;
    in >> magic >> shot.width >> shot.height >> maxValue;
    in.get();
    if (magic != "P6" || maxValue != 255 || shot.width <= 0 || shot.height <= 0)
        return Screenshot{};
    shot.rgb.resize(static_cast<size_t>(shot.width) * shot.height * 3);
    in.read(reinterpret_cast<char*>(shot.rgb.data()), static_cast<std::streamsize>(shot.rgb.size()));
    return shot;
}

} // namespace

double Screenshot::difference(const Screenshot& other) const
{
    if (width != other.width || height != other.height || rgb.empty())
        return 255.0;
    double sum = 0.0;
    for (size_t i = 0; i < rgb.size(); ++i)
        sum += std::abs(static_cast<int>(rgb[i]) - static_cast<int>(other.rgb[i]));
    return sum / static_cast<double>(rgb.size());
}

void pause(double seconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(static_cast<int>(seconds * 1000)));
}

Viewer::Viewer(const std::vector<std::string>& arguments)
{
    char pattern[] = "/tmp/zv-e2e-outXXXXXX";
    const int fd = mkstemp(pattern);
    outputPath = pattern;

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fd, STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, fd);
    std::vector<std::string> all{ZV_BINARY};
    all.insert(all.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    // The viewer finds its artwork relative to the working directory.
    const std::string here = std::getenv("PWD") ? std::getenv("PWD") : "";
    if (chdir(ZV_RUN_DIR) != 0)
        ADD_FAILURE() << "cannot enter " << ZV_RUN_DIR;
    if (posix_spawn(&pid, ZV_BINARY, &actions, nullptr, argv.data(), environ) != 0)
        pid = -1;
    if (!here.empty() && chdir(here.c_str()) != 0)
        ADD_FAILURE() << "cannot return to " << here;
    posix_spawn_file_actions_destroy(&actions);
    close(fd);
    EXPECT_GT(pid, 0) << "the viewer did not start";
}

Viewer::~Viewer()
{
    if (pid > 0 && !exited) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    std::remove(outputPath.c_str());
}

bool Viewer::waitForWindow(double seconds)
{
    for (double waited = 0; waited < seconds; waited += 0.2) {
        if (waitpid(pid, nullptr, WNOHANG) == pid) {
            exited = true;
            return false;
        }
        std::string id = commandOutput("xdotool search --onlyvisible --name '^Zandervale$' 2>/dev/null");
        if (!id.empty()) {
            windowId = id.substr(0, id.find('\n'));
            // Keyboard focus follows the pointer when no window manager runs.
            xdotool("mousemove --window " + windowId + " 512 384");
            pause(0.5);
            return true;
        }
        pause(0.2);
    }
    return false;
}

void Viewer::xdotool(const std::string& commands) const
{
    const std::string command = "xdotool " + commands + " >/dev/null 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
}

Screenshot Viewer::screenshot() const
{
    const std::string path = outputPath + ".ppm";
    const std::string command = "import -window " + windowId + " -depth 8 ppm:" + path + " 2>/dev/null";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    Screenshot shot = readPpm(path);
    std::remove(path.c_str());
    return shot;
}

int Viewer::waitForExit(double seconds)
{
    for (double waited = 0; waited < seconds; waited += 0.05) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) {
            exited = true;
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        pause(0.05);
    }
    return -1;
}

std::string Viewer::output() const
{
    std::ifstream in(outputPath, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::pair<int, std::string> runToExit(const std::vector<std::string>& arguments, double seconds)
{
    Viewer viewer(arguments);
    const int status = viewer.waitForExit(seconds);
    return {status, viewer.output()};
}

} // namespace e2e
