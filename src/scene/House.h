// House: one quarter of a month of the library as a stack of photo boxes.
// It grows out of the ground, pulses and glows when selected, carries its
// house number for picking and blocks the walker.
#pragma once

#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

#include "library/MonthQuarter.h"
#include "scene/HouseLayout.h"
#include "scene/SceneObject.h"

class Cube;
class HouseShapes;
class UnitBox;

class House : public SceneObject {
public:
    // Its boxes draw box, which must outlive it. Where shapes is given, the
    // house takes its shape from it, shared with the city's other houses.
    House(const UnitBox& box, float x, float y, float z, MonthQuarter* record, int pickName,
          HouseShapes* shapes = nullptr);
    ~House() override;
    House(const House&) = delete;
    House& operator=(const House&) = delete;

    void draw(double seconds) override;
    // As draw, but where a column of stacked boxes is seen so nearly edge-on
    // that a run of its sides spans less than leastRadians from the eye,
    // the run is drawn as one side, the top one stretched over it; 0
    // draws every side. pixelsPerRadian: what a radian spans at the middle
    // of the view, which sets how near the eye must be for the house to
    // ask for its photos' full levels.
    void drawAtDetail(double seconds, float leastRadians, float pixelsPerRadian);
    // A house not drawn this frame (hidden behind nearer ones, or in a block
    // out of view) asks for its full levels as a drawn one would, the eye
    // in the parent frame: turning to it or stepping past what hid it then
    // shows no small level close up.
    void askLevels(const float eye[3], float pixelsPerRadian);
    // How far from the middle of its bounds the eye asks for its full levels.
    float fullLevelReach(float pixelsPerRadian) const;
    void drawForPicking() override;
    bool collides(float fromX, float fromY, float fromZ, float toX, float toY, float toZ,
                  float* outX, float* outY, float* outZ) override;

    // A grown house's full-size bounds as its stand-in, counted by the
    // occlusion query; false, with nothing drawn, where they could hide a
    // pixel the house draws (growing, selected, the eye at or in them) or
    // where they would hardly be hidden (the eye above them).
    bool drawBounds(unsigned int query);
    // A picture of the house (see StandIns) shows the full-level mark its
    // list was built with (0: small levels only).
    uint64_t levelsListed() const { return grownLevels; }
    // Steps the house as drawAtDetail would, for the eye in the world, and
    // tells whether a picture of its list still shows it as it stands:
    // grown, unselected, with the levels its list has. Draws nothing.
    bool looksAsListed(const float eye[3], double seconds, float pixelsPerRadian);
    // A frame in which the house was found hidden and left undrawn.
    void passHidden(double seconds) { age += static_cast<float>(seconds), lastVertices = 0; }
    // The full-size bounds in the parent frame: they hold the house while it
    // grows, except in the one frame its growth overshoots full size.
    void worldBounds(float min[3], float max[3]) const;
    bool isGrown() const { return growth == 1.0f; }
    // A house that stood in the city before its library was read again
    // shows at its full size at once; only new and changed ones grow.
    void standGrown() { growth = 1.0f; }
    MonthQuarter* getRecord() const { return record; }
    const std::vector<std::unique_ptr<Cube>>& getCubes() const { return cubes; }
    // The vertices of the boxes the last draw gave the GL (0 when it left
    // the house out of view), and how many all six faces would have been.
    int verticesLastDrawn() const { return lastVertices; }
    int allFaceVerticesLastDrawn() const { return lastVertices > 0 ? 24 * static_cast<int>(cubes.size()) : 0; }

private:
    void buildCubes(const UnitBox& box, HouseShapes* shapes);
    bool isSelected() const;
    void step(double seconds);   // the house's age and growth
    void drawGrowing(double seconds);
    void chooseLevels(const float eye[3], float pixelsPerRadian);   // the eye in the house's frame
    void drawGrown(const float modelview[16], float leastRadians);
    uint64_t levelMarkNow() const;
    bool grownListHolds(const float eye[3], int region, float leastRadians) const;
    void buildGrownList(const float eye[3], int region, float leastRadians);
    float distanceFrom(const float eye[3]) const;
    float eyeReach() const;
    void leaveOutTurnedAway(const float eye[3], std::vector<unsigned>& leftOut);
    void leaveOutShaft(const float eye[3], std::vector<unsigned>& leftOut) const;
    void mergeSides(const float eye[3], float leastRadians, std::vector<unsigned>& leftOut,
                    std::vector<int>& levelsBelow);
    int eyeRegion(const float eye[3]) const;
    void drawSolidSelected(double seconds, float pulse);
    void drawGlow(double seconds, float pulse, float distance);

    MonthQuarter* record;                       // not owned
    const std::vector<TextureName>* textures;   // the record's, not owned
    std::vector<std::unique_ptr<Cube>> cubes;
    std::vector<unsigned> unseen;               // per box, see unseenFaces
    std::vector<int> beneath;                   // per box, see boxesBeneath
    Shaft shaft;
    float growth;
    float growthRate;                           // per second
    float age;                                  // seconds
    // All boxes at full size and the base point, in the house's frame: while
    // the house grows its boxes stay inside.
    float boundsMin[3];
    float boundsMax[3];
    float lowestTop = std::numeric_limits<float>::infinity();   // of any box
    unsigned int grownList;                     // owned; 0 until first drawn grown
    int grownRegion;                            // the eye region it was built for
    // The eye and the least angle it was built with, and whether a run of
    // sides came near that angle, so that moving the eye could change it.
    float grownEye[3] = { 0.0f, 0.0f, 0.0f };
    float grownLeast = 0.0f;
    bool grownNearLeast = false;
    // Built for the eye itself, not its region: how far the eye may move
    // before it could cross a face's plane (0: built for the region).
    float grownMargin = 0.0f;
    int grownVertices = 0;                      // in grownList
    uint64_t grownLevels = 0;                   // the full-level mark grownList was built with
    float largestSide = 0.0f;                   // of any box's face, in the house's frame
    bool wantsFull = false;                     // near the eye or selected, this frame
    bool wasSelected = false;                   // last frame
    int lastVertices = 0;
};
