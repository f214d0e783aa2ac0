// Pictures of houses seen straight from above, drawn in their place. From
// the overview's height a house of a hundred photos covers a few hundred
// pixels, yet costs hundreds of tiny triangles; its picture, taken at the
// eye's own pixels, costs one outline while the eye pans so little that the
// house would look the same. The pictures lie side by side in one texture,
// their depths in another, both drawn into through a framebuffer object.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

class House;

class StandIns {
public:
    StandIns() = default;
    ~StandIns();
    StandIns(const StandIns&) = delete;
    StandIns& operator=(const StandIns&) = delete;

    // Once a frame, with the frame's view: whether houses may stand in as
    // pictures (the eye looks straight down and the GL has framebuffer
    // objects and fragment programs). A view that changed other than by
    // panning, or a light that moved or switched, drops every picture; one
    // that no longer looks down drops their textures too.
    bool begin(const float modelview[16], const float projection[16], const int viewport[4]);
    // Each unselected house in view, nearest first: its picture when one
    // still stands or can be taken now, else the house itself, drawn at
    // once. eye: the frame's, in the world.
    void draw(House* house, const float eye[3], double seconds, float leastRadians, float pixelsPerRadian);
    // Takes the pictures asked for and draws every picture of the frame.
    void finish(float leastRadians, float pixelsPerRadian);
    // The houses are new: their pictures go.
    void clear();
    // Houses drawn as pictures in the last frame (tests, tools).
    int shownLastFrame() const { return static_cast<int>(drawn.size()); }
    // Whether the pictures' textures are held (tests).
    bool holdsTextures() const { return colours != 0; }

private:
    // The outline a picture is drawn within: its window rectangle's
    // corners, or where the house's bounds do not reach the window's edge,
    // their outline with a pixel round it, tighter where the eye sees the
    // house lean.
    static constexpr int mostOutline = 16;
    struct Picture {
        int tile[4] = {};                          // its place in the texture: x, y, width, height
        int width = 0, height = 0;                 // of the picture, from the tile's corner
        int outlined = 0;                          // corners of its outline
        float outline[mostOutline][2] = {};        // in pixels from the tile's corner, counter-clockwise
        float corners[mostOutline][3] = {};        // the outline in the world, on the plane of the house's top
        float eye[3] = {};                         // it was taken from
        float reach = 0.0f;                        // how far the eye may pan while it stands (0: not at all)
        uint64_t levels = 0;                       // the house's full-level mark it shows
        float leastRadians = 0.0f;                 // of the runs of sides it shows merged
    };
    struct Asked {
        House* house;
        double seconds;   // the step it has yet to take this frame
        int rect[4];      // in the window: x, y, width, height
        bool clipped;     // cut at the window's edge
        int tile[4];      // its place in the texture, as Picture's; width 0 while it has none
        int outlined;     // as Picture's
        float outline[mostOutline][2];
    };
    bool makeTarget();
    void dropTarget();
    bool frameWindow(Asked* ask) const;
    static void outline(Asked& ask, const double corners[8][2]);
    bool place(int across, int high, int* x, int* y);
    bool placeAsked();
    void makeRoom(float leastRadians, float pixelsPerRadian);
    void take(float leastRadians, float pixelsPerRadian);
    void keep(const Asked& ask, float leastRadians, float pixelsPerRadian);
    void drawPictures();

    unsigned int colours = 0, depths = 0, framebuffer = 0, program = 0;   // owned
    int width = 2048, rows = 512;                                          // of the textures
    bool unusable = false;   // no framebuffer objects or fragment programs here
    std::unordered_map<House*, Picture> pictures;
    // Shelves of the texture: the cursor and the current shelf's height;
    // the area of the pictures that stand, against the area given out.
    int shelfX = 0, shelfY = 0, shelfHeight = 0;
    long standingArea = 0, givenArea = 0;
    // The frame's view and what must not change for a picture to stand.
    float modelview[16] = {}, projection[16] = {};
    int viewport[4] = {};
    float look[14] = {};   // the view's turn, the eye's height, the lights and where the walker's stands
    bool looked = false;
    bool still = false;   // the eye stands where it stood the last frame
    std::vector<Asked> asked;
    std::vector<House*> drawn;   // as pictures, this frame
};
