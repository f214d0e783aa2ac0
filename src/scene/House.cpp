// A house: one box per picture, growing out of the ground.
#include "scene/House.h"

#define GL_GLEXT_PROTOTYPES 1   // occlusion queries, GL 1.5

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "scene/Cube.h"
#include "scene/HouseLayout.h"
#include "scene/HouseShapes.h"
#include "scene/UnitBox.h"
#include "scene/ViewVolume.h"
#include "textures/PhotoAtlas.h"
#include "textures/Textures.h"
#include "textures/ThumbnailDecoder.h"

namespace {

// An eye this far under a house's lowest box top sees no top at all.
constexpr float topMargin = 0.01f;

// An eye this near the bounds could have part of them clipped by the near plane.
constexpr float nearMargin = 1.0f;

// Full levels are asked for a little before a face could show more than
// the small level holds, and kept until the eye is well past that, so
// that no house flickers between its levels at the border.
constexpr float fullLevelMargin = 1.5f;
constexpr float fullLevelKeeping = 1.3f;

// How far off a face `side` wide still covers as many pixels as the small
// level has texels across, a radian spanning pixelsPerRadian.
float smallLevelDistance(float side, float pixelsPerRadian)
{
    return side * pixelsPerRadian / smallLevelWidth;
}

// Pixels a radian spans at the middle of the current projection and viewport.
float pixelsPerRadianNow()
{
    GLfloat projection[16];
    GLint viewport[4];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    return projection[5] * static_cast<float>(viewport[3]) / 2.0f;
}

// A list built for the eye itself holds while the eye moves less than this
// share of its distance from the house, up to twice as much as houses
// differ: lists built together (the overview's) then do not all run out
// in the same frame while the eye moves on.
constexpr float eyeShare = 0.05f;

// Distance from the eye to the origin of the modelview m.
float eyeDistance(const GLfloat m[16])
{
    return std::sqrt(m[12] * m[12] + m[13] * m[13] + m[14] * m[14]);
}

// Whether the box min-max of the modelview's frame lies wholly outside the view.
bool outsideView(const float min[3], const float max[3], const GLfloat modelview[16])
{
    GLfloat projection[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    return boxOutsideView(min, max, modelview, projection);
}

// OpenGL ignores a width of 0 or less (and flags an error); far houses reach
// that, so such a width is simply not asked for.
void setLineWidth(float width)
{
    if (width > 0.0f)
        useLineWidth(width);
}

// The angle between the directions from the eye to a and to b, in radians.
float angleSeen(const float eye[3], const float a[3], const float b[3])
{
    const double u[3] = { a[0] - eye[0], a[1] - eye[1], a[2] - eye[2] };
    const double v[3] = { b[0] - eye[0], b[1] - eye[1], b[2] - eye[2] };
    const double cross[3] = { u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0] };
    return static_cast<float>(std::atan2(std::sqrt(cross[0] * cross[0] + cross[1] * cross[1] + cross[2] * cross[2]),
                                         u[0] * v[0] + u[1] * v[1] + u[2] * v[2]));
}

} // namespace

House::House(const UnitBox& box, float x_, float y_, float z_, MonthQuarter* record_, int pickName_,
             HouseShapes* shapes)
    : record(record_), textures(&record_->getTextures()), growth(0.0f), growthRate(0.0f), age(0.0f),
      boundsMin{ 0.0f, 0.0f, 0.0f }, boundsMax{ 0.0f, 0.0f, 0.0f }, grownList(0), grownRegion(-1)
{
    x = x_;
    y = y_;
    z = z_;
    pickName = pickName_;
    selectedPicture = -1;
    growthRate = (std::rand() % 40 + 10) * 0.005f;
    buildCubes(box, shapes);
}

House::~House()
{
    if (grownList != 0)
        glDeleteLists(grownList, 1);
}

void House::buildCubes(const UnitBox& box, HouseShapes* shapes)
{
    const int n = static_cast<int>(textures->size());
    const int variant = layoutUsesVariant(n) ? std::rand() % 3 : 0;
    HouseShape own;
    if (shapes == nullptr)
        own = houseShape(n, variant);
    const HouseShape& shape = shapes != nullptr ? shapes->shapeOf(n, variant) : own;
    const std::vector<BoxPlacement>& boxes = shape.boxes;
    unseen = shape.unseen;
    beneath = shape.beneath;
    shaft = shape.shaft;
    cubes.reserve(boxes.size());
    for (size_t i = 0; i < boxes.size(); ++i) {
        const BoxPlacement& b = boxes[i];
        cubes.push_back(std::make_unique<Cube>(box, b.x, b.y, b.z, 0.0f, b.rotationY, 0.0f, b.scale, (*textures)[i]));
        cubes.back()->extendBounds(boundsMin, boundsMax);
        lowestTop = std::min(lowestTop, b.y + b.scale * boxHalfHeight);
        largestSide = std::max(largestSide, 2.0f * boxHalfWidth * b.scale);
    }
}

