// PhotoAtlas: the shared textures the library's photos lie in, so that the
// boxes of many photos draw with one bind. Owned by the application, made
// and used on the GL thread; its pages go with it.
#pragma once

#include <unordered_map>
#include <vector>

#include "textures/TextureName.h"

struct DecodedThumbnail;

// Where a photo's texels lie in an atlas page. Each photo's cell is framed
// by one texel of its own opposite edges, so linear filtering at its
// borders blends what the photo's own repeating texture blends.
struct AtlasCell {
    TextureName texture;
    float s0, t0, s1, t1;   // the photo's (0, 0) and (1, 1)
};

class PhotoAtlas {
public:
    PhotoAtlas() = default;
    ~PhotoAtlas();
    PhotoAtlas(const PhotoAtlas&) = delete;
    PhotoAtlas& operator=(const PhotoAtlas&) = delete;

    // The cell of a photo texture, copied in on the first ask. A texture the
    // atlas cannot stand in for (mipmapped, not repeating, large) is its own
    // cell: the texture itself, 0 to 1.
    AtlasCell cell(TextureName photo);
    // Places a decoded thumbnail and returns a name that stands for it here
    // for cell and bind; the name has no texture of its own.
    TextureName upload(const DecodedThumbnail& thumbnail);
    // Gives back photos' textures and their cells, as when a library is
    // read again; a page no cell uses any more is deleted.
    void release(const std::vector<TextureName>& photos);
    // Binds a photo for texture coordinates 0 to 1, wherever its texels lie:
    // its own texture, or its cell through the texture matrix, which
    // unbindPhoto resets. Drawing keeps the modelview matrix selected.
    void bind(TextureName photo) const;

private:
    // A page is one framed photo wide and holds photos of that width
    // stacked: a photo's rows then lie as close together in memory as in its
    // own texture, which keeps minified sampling (no mipmaps) from chasing
    // texels across a wide page.
    struct Page {
        TextureName texture = 0;
        int height = 0;
        int used = 0;   // rows filled from the top
    };
    AtlasCell place(int width, int height, const unsigned char* framed, bool compressed);
    void startPage(Page* page, int width, bool compressed);

    // Open pages by framed width, RGBA (key 2w) and DXT1 (2w + 1) apart.
    std::unordered_map<int, Page> openPages;
    // Cells on each page, full pages included, so that a page goes when its
    // last photo does.
    std::unordered_map<TextureName, int> pageCells;
    std::unordered_map<TextureName, AtlasCell> cells;
};
