// The order a city frame draws its objects in: the light first, the nearest
// unselected houses ahead of the ground, the houses behind them only where
// an occlusion query saw their bounds, then the rest in list order and the
// signs all together. Houses are grouped in blocks, and a block out of view
// is passed over whole. Owns the queries it asks with, and keeps their
// answers while the view holds.
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

#include "scene/StandIns.h"

class House;
class SceneObject;
class Sign;

class DrawingOrder {
public:
    DrawingOrder() = default;
    ~DrawingOrder();
    DrawingOrder(const DrawingOrder&) = delete;
    DrawingOrder& operator=(const DrawingOrder&) = delete;

    // Draws objects with the view already in the modelview matrix.
    void draw(const std::vector<SceneObject*>& objects, double dt);
    // The objects of the next draw are new, even where a list of them
    // happens to hold the addresses of the ones they replace.
    void sceneChanged()
    {
        blocksAreStale = true;
        answers.known = false;
        standIns.clear();
    }

    // How many of the nearest houses are drawn before the rest are asked
    // whether they hide behind them, and how many boxes the rest must hold
    // for the question to pay: it waits until the nearest are drawn. Since
    // the answers outlast the frame while the walker stands, even a few
    // hundred small houses are worth asking about.
    std::size_t occludingHouses = 16, questionedBoxes = 0;
    // The side of the squares houses are grouped by, in world units: the
    // city's grid, so that a block is a month of a year row.
    float blockSize = 120.0f;
    // A run of stacked boxes' sides seen under less than this many pixels
    // (at the middle of the view) is drawn as one side; 0 draws every side.
    float leastSidePixels = 1.0f;
    // Seen straight from above, unselected grown houses are drawn as
    // pictures of themselves (see StandIns); false draws every box.
    bool usePictures = true;
    // Houses the last frame drew as pictures (tests, tools).
    int picturesLastDrawn() const { return standIns.shownLastFrame(); }
    bool picturesHeld() const { return standIns.holdsTextures(); }

private:
    // An unselected house in view, its distance from the eye squared and
    // its place in the list, which orders houses at the same distance.
    struct Candidate {
        float distance;
        std::size_t place;
        House* house;
    };
    struct Block {
        float min[3], max[3];   // every house's full-size bounds
        std::vector<std::pair<std::size_t, House*>> houses;   // with their places in the list
        bool shown = true;      // in view the last frame
        bool grown = false;     // every house grown when last walked
        // The farthest any of its houses asks for full levels from, at
        // reachPixels pixels a radian (see House::fullLevelReach).
        float reach = 0.0f, reachPixels = -1.0f;
    };
    void makeBlocks(const std::vector<SceneObject*>& objects);
    void gatherHousesInView(const float modelview[16], const float projection[16], double dt);
    // Out of view, the houses of a block near enough ask for their full levels.
    void askLevelsOutOfView(Block& block);
    void drawUnlessHidden(const std::vector<Candidate>& farther, double dt);
    void checkAnswers(const float modelview[16], const float projection[16], const int viewport[4],
                      std::size_t nearest);
    void drawSigns();

    StandIns standIns;
    std::vector<unsigned int> queries;   // GL query names, grown as needed
    std::vector<SceneObject*> blocksMadeFor;
    std::vector<Block> blocks;
    enum class Kind : char { light, house, sign, other };
    std::vector<Kind> kinds;   // of blocksMadeFor's objects
    std::vector<std::size_t> blockOf;    // a house's block, by its place in the list
    std::vector<std::size_t> selected;   // places of the houses selected the last frame
    bool blocksAreStale = true;
    // A frame's working lists, kept so that a frame of a large city does
    // not map and unmap their memory each time.
    std::vector<Candidate> houses;
    std::vector<SceneObject*> rest;
    std::vector<const Sign*> signs, ofOneSet;
    std::vector<std::size_t> selectedNow;
    std::vector<char> standIn;
    std::vector<Block*> blocksOutOfView;
    // The frame's eye, and what a run of sides and a radian span in it.
    float eye[3] = {0, 0, 0};
    float leastRadians = 0.0f, pixelsPerRadian = 0.0f;
    // The last frame's answers (by the farther houses' places) and what
    // they were asked under; hold: they stand for this frame too.
    struct Answers {
        struct View {
            float modelview[16], projection[16];
            int viewport[4];
        } view;
        std::vector<House*> houses;   // the candidates, nearest first
        std::size_t nearest = 0;
        std::vector<char> shown;
        bool known = false, hold = false, grown = false;   // grown: every candidate, when asked
    } answers;
};