void House::worldBounds(float min[3], float max[3]) const
{
    const float at[3] = { x, 0.0f, z };   // drawn at (x, 0, z): its y is never used
    for (int axis = 0; axis < 3; ++axis)
        min[axis] = at[axis] + boundsMin[axis], max[axis] = at[axis] + boundsMax[axis];
}

bool House::isSelected() const
{
    return selectedPicture >= 0 && selectedPicture < static_cast<int>(cubes.size());
}

void House::draw(double seconds)
{
    drawAtDetail(seconds, 0.0f, pixelsPerRadianNow());
}

void House::step(double seconds)
{
    age += static_cast<float>(seconds);
    growth = growthStep(growth, growthRate, seconds);
}

void House::drawAtDetail(double seconds, float leastRadians, float pixelsPerRadian)
{
    step(seconds);

    glPushMatrix();
    glTranslatef(x, 0.0f, z);
    GLfloat modelview[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    const float distance = eyeDistance(modelview);
    float eye[3];
    eyeOf(modelview, eye);
    chooseLevels(eye, pixelsPerRadian);
    if (!isSelected()) {
        // Growing shrinks each box toward the base point, so the full-size
        // bounds hold it; only the frame that overshoots 1 could leave them.
        const bool hidden = growth <= 1.0f && outsideView(boundsMin, boundsMax, modelview);
        lastVertices = hidden ? 0 : 24 * static_cast<int>(cubes.size());
        if (!hidden && growth == 1.0f)
            drawGrown(modelview, leastRadians);
        else if (!hidden)
            drawGrowing(seconds);
        glPopMatrix();
        return;
    }
    const float pulse = pulseFactor(distance, age);
    lastVertices = 24 * static_cast<int>(cubes.size());
    disableGl(GlState::lighting);
    drawSolidSelected(seconds, pulse);
    glPopMatrix();
    drawGlow(seconds, pulse, distance);
    enableGl(GlState::lighting);
}

// The scalings accumulate on purpose: box i comes out scaled by growth to
// the power i + 1, so upper boxes rise later while the house grows.
void House::drawGrowing(double seconds)
{
    for (const auto& cube : cubes) {
        glScalef(growth, growth, growth);
        cube->draw(seconds);
    }
}

// Where the eye stands against the house's bounds: left of, over or right
// of them in x and in z, and below or above its lowest box top.
int House::eyeRegion(const float eye[3]) const
{
    const auto side = [](float at, float low, float high) { return at < low ? 0 : at > high ? 2 : 1; };
    return side(eye[0], boundsMin[0], boundsMax[0]) + 3 * side(eye[2], boundsMin[2], boundsMax[2]) +
           9 * (eye[1] < lowestTop - topMargin ? 0 : 1);
}

float House::fullLevelReach(float pixelsPerRadian) const
{
    float reach = 0.0f;
    for (int axis = 0; axis < 3; ++axis)
        reach += (boundsMax[axis] - boundsMin[axis]) * (boundsMax[axis] - boundsMin[axis]) / 4.0f;
    return smallLevelDistance(largestSide, pixelsPerRadian) * fullLevelMargin + std::sqrt(reach);
}

bool House::looksAsListed(const float eye[3], double seconds, float pixelsPerRadian)
{
    step(seconds);
    askLevels(eye, pixelsPerRadian);
    if (isSelected() || growth != 1.0f || grownList == 0 || levelMarkNow() != grownLevels)
        return false;
    lastVertices = 0;
    return true;
}

void House::askLevels(const float eye[3], float pixelsPerRadian)
{
    const float inFrame[3] = { eye[0] - x, eye[1], eye[2] - z };
    chooseLevels(inFrame, pixelsPerRadian);
}

// A house near the eye, or selected, asks for its photos' full levels; a
// house let go keeps them only while the eye stays near. Houses out of
// view or hidden ask too (askLevels), so that none shows its small level
// close up while its full one is read.
void House::chooseLevels(const float eye[3], float pixelsPerRadian)
{
    if (cubes.empty())
        return;
    float centre[3], apart = 0.0f;
    for (int axis = 0; axis < 3; ++axis) {
        centre[axis] = (boundsMin[axis] + boundsMax[axis]) / 2.0f;
        apart += (eye[axis] - centre[axis]) * (eye[axis] - centre[axis]);
    }
    const float near = fullLevelReach(pixelsPerRadian);
    const bool selected = isSelected();
    wantsFull = selected || std::sqrt(apart) < near;
    const float world[3] = { x + centre[0], centre[1], z + centre[2] };
    if (wantsFull || wasSelected)
        cubes.front()->unitBox().photos().wantFull(
            *textures, world, selected ? std::numeric_limits<float>::infinity() : near * fullLevelKeeping);
    wasSelected = selected;
}

// The grown house as it stands, every box in one list, built for the eye's
// region (eyeRegion) and again when the eye moves into another, or from
// above for the eye itself until it moves too far (grownListHolds): faces
// that turn their back to every such eye, which the GL would cull anyway,
// are left out, so the list costs only the vertices that can show.
void House::drawGrown(const float modelview[16], float leastRadians)
{
    float eye[3];
    eyeOf(modelview, eye);
    const int region = eyeRegion(eye);
    const uint64_t levels = levelMarkNow();
    if (levels != grownLevels || !grownListHolds(eye, region, leastRadians)) {
        if (grownList != 0)
            glDeleteLists(grownList, 1);
        grownLevels = levels;
        buildGrownList(eye, region, leastRadians);
    }
    glCallList(grownList);
    if (!cubes.empty())   // the list binds behind the record's back: its last page again
        bindTexture(cubes.front()->unitBox().photos().cell(cubes.front()->texture).texture);
    lastVertices = grownVertices;
}

// The list bakes each photo's cell: a level that changed asks for a new one.
uint64_t House::levelMarkNow() const
{
    return !cubes.empty() && (wantsFull || grownLevels != 0) ? cubes.front()->unitBox().photos().fullLevelMark(*textures) : 0;
}

// Runs of sides merged for one eye stay right while the eye moves a small
// part of its distance: the angles they span change by about as much.
bool House::grownListHolds(const float eye[3], int region, float leastRadians) const
{
    if (grownList == 0 || leastRadians != grownLeast || (grownMargin == 0.0f && region != grownRegion))
        return false;
    float moved = 0.0f;
    for (int axis = 0; axis < 3; ++axis)
        moved += (eye[axis] - grownEye[axis]) * (eye[axis] - grownEye[axis]);
    const float reach = eyeReach() * distanceFrom(grownEye);
    return (grownMargin == 0.0f || moved < grownMargin * grownMargin) && (!grownNearLeast || moved <= reach * reach);
}

float House::eyeReach() const
{
    return eyeShare * (1.0f + static_cast<float>(pickName % 8) / 8.0f);
}

float House::distanceFrom(const float eye[3]) const
{
    float squares = 0.0f;
    for (int axis = 0; axis < 3; ++axis) {
        const float middle = (boundsMin[axis] + boundsMax[axis]) / 2.0f;
        squares += (eye[axis] - middle) * (eye[axis] - middle);
    }
    return std::sqrt(squares);
}

// An eye above the lowest box top (the overview's) gets a list of its own:
// the faces turned from it by more than a small part of its distance are
// left out too, where its region keeps every face some eye in it might
// see. The list holds while the eye stays that near: it cannot reach their
// planes.
void House::leaveOutTurnedAway(const float eye[3], std::vector<unsigned>& leftOut)
{
    grownMargin = 0.0f;
    if (eye[1] < lowestTop - topMargin)
        return;
    grownMargin = eyeReach() * distanceFrom(eye);
    for (size_t i = 0; i < cubes.size(); ++i)
        leftOut[i] |= cubes[i]->facesBehind(eye, grownMargin);
}

// A ray from a side lining the shaft to the eye that leaves the circle of
// the shaft's radius below the opening meets a box there. So an eye under
// the opening sees none of them (the walker's: it cannot stand within the
// circle, so this holds for its whole region), and one above sees a side
// only where the way the ray goes across, from the side's top edge up to
// the opening, fits the circle's width; worked out for every eye within
// grownMargin of this one.
void House::leaveOutShaft(const float eye[3], std::vector<unsigned>& leftOut) const
{
    const float across = std::hypot(eye[0], eye[2]) - shaft.radius - grownMargin;
    const float highest = eye[1] + grownMargin;
    if (shaft.top == 0.0f || across <= 0.0f)
        return;
    for (size_t i = 0; i < cubes.size(); ++i) {
        const float edge = cubes[i]->y + cubes[i]->scale * boxHalfHeight;
        if (highest <= shaft.top || across * (shaft.top - edge) > 2.0f * shaft.radius * (highest - edge))
            leftOut[i] |= shaft.faces[i];
    }
}

// Down each column of stacked boxes, seen from above or far away, the
// sides under a side join it while the angle from its top edge to their
// bottom edge stays under leastRadians: together they cover less than a
// pixel, and one stretched side stands in for them.
void House::mergeSides(const float eye[3], float leastRadians, std::vector<unsigned>& leftOut,
                       std::vector<int>& levelsBelow)
{
    grownNearLeast = false;
    for (size_t k = 0; k < cubes.size() && leastRadians > 0.0f; ++k) {
        const size_t i = cubes.size() - 1 - k;
        for (int f = 0; f < 4; ++f) {
            if (leftOut[i] & 1u << f)
                continue;
            float top[3], bottom[3];
            cubes[i]->sideEdgeMiddle(f, true, top);
            for (int j = beneath[i]; j >= 0; j = beneath[static_cast<size_t>(j)]) {
                const size_t below = static_cast<size_t>(j);
                if (leftOut[below] & 1u << f)
                    break;
                cubes[below]->sideEdgeMiddle(f, false, bottom);
                const float angle = angleSeen(eye, top, bottom);
                grownNearLeast = grownNearLeast || angle < 2.0f * leastRadians;
                if (angle >= leastRadians)
                    break;
                leftOut[below] |= 1u << f;
                ++levelsBelow[4 * i + static_cast<size_t>(f)];
            }
        }
    }
}

void House::buildGrownList(const float eye[3], int region, float leastRadians)
{
    grownRegion = region;
    grownLeast = leastRadians;
    std::copy(eye, eye + 3, grownEye);
    grownVertices = 0;
    constexpr float far = std::numeric_limits<float>::infinity();
    const int sides[3] = { region % 3, region / 3 % 3, region / 9 };
    const float low[3] = { sides[0] == 0 ? -far : sides[0] == 1 ? boundsMin[0] : boundsMax[0],
                           sides[2] == 0 ? -far : lowestTop - topMargin,
                           sides[1] == 0 ? -far : sides[1] == 1 ? boundsMin[2] : boundsMax[2] };
    const float high[3] = { sides[0] == 0 ? boundsMin[0] : sides[0] == 1 ? boundsMax[0] : far,
                            sides[2] == 0 ? lowestTop - topMargin : far,
                            sides[1] == 0 ? boundsMin[2] : sides[1] == 1 ? boundsMax[2] : far };
    // Faces no eye can reach are left out of the list: they only cost
    // vertices, whatever the depth test would make of them.
    const size_t n = cubes.size();
    std::vector<unsigned> leftOut(unseen);
    std::vector<int> levelsBelow(4 * n, 0);
    for (size_t i = 0; i < n; ++i)
        leftOut[i] |= cubes[i]->facesAwayFrom(low, high);
    leaveOutTurnedAway(eye, leftOut);
    leaveOutShaft(eye, leftOut);
    mergeSides(eye, leastRadians, leftOut, levelsBelow);
    // Filling the atlas uploads texels: done before compiling, or the
    // list would record the uploads instead.
    std::vector<AtlasCell> cells;
    for (const auto& cube : cubes)
        cells.push_back(cube->unitBox().photos().cell(cube->texture));
    grownList = glGenLists(1);
    glNewList(grownList, GL_COMPILE);
    // Neighbouring photos mostly share an atlas page: one bind for them.
    // Top box first: seen from above, the boxes under it then fail the
    // depth test before they are textured.
    for (size_t k = 0; k < n; ++k) {
        const size_t i = n - 1 - k;
        const AtlasCell& cell = cells[i];
        if (k == 0 || cell.texture != cells[i + 1].texture) {
            if (k > 0)
                glEnd();
            glBindTexture(GL_TEXTURE_2D, cell.texture);
            glBegin(GL_QUADS);
        }
        cubes[i]->emitInParentFrame(cell.s0, cell.t0, cell.s1, cell.t1, leftOut[i], &levelsBelow[4 * i]);
        for (int f = 0; f < 6; ++f)
            grownVertices += leftOut[i] & 1u << f ? 0 : 4;
    }
    if (n > 0)
        glEnd();
    glEndList();
}

bool House::drawBounds(unsigned int query)
{
    if (isSelected() || growth != 1.0f)
        return false;
    glPushMatrix();
    glTranslatef(x, 0.0f, z);
    GLfloat modelview[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    float eye[3];
    eyeOf(modelview, eye);
    bool outside = false;
    for (int axis = 0; axis < 3; ++axis)
        outside = outside || eye[axis] < boundsMin[axis] - nearMargin || eye[axis] > boundsMax[axis] + nearMargin;
    // Seen from above, nearer houses hide too little to pay for the question.
    outside = outside && eye[1] < boundsMax[1];
    // Each face's corners run counter-clockwise seen from outside: (u, v)
    // follow the axis cyclically, and the low face runs them backwards.
    if (outside) {
        glBeginQuery(GL_SAMPLES_PASSED, query);
        glBegin(GL_QUADS);
    }
    for (int face = 0; outside && face < 6; ++face) {
        const int axis = face / 2, u = (axis + 1) % 3, v = (axis + 2) % 3;
        for (int k = 0; k < 4; ++k) {
            const int corner = face % 2 == 1 ? k : 3 - k;
            float p[3];
            p[axis] = face % 2 == 1 ? boundsMax[axis] : boundsMin[axis];
            p[u] = corner == 1 || corner == 2 ? boundsMax[u] : boundsMin[u];
            p[v] = corner >= 2 ? boundsMax[v] : boundsMin[v];
            glVertex3fv(p);
        }
    }
    if (outside) {
        glEnd();
        glEndQuery(GL_SAMPLES_PASSED);
    }
    glPopMatrix();
    return outside;
}

void House::drawSolidSelected(double seconds, float pulse)
{
    glScalef(pulse, pulse, pulse);
    for (size_t i = 0; i < cubes.size(); ++i) {
        if (static_cast<int>(i) == selectedPicture) {
            glPushMatrix();
            glScalef(growth + 0.1f, growth, growth + 0.1f);
            cubes[i]->draw(seconds);
            glPopMatrix();
            glScalef(growth, growth, growth);
        } else {
            glScalef(growth, growth, growth);
            cubes[i]->draw(seconds);
        }
    }
}

// Additive wireframe over the solid pass; the selected box's edges are blue
// and two pixels thicker.
void House::drawGlow(double seconds, float pulse, float distance)
{
    glPushMatrix();
    glTranslatef(x, 0.0f, z);
    switchGl(GlState::blending, GlState::texturing);
    useBlendFunction(GL_SRC_ALPHA, GL_ONE);
    usePolygonMode(GL_LINE);
    const float w = glowLevel(age);
    const float width = baseLineWidth(distance);
    setLineWidth(width);
    glScalef(pulse, pulse, pulse);
    for (size_t i = 0; i < cubes.size(); ++i) {
        if (static_cast<int>(i) == selectedPicture) {
            glColor4f(w, w, 1.0f, 1.0f - w / 3.0f);
            glPushMatrix();
            glScalef(growth + 0.1f, growth, growth + 0.1f);
            setLineWidth(width + 2.0f);
            cubes[i]->draw(seconds);
            setLineWidth(width);
            glPopMatrix();
            glScalef(growth, growth, growth);
        } else {
            glColor4f(1.0f, w, w, 1.0f - w / 2.0f);
            glScalef(growth, growth, growth);
            cubes[i]->draw(seconds);
        }
    }
    switchGl(GlState::texturing, GlState::blending);
    usePolygonMode(GL_FILL);
    useLineWidth(1.0f);
    glPopMatrix();
}

// Picking sees the full-size house: neither growth nor pulse is applied.
void House::drawForPicking()
{
    glPushName(static_cast<GLuint>(pickName));
    glPushMatrix();
    glTranslatef(x, 0.0f, z);
    for (size_t i = 0; i < cubes.size(); ++i) {
        glPushName(static_cast<GLuint>(i));
        cubes[i]->drawForPicking();
        glPopName();
    }
    glPopMatrix();
    glPopName();
}

bool House::collides(float fromX, float fromY, float fromZ, float toX, float toY, float toZ,
                     float* outX, float* outY, float* outZ)
{
    if (!(std::fabs(x - toX) < 25.5f && std::fabs(z - toZ) < 25.5f))
        return false;
    bool blocked = false;
    for (const auto& cube : cubes) {
        // Every box is asked, not only up to the first hit.
        if (cube->collides(fromX - x, fromY - y, fromZ - z, toX - x, toY - y, toZ - z,
                           outX, outY, outZ))
            blocked = true;
    }
    return blocked;
}
