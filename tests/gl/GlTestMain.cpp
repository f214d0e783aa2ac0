// Main of the GL test executables: one hidden GLUT window whose context every
// test shares, drawing into a framebuffer object of its own the size of the
// viewer's window (the viewport starts at its 256 x 256 corner), the
// image library set up, and the run directory as working directory so the
// artwork loads by its relative paths.
#define GL_GLEXT_PROTOTYPES
#include <GL/freeglut.h>
#include <GL/glext.h>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <link.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "textures/GlState.h"
#include "textures/Textures.h"

// The shared Xvfb turns away about one new connection in a hundred when
// connections come back to back ("Connection reset by peer" or EAGAIN: 38
// of 3,000 in a loop here), and freeglut ends the process when its one
// attempt fails. This executable's XOpenDisplay, which freeglut's calls
// reach first, tries again for up to 5 s.
struct _XDisplay;   // Xlib's Display; its header's macros clash with GoogleTest's
extern "C" _XDisplay* XOpenDisplay(const char* name)
{
    using Open = _XDisplay* (*)(const char*);
    static const Open open = reinterpret_cast<Open>(dlsym(RTLD_NEXT, "XOpenDisplay"));
    for (int attempt = 0; open != nullptr && attempt < 100; ++attempt) {
        if (_XDisplay* display = open(name))
            return display;
        usleep(50000);
    }
    return nullptr;
}

// Mesa unloads its DRI driver when freeglut closes the display at exit,
// before LeakSanitizer reports: what the driver keeps for good would show
// with no module name that a suppression could match. Held here, for the
// tests only, its frames keep the driver's file name.
void keepGlDriverLoaded()
{
    std::vector<std::string> drivers;
    dl_iterate_phdr([](dl_phdr_info* info, size_t, void* found) {
        const std::string name = info->dlpi_name;
        const std::string suffix = "_dri.so";
        if ((name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0) ||
            name.find("/libgallium") != std::string::npos)
            static_cast<std::vector<std::string>*>(found)->push_back(name);
        return 0;
    }, &drivers);
    for (const std::string& driver : drivers)   // dlopen may not run inside dl_iterate_phdr
        dlopen(driver.c_str(), RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE);
}

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    if (testing::GTEST_FLAG(list_tests))
        return RUN_ALL_TESTS();

    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(256, 256);
    glutCreateWindow("Zandervale GL tests");
    glutDisplayFunc([] {});
    glutHideWindow();
    keepGlDriverLoaded();
    // A window's pixels belong to whatever covers it on the shared X server;
    // these buffers belong to this process alone, bound for the whole run.
    GLuint framebuffer = 0, renderbuffers[2] = {};
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glGenRenderbuffers(2, renderbuffers);
    const GLenum formats[] = {GL_RGB8, GL_DEPTH_COMPONENT24};
    const GLenum attachments[] = {GL_COLOR_ATTACHMENT0, GL_DEPTH_ATTACHMENT};
    for (int i = 0; i < 2; ++i) {
        glBindRenderbuffer(GL_RENDERBUFFER, renderbuffers[i]);
        glRenderbufferStorage(GL_RENDERBUFFER, formats[i], 1024, 768);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, attachments[i], GL_RENDERBUFFER, renderbuffers[i]);
    }
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        std::fprintf(stderr, "no framebuffer object to draw the GL tests into\n");
        return 1;
    }
    glViewport(0, 0, 256, 256);
    useUnpackAlignment(1);
    initImageLibrary();
    if (chdir(ZV_RUN_DIR) != 0)
        std::perror("chdir " ZV_RUN_DIR);
    return RUN_ALL_TESTS();
}
