#include "support/GlPixels.h"

#include <GL/gl.h>

#include <cstdlib>
#include <vector>

#include "textures/GlState.h"
#include "textures/PhotoAtlas.h"
#include "textures/Textures.h"

namespace support {

Colour drawnColour(const PhotoAtlas& photos, unsigned int picture)
{
    enableGl(GlState::texturing);
    photos.bind(picture);
    glBegin(GL_QUADS);
    for (int corner : {0, 1, 3, 2})
        glTexCoord2f(corner & 1, corner >> 1), glVertex2f((corner & 1) * 2 - 1, 1 - (corner >> 1) * 2);
    glEnd();
    unbindPhoto();
    disableGl(GlState::texturing);
    return readPixel(128, 128);
}

Colour readPixel(int x, int y)
{
    unsigned char rgb[3] = {0, 0, 0};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, rgb);
    return Colour{rgb[0], rgb[1], rgb[2], 255};
}

int whitePixels(int x, int y, int width, int height)
{
    std::vector<unsigned char> rgb(size_t(width) * height * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    int white = 0;
    for (size_t i = 0; i < rgb.size(); i += 3)
        white += rgb[i] > 240 && rgb[i + 1] > 240 && rgb[i + 2] > 240;
    return white;
}

bool nearColour(Colour a, Colour b, int tolerance)
{
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
           std::abs(a.b - b.b) <= tolerance;
}

}  // namespace support
