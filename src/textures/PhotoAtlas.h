// PhotoAtlas: the shared textures the library's photos lie in, so that the
// boxes of many photos draw with one bind; a thumbnail's small level stays,
// its full level comes and goes with the houses near the eye. Owned by the
// application, made and used on the GL thread; its pages go with it.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "textures/FullLevelReader.h"
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
    // for cell and bind; the name has no texture of its own. With a source
    // of its full level only its small level is placed, and the full one
    // when wantFull asks for it; without, its one level stays.
    TextureName upload(const DecodedThumbnail& thumbnail, const FullLevelSource& source = {});
    // Asks for the photos' full levels, to be kept while the eye stays
    // within keepRadius of centre (world units).
    void wantFull(const std::vector<TextureName>& photos, const float centre[3], float keepRadius);
    // Once a frame: gives back the full levels whose eye went beyond their
    // radius, and places at most most of those read meanwhile. A cell then
    // changes: whoever baked one asks fullLevelMark again.
    void stepLevels(const float eye[3], int most);
    // A mark that changes whenever one of photos gets or gives back its
    // full level (its cell changes); 0 while none shows one read back.
    uint64_t fullLevelMark(const std::vector<TextureName>& photos) const;
    // Full levels asked for and not yet placed (tests, tools).
    int fullLevelsAwaited() const;
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
    AtlasCell placeFull(int width, int height, const unsigned char* blocks);
    void startPage(Page* page, int width, bool compressed);
    // A cell's place is free again; its page goes, into unused, with its last cell.
    void giveBack(const AtlasCell& cell, std::vector<TextureName>* unused);
    void dropFull(TextureName photo, std::vector<TextureName>* unused);

    // A two-level thumbnail: cells holds whichever level it shows.
    struct Levels {
        enum class State : unsigned char { small, asked, full, unreadable };
        FullLevelSource source;
        AtlasCell small, full;
        State state = State::small;
        float centre[3] = {0, 0, 0};
        float keepRadius = 0;
        uint64_t placed = 0;   // when the full level was placed, see fullLevelMark
    };
    // A full level's place given back, for the next of its size: the same
    // row of the same page, so its texture coordinates are the cell's.
    struct FreeCell {
        AtlasCell cell;
        int row;
    };

    // Open pages by framed width, RGBA (key 2w) and DXT1 (2w + 1) apart.
    std::unordered_map<int, Page> openPages;
    // Cells on each page, full pages included, so that a page goes when its
    // last photo does.
    std::unordered_map<TextureName, int> pageCells;
    std::unordered_map<TextureName, AtlasCell> cells;
    std::unordered_map<TextureName, Levels> levels;
    std::unordered_set<TextureName> nearPhotos;   // asked for or full
    std::unordered_map<int, std::vector<FreeCell>> freeCells;   // by framed width and height
    int pageRows = 0;   // of every page
    uint64_t fullLevelsPlaced = 0;
    FullLevelReader reader;
};
