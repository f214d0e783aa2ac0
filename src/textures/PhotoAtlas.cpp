// The atlas pages and the cells the photos take in them: thumbnails placed
// as they are decoded, other photo textures copied in on their first ask.
#include "textures/PhotoAtlas.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cassert>

#include "textures/GlState.h"
#include "textures/ThumbnailDecoder.h"

namespace {

constexpr int tallestAtlasPage = 8192;

// Only what the photo loader makes is shared: one level, sampled linearly,
// repeating, as every page is.
bool fitsAtlas(int width, int height)
{
    GLint minFilter = 0, magFilter = 0, wrapS = 0, wrapT = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrapS);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &wrapT);
    return minFilter == GL_LINEAR && magFilter == GL_LINEAR && wrapS == GL_REPEAT && wrapT == GL_REPEAT &&
           width > 0 && height > 0 && width <= largestAtlasPhoto && height <= largestAtlasPhoto;
}

// The texels of the bound photo texture, framed for its atlas cell.
std::vector<GLubyte> framedTexels(int width, int height)
{
    std::vector<GLubyte> texels(static_cast<size_t>(width) * height * 4);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    return frameTexels(texels.data(), width, height);
}

}  // namespace

PhotoAtlas::~PhotoAtlas()
{
    std::vector<TextureName> pages;
    for (const auto& [page, count] : pageCells)
        pages.push_back(page);
    if (!pages.empty())
        deleteTextures(static_cast<int>(pages.size()), pages.data());
}

void PhotoAtlas::startPage(Page* page, int width, bool compressed)
{
    GLint largest = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    *page = Page();
    page->height = std::min<int>(largest, tallestAtlasPage);
    page->texture = bindNewTexture();
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    const GLenum format = compressed ? GL_COMPRESSED_RGB_S3TC_DXT1_EXT : GL_RGBA8;
    glTexImage2D(GL_TEXTURE_2D, 0, format, width, page->height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
}

// A cell of width x height photo texels with its frame, as RGBA texels or
// as DXT1 blocks of the frame widened to whole blocks (compressFramed).
AtlasCell PhotoAtlas::place(int width, int height, const unsigned char* framed, bool compressed)
{
    const int w = compressed ? wholeBlocks(width + 2) : width + 2;
    const int h = compressed ? wholeBlocks(height + 2) : height + 2;
    Page& page = openPages[2 * w + compressed];
    if (page.texture == 0 || page.used + h > page.height)
        startPage(&page, w, compressed);
    bindTexture(page.texture);
    if (compressed)
        glCompressedTexSubImage2D(GL_TEXTURE_2D, 0, 0, page.used, w, h, GL_COMPRESSED_RGB_S3TC_DXT1_EXT,
                                  w * h / 2, framed);
    else
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, page.used, w, h, GL_RGBA, GL_UNSIGNED_BYTE, framed);
    const float across = static_cast<float>(w), down = static_cast<float>(page.height);
    const AtlasCell cell = { page.texture, 1 / across, (page.used + 1) / down, (1 + width) / across,
                             (page.used + 1 + height) / down };
    page.used += h;
    ++pageCells[page.texture];
    return cell;
}

AtlasCell PhotoAtlas::cell(TextureName photo)
{
    const auto known = cells.find(photo);
    if (known != cells.end())
        return known->second;
    AtlasCell cell = { photo, 0.0f, 0.0f, 1.0f, 1.0f };
    // Binding a name makes it a texture: ask first.
    if (photo != 0 && glIsTexture(photo)) {
        GLint width = 0, height = 0;
        bindTexture(photo);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
        if (fitsAtlas(width, height))
            cell = place(width, height, framedTexels(width, height).data(), false);
    }
    cells[photo] = cell;
    return cell;
}

TextureName PhotoAtlas::upload(const DecodedThumbnail& thumbnail)
{
    // The name is only reserved, never bound: no texels are stored twice.
    GLuint name = 0;
    glGenTextures(1, &name);
    const bool compressed = !thumbnail.blocks.empty();
    assert(compressed || !thumbnail.framed.empty());
    cells[name] = place(thumbnail.width, thumbnail.height,
                        compressed ? thumbnail.blocks.data() : thumbnail.framed.data(), compressed);
    return name;
}

void PhotoAtlas::release(const std::vector<TextureName>& photos)
{
    std::vector<GLuint> unused;
    for (TextureName photo : photos) {
        const auto known = cells.find(photo);
        if (known != cells.end() && known->second.texture != photo) {
            const GLuint page = known->second.texture;
            if (--pageCells[page] == 0) {
                pageCells.erase(page);
                unused.push_back(page);
                for (auto& [key, open] : openPages)
                    if (open.texture == page)
                        open = Page();
            }
        }
        if (known != cells.end())
            cells.erase(known);
        if (photo != 0)
            unused.push_back(photo);   // a reserved name or the photo's own texture
    }
    if (!unused.empty())
        deleteTextures(static_cast<int>(unused.size()), unused.data());
}

void PhotoAtlas::bind(TextureName photo) const
{
    const auto known = cells.find(photo);
    if (known == cells.end() || known->second.texture == photo)
        return bindTexture(photo, wholeTexture);
    const AtlasCell& cell = known->second;
    bindTexture(cell.texture, { cell.s0, cell.t0, cell.s1 - cell.s0, cell.t1 - cell.t0 });
}
