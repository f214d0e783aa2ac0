// The city's drawing order: the light, the nearest houses, the occlusion
// pass over the houses behind them, then streets, ground and signs.
#include "scene/DrawingOrder.h"

#define GL_GLEXT_PROTOTYPES 1   // occlusion queries, GL 1.5

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cmath>
#include <map>

#include "scene/House.h"
#include "scene/LightObject.h"
#include "scene/Sign.h"
#include "scene/SignSet.h"
#include "scene/ViewVolume.h"
#include "textures/GlState.h"

DrawingOrder::~DrawingOrder()
{
    if (!queries.empty())
        glDeleteQueries(static_cast<GLsizei>(queries.size()), queries.data());
}

void DrawingOrder::makeBlocks(const std::vector<SceneObject*>& objects)
{
    blocksMadeFor = objects;
    blocksAreStale = false;
    blocks.clear();
    kinds.clear();
    selected.clear();
    blockOf.assign(objects.size(), 0);
    std::map<std::pair<long, long>, std::size_t> blockAt;
    for (std::size_t i = 0; i < objects.size(); ++i) {
        auto* house = dynamic_cast<House*>(objects[i]);
        kinds.push_back(house != nullptr                                   ? Kind::house
                        : dynamic_cast<LightObject*>(objects[i]) != nullptr ? Kind::light
                        : dynamic_cast<Sign*>(objects[i]) != nullptr        ? Kind::sign
                                                                            : Kind::other);
        if (house == nullptr)
            continue;
        const std::pair<long, long> key(std::lround(std::floor(house->x / blockSize)), std::lround(std::floor(house->z / blockSize)));
        const auto found = blockAt.emplace(key, blocks.size());
        float min[3], max[3];
        house->worldBounds(min, max);
        if (found.second) {
            blocks.emplace_back();
            std::copy(min, min + 3, blocks.back().min), std::copy(max, max + 3, blocks.back().max);
        }
        Block& block = blocks[found.first->second];
        block.houses.emplace_back(i, house);
        blockOf[i] = found.first->second;
        for (int axis = 0; axis < 3; ++axis)
            block.min[axis] = std::min(block.min[axis], min[axis]), block.max[axis] = std::max(block.max[axis], max[axis]);
    }
}

// Houses past the nearest as their bounds first, each counted by a query,
// then only those whose bounds showed a sample: the bounds hold every box,
// so a house whose bounds hide behind the nearest draws no pixel either.
// The ground is not yet drawn, so it hides nothing here.
void DrawingOrder::drawUnlessHidden(const std::vector<Candidate>& farther, double dt)
{
    const size_t count = farther.size();
    if (!answers.hold) {
        if (queries.size() < count) {
            const size_t had = queries.size();
            queries.resize(count);
            glGenQueries(static_cast<GLsizei>(count - had), queries.data() + had);
        }
        standIn.assign(count, 0);
        disableGl(GlState::lighting | GlState::texturing | GlState::colourWrites | GlState::depthWrites);
        for (size_t i = 0; i < count; ++i)
            standIn[i] = farther[i].house->drawBounds(queries[i]);
        enableGl(GlState::lighting | GlState::texturing | GlState::colourWrites | GlState::depthWrites);
        answers.shown.assign(count, 1);
    }
    for (size_t i = 0; i < count; ++i) {
        if (!answers.hold && standIn[i]) {
            GLuint samples = 0;
            glGetQueryObjectuiv(queries[i], GL_QUERY_RESULT, &samples);
            answers.shown[i] = samples > 0;
        }
        if (answers.shown[i]) {
            farther[i].house->drawAtDetail(dt, leastRadians, pixelsPerRadian);
        } else {
            farther[i].house->passHidden(dt);
            farther[i].house->askLevels(eye, pixelsPerRadian);
        }
    }
}

// The depth the queries count against holds only the nearest houses, so
// the same view of the same grown houses gives the same answers: a walker
// who stands still is not asked again. Answers asked while a house grew
// are not kept: a growing house is drawn unasked, and would stay drawn
// though hidden.
void DrawingOrder::checkAnswers(const float modelview[16], const float projection[16], const int viewport[4],
                                std::size_t nearest)
{
    Answers::View view;
    std::copy(modelview, modelview + 16, view.modelview);
    std::copy(projection, projection + 16, view.projection);
    std::copy(viewport, viewport + 4, view.viewport);
    bool same = answers.known && answers.grown && std::equal(view.modelview, view.modelview + 16, answers.view.modelview) &&
                std::equal(view.projection, view.projection + 16, answers.view.projection) &&
                std::equal(view.viewport, view.viewport + 4, answers.view.viewport) &&
                answers.houses.size() == houses.size() && answers.nearest == nearest;
    bool grown = true;
    for (std::size_t i = 0; i < houses.size(); ++i) {
        grown = grown && houses[i].house->isGrown();
        same = same && answers.houses[i] == houses[i].house;
    }
    answers.hold = same && grown;
    answers.grown = grown;
    answers.known = true;
    answers.view = view;
    answers.nearest = nearest;
    answers.houses.clear();
    for (const Candidate& candidate : houses)
        answers.houses.push_back(candidate.house);
}

