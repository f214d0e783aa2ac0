// The atlas pages and the cells the photos take in them: thumbnails placed
// as they are decoded, other photo textures copied in on their first ask,
// full levels placed and given back as houses near and leave the eye.
#include "textures/PhotoAtlas.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cassert>
#include <cmath>

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
    page->height = pageRows = std::min<int>(largest, tallestAtlasPage);
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

TextureName PhotoAtlas::upload(const DecodedThumbnail& thumbnail, const FullLevelSource& source)
{
    // The name is only reserved, never bound: no texels are stored twice.
    GLuint name = 0;
    glGenTextures(1, &name);
    if (source.known() && !thumbnail.small.empty()) {
        Levels& photo = levels[name];
        photo.source = source;
        photo.small = cells[name] = place(smallLevelWidth, smallLevelHeight, thumbnail.small.data(), true);
        return name;
    }
    const bool compressed = !thumbnail.blocks.empty();
    assert(compressed || !thumbnail.framed.empty());
    cells[name] = place(thumbnail.width, thumbnail.height,
                        compressed ? thumbnail.blocks.data() : thumbnail.framed.data(), compressed);
    return name;
}

AtlasCell PhotoAtlas::placeFull(int width, int height, const unsigned char* blocks)
{
    std::vector<FreeCell>& free = freeCells[width << 16 | height];
    if (free.empty())
        return place(width, height, blocks, true);
    const FreeCell slot = free.back();
    free.pop_back();
    const int w = wholeBlocks(width + 2), h = wholeBlocks(height + 2);
    bindTexture(slot.cell.texture);
    glCompressedTexSubImage2D(GL_TEXTURE_2D, 0, 0, slot.row, w, h, GL_COMPRESSED_RGB_S3TC_DXT1_EXT, w * h / 2, blocks);
    ++pageCells[slot.cell.texture];
    return slot.cell;
}

void PhotoAtlas::giveBack(const AtlasCell& cell, std::vector<TextureName>* unused)
{
    const GLuint page = cell.texture;
    if (--pageCells[page] > 0)
        return;
    pageCells.erase(page);
    unused->push_back(page);
    for (auto& [key, open] : openPages)
        if (open.texture == page)
            open = Page();
    for (auto& [size, free] : freeCells)
        free.erase(std::remove_if(free.begin(), free.end(), [page](const FreeCell& f) { return f.cell.texture == page; }),
                   free.end());
}

void PhotoAtlas::dropFull(TextureName photo, std::vector<TextureName>* unused)
{
    Levels& l = levels.at(photo);
    if (l.state == Levels::State::full) {
        const int row = static_cast<int>(std::lround(l.full.t0 * pageRows)) - 1;
        freeCells[l.source.at.width << 16 | l.source.at.height].push_back({l.full, row});
        giveBack(l.full, unused);
        cells[photo] = l.small;
    }
    l.state = Levels::State::small;
}

void PhotoAtlas::wantFull(const std::vector<TextureName>& photos, const float centre[3], float keepRadius)
{
    for (TextureName photo : photos) {
        const auto found = levels.find(photo);
        if (found == levels.end())
            continue;
        Levels& l = found->second;
        std::copy(centre, centre + 3, l.centre);
        l.keepRadius = keepRadius;
        if (l.state != Levels::State::small)
            continue;
        l.state = Levels::State::asked;
        nearPhotos.insert(photo);
        reader.ask(photo, l.source);
    }
}

void PhotoAtlas::stepLevels(const float eye[3], int most)
{
    std::vector<TextureName> unused;
    for (auto near = nearPhotos.begin(); near != nearPhotos.end();) {
        const Levels& l = levels.at(*near);
        float squared = 0;
        for (int axis = 0; axis < 3; ++axis)
            squared += (eye[axis] - l.centre[axis]) * (eye[axis] - l.centre[axis]);
        if (squared <= l.keepRadius * l.keepRadius) {
            ++near;
            continue;
        }
        dropFull(*near, &unused);
        near = nearPhotos.erase(near);
    }
    for (FullLevelReader::Read& read : reader.take(static_cast<size_t>(std::max(0, most)))) {
        // A read for a photo given back meanwhile, or for another photo
        // since given the same name, is of no use.
        const auto found = levels.find(read.photo);
        if (found == levels.end() || found->second.state != Levels::State::asked ||
            found->second.source.at.offset != read.at.offset || found->second.source.at.checksum != read.at.checksum)
            continue;
        Levels& l = found->second;
        if (!read.whole) {   // the small level stays
            if (read.at.offset >= 0 && l.source.cache != nullptr)
                l.source.cache->dropDamaged();
            l.state = Levels::State::unreadable;
            nearPhotos.erase(read.photo);
            continue;
        }
        l.full = cells[read.photo] = placeFull(read.at.width, read.at.height, read.blocks.data());
        l.state = Levels::State::full;
        l.placed = ++fullLevelsPlaced;
    }
    if (!unused.empty())
        deleteTextures(static_cast<int>(unused.size()), unused.data());
}

uint64_t PhotoAtlas::fullLevelMark(const std::vector<TextureName>& photos) const
{
    // Each placing has a number of its own; a house that lost a full level
    // and got another since, in the same place or not, sees a new sum.
    uint64_t mark = 0;
    for (TextureName photo : photos) {
        const auto found = levels.find(photo);
        if (found != levels.end() && found->second.state == Levels::State::full)
            mark += (found->second.placed * 0x9E3779B97F4A7C15ull) | 1;
    }
    return mark;
}

int PhotoAtlas::fullLevelsAwaited() const
{
    int awaited = 0;
    for (TextureName photo : nearPhotos)
        awaited += levels.at(photo).state == Levels::State::asked;
    return awaited;
}

void PhotoAtlas::release(const std::vector<TextureName>& photos)
{
    std::vector<GLuint> unused;
    for (TextureName photo : photos) {
        const auto two = levels.find(photo);
        if (two != levels.end()) {
            if (two->second.state == Levels::State::full)
                giveBack(two->second.full, &unused);
            giveBack(two->second.small, &unused);
            nearPhotos.erase(photo);
            levels.erase(two);
            cells.erase(photo);
        }
        const auto known = cells.find(photo);
        if (known != cells.end() && known->second.texture != photo)
            giveBack(known->second, &unused);
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
