// The window's class and icon, set through Xlib on the window GLUT made:
// freeglut sets neither, and a taskbar matches windows to launchers by the
// class and shows the icon a window carries.
#include "app/WindowIdentity.h"

#include <GL/glx.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <png.h>

#include <vector>

namespace {

// Where the icon lies, seen from the artwork directory the viewer runs in:
// the build's run directory, then an installed prefix's icon theme.
const char* const iconPaths[] = {
    "icons/zandervale48.png",
    "../icons/hicolor/48x48/apps/zandervale.png",
};
constexpr unsigned maxIconSide = 256;

// _NET_WM_ICON's layout: width, height, then one ARGB pixel a CARDINAL
// (which Xlib passes as a long, whatever its width).
std::vector<unsigned long> readIcon()
{
    for (const char* path : iconPaths) {
        png_image image{};
        image.version = PNG_IMAGE_VERSION;
        if (!png_image_begin_read_from_file(&image, path))
            continue;
        if (image.width == 0 || image.width > maxIconSide || image.height == 0 || image.height > maxIconSide) {
            png_image_free(&image);
            continue;
        }
        image.format = PNG_FORMAT_BGRA;   // little-endian ARGB words
        std::vector<uint32_t> pixels(image.width * image.height);
        if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr))
            continue;
        std::vector<unsigned long> icon{image.width, image.height};
        icon.insert(icon.end(), pixels.begin(), pixels.end());
        return icon;
    }
    return {};
}

} // namespace

void nameWindowForDesktop()
{
    Display* display = glXGetCurrentDisplay();
    const Window window = glXGetCurrentDrawable();
    if (display == nullptr || window == 0)
        return;
    XClassHint hint;
    hint.res_name = const_cast<char*>(windowInstanceName);
    hint.res_class = const_cast<char*>(windowClassName);
    XSetClassHint(display, window, &hint);
    const std::vector<unsigned long> icon = readIcon();
    if (!icon.empty())
        XChangeProperty(display, window, XInternAtom(display, "_NET_WM_ICON", False), XA_CARDINAL, 32,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(icon.data()),
                        static_cast<int>(icon.size()));
    XFlush(display);
}