// The unselected houses of the blocks in view. A block out of view costs one
// test: its grown houses are not touched again until it shows, and only a
// growing one steps on (its own test leaves it undrawn).
void DrawingOrder::gatherHousesInView(const float m[16], const float projection[16], double dt)
{
    houses.clear();
    blocksOutOfView.clear();
    for (Block& block : blocks) {
        const bool shown = !boxOutsideView(block.min, block.max, m, projection);
        if (!shown)
            blocksOutOfView.push_back(&block);
        if (!shown && !block.shown && block.grown)
            continue;
        block.shown = shown;
        block.grown = true;
        for (const auto& [place, house] : block.houses) {
            block.grown = block.grown && house->isGrown();
            if (house->selectedPicture >= 0)
                continue;
            if (shown || !house->isGrown())
                houses.push_back({ (house->x - eye[0]) * (house->x - eye[0]) + (house->z - eye[2]) * (house->z - eye[2]), place, house });
            else
                house->passHidden(dt);
        }
    }
}

void DrawingOrder::askLevelsOutOfView(Block& block)
{
    if (block.reachPixels != pixelsPerRadian) {   // a window resized
        block.reach = 0.0f;
        for (const auto& placed : block.houses)
            block.reach = std::max(block.reach, placed.second->fullLevelReach(pixelsPerRadian));
        block.reachPixels = pixelsPerRadian;
    }
    // Every house's middle lies in the block's bounds: none nearer the eye.
    float apart = 0.0f;
    for (int axis = 0; axis < 3; ++axis) {
        const float outside = std::max({block.min[axis] - eye[axis], eye[axis] - block.max[axis], 0.0f});
        apart += outside * outside;
    }
    if (apart >= block.reach * block.reach)
        return;
    for (const auto& placed : block.houses)
        if (placed.second->selectedPicture < 0)
            placed.second->askLevels(eye, pixelsPerRadian);
}

// Unselected houses nearest first and ahead of the ground, so that llvmpipe
// leaves untextured whatever a nearer house hides. The light keeps its first
// place (it sets GL_LIGHT0 where it stands) and a selected house its own,
// its glow blending over what was drawn behind it.
void DrawingOrder::draw(const std::vector<SceneObject*>& objects, double dt)
{
    if (blocksAreStale || objects != blocksMadeFor)
        makeBlocks(objects);
    GLfloat m[16], projection[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    rest.clear();
    signs.clear();
    selectedNow.clear();
    for (std::size_t i = 0; i < objects.size(); ++i) {
        if (kinds[i] == Kind::light)
            objects[i]->draw(dt);
        else if (kinds[i] == Kind::sign)
            signs.push_back(static_cast<const Sign*>(objects[i]));
        else if (kinds[i] == Kind::other || objects[i]->selectedPicture >= 0)
            rest.push_back(objects[i]);
        if (kinds[i] == Kind::house && objects[i]->selectedPicture >= 0)
            selectedNow.push_back(i);
    }
    // A house let go walks its block again, so that out of view it counts as undrawn.
    for (std::size_t i : selected)
        if (std::find(selectedNow.begin(), selectedNow.end(), i) == selectedNow.end())
            blocks[blockOf[i]].grown = false;
    selected.swap(selectedNow);
    // A radian's span in pixels at the middle of the view, where the
    // projection's y scale is 1 / tan(half the field of view).
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    pixelsPerRadian = static_cast<float>(viewport[3]) * projection[5] / 2.0f;
    leastRadians = leastSidePixels / pixelsPerRadian;
    eyeOf(m, eye);
    gatherHousesInView(m, projection, dt);
    std::sort(houses.begin(), houses.end(), [](const Candidate& a, const Candidate& b) {
        return a.distance < b.distance || (a.distance == b.distance && a.place < b.place);
    });
    if (usePictures && standIns.begin(m, projection, viewport)) {
        // From above, nearer houses hide too little to ask about.
        answers.known = false;
        for (const Candidate& candidate : houses)
            standIns.draw(candidate.house, eye, dt, leastRadians, pixelsPerRadian);
        standIns.finish(leastRadians, pixelsPerRadian);
    } else {
        size_t nearest = std::min(houses.size(), occludingHouses), boxes = 0;
        for (size_t i = nearest; i < houses.size(); ++i)
            boxes += houses[i].house->getCubes().size();
        nearest = boxes < questionedBoxes ? houses.size() : nearest;
        checkAnswers(m, projection, viewport, nearest);
        for (size_t i = 0; i < nearest; ++i)
            houses[i].house->drawAtDetail(dt, leastRadians, pixelsPerRadian);
        houses.erase(houses.begin(), houses.begin() + static_cast<std::ptrdiff_t>(nearest));
        drawUnlessHidden(houses, dt);
    }
    // After the houses in view, whose full levels are read first.
    for (Block* block : blocksOutOfView)
        askLevelsOutOfView(*block);
    for (SceneObject* object : rest)
        object->draw(dt);
    drawSigns();
}

// Last, together: a city's signs share one set; a list that mixes sets
// draws each set's signs in a run of their own.
void DrawingOrder::drawSigns()
{
    while (!signs.empty()) {
        const SignSet& set = signs.front()->set();
        const auto others = std::stable_partition(signs.begin(), signs.end(), [&set](const Sign* sign) { return &sign->set() == &set; });
        ofOneSet.assign(signs.begin(), others);
        set.drawAll(ofOneSet);
        signs.erase(signs.begin(), others);
    }
}
