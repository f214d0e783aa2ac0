// The signs' images and lists, and each kind of sign as the plates, board or
// wire it draws.
#include "scene/SignSet.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <map>
#include <utility>
#include <vector>

#include "calendar/Calendar.h"
#include "scene/GroundQuads.h"
#include "scene/Sign.h"
#include "scene/ViewVolume.h"
#include "textures/Textures.h"

namespace {

constexpr int monthCount = monthsInYear;

// The lists, in the order they are built.
enum List { yearPlate, redWire, yearBackPlate, monthBackPlate, blueWire, monthPlate, yearBoard, monthBoard, titlePlates };

// Upright plates carry t = 0 on their top edge. The plates' normal lies in
// the plate, so banners are lit like the ground.
const TexturedVertex yearPlateQuad[4] = {
    { 2.5f, -0.5f, 0, 0, 1 }, { -2.5f, -0.5f, 0, 1, 1 }, { -2.5f, 0.5f, 0, 1, 0 }, { 2.5f, 0.5f, 0, 0, 0 },
};
const TexturedVertex yearBackPlateQuad[4] = {
    { 2.5f, -0.5f, 0, 1, 1 }, { 2.5f, 0.5f, 0, 1, 0 }, { -2.5f, 0.5f, 0, 0, 0 }, { -2.5f, -0.5f, 0, 0, 1 },
};
const TexturedVertex monthBackPlateQuad[4] = {
    { 0, -0.5f, 2.5f, 0, 1 }, { 0, -0.5f, -2.5f, 1, 1 }, { 0, 0.5f, -2.5f, 1, 0 }, { 0, 0.5f, 2.5f, 0, 0 },
};
const TexturedVertex monthPlateQuad[4] = {
    { 0, -0.5f, 2.5f, 1, 1 }, { 0, 0.5f, 2.5f, 1, 0 }, { 0, 0.5f, -2.5f, 0, 0 }, { 0, -0.5f, -2.5f, 0, 1 },
};
const TexturedVertex yearBoardQuad[4] = {
    { -50, 0, 10, 0, 1 }, { 50, 0, 10, 1, 1 }, { 50, 0, -10, 1, 0 }, { -50, 0, -10, 0, 0 },
};
const TexturedVertex monthBoardQuad[4] = {
    { -10, 0, -50, 0, 1 }, { -10, 0, 50, 1, 1 }, { 10, 0, 50, 1, 0 }, { 10, 0, -50, 0, 0 },
};
const TexturedVertex titleQuads[8] = {
    { 0, -6, 5, 0, 1 }, { 0, -6, -5, 1, 1 }, { 0, 6, -5, 1, 0 }, { 0, 6, 5, 0, 0 },
    { 0, -6, 5, 1, 1 }, { 0, 6, 5, 1, 0 },   { 0, 6, -5, 0, 0 }, { 0, -6, -5, 0, 1 },
};

const GLfloat redWireColour[4] = { 1.0f, 0.0f, 0.0f, 0.0f };
const GLfloat blueWireColour[4] = { 0.0f, 0.0f, 1.0f, 1.0f };

// By List: a list of quads, or a wire (no quads) of a colour along x or z.
const struct {
    const TexturedVertex* quads;
    int count;
    const GLfloat* wireColour;
    bool wireAlongZ;
} listContents[9] = {
    { yearPlateQuad, 4, nullptr, false }, { nullptr, 0, redWireColour, false },
    { yearBackPlateQuad, 4, nullptr, false }, { monthBackPlateQuad, 4, nullptr, false },
    { nullptr, 0, blueWireColour, true }, { monthPlateQuad, 4, nullptr, false },
    { yearBoardQuad, 4, nullptr, false }, { monthBoardQuad, 4, nullptr, false }, { titleQuads, 8, nullptr, false },
};

// What each kind of sign draws, in order: plates showing the front or back
// entry of its table (years or months), the title plates, an untextured wire.
enum Image { frontEntry, backEntry, title, none };
struct Step {
    Image image;
    List list;
};
const struct {
    int count;
    Step steps[3];
} kindSteps[5] = {
    { 1, { { title, titlePlates } } },                                                   // Sign::title
    { 3, { { frontEntry, yearPlate }, { none, redWire }, { backEntry, yearBackPlate } } },   // yearBanner
    { 3, { { frontEntry, monthPlate }, { none, blueWire }, { backEntry, monthBackPlate } } },   // monthBanner
    { 1, { { frontEntry, yearBoard } } },                                                // yearLabel
    { 1, { { frontEntry, monthBoard } } },                                               // monthLabel
};

// The wire hangs between two posts at +-wireEnd, sagging to the plate:
// (along, height). Cones stand from postFoot up the posts and hang from the
// wire's ends.
constexpr float wireEnd = 11.0f, wireTop = 0.5f, postFoot = -6.0f, postRadius = 0.1f;
const float wireSegments[6][4] = {
    { 11, 0.5f, 8, 0.25f }, { 8, 0.25f, 5, 0.1f }, { 5, 0.1f, 2.5f, 0 },
    { -2.5f, 0, -5, 0.1f }, { -5, 0.1f, -8, 0.25f }, { -8, 0.25f, -11, 0.5f },
};

using Place = SignSet::Place;

// A point of the wire standing at `at`: the red wire runs along x, the blue
// one is the same wire turned to run along z (its along-coordinate is -z).
void wireVertex(bool alongZ, float along, float height, const Place& at)
{
    if (alongZ)
        glVertex3f(at.x, at.y + height, at.z - along);
    else
        glVertex3f(at.x + along, at.y + height, at.z);
}

// A five-sided cone standing at (px, baseY, pz), pointing up (rising > 0)
// or down, as triangles: its sides outward, its base facing away from the
// tip, each side's normals those of a smooth cone. One run of triangles
// for all of a wire's cones: a city of many years has a thousand banners,
// and a call for each cone's every strip cost more than their pixels.
void cone(float px, float baseY, float pz, float rising, float radius)
{
    constexpr int sides = 5;
    constexpr float turn = 6.2831853f / sides;
    const float slant = std::hypot(rising, radius);
    const float up = rising > 0.0f ? 1.0f : -1.0f;
    // Around the axis counter-clockwise as seen from the tip.
    const auto ring = [&](int k, float* at) {
        const float angle = up * turn * static_cast<float>(k);
        at[0] = px + radius * std::cos(angle), at[1] = baseY, at[2] = pz - radius * std::sin(angle);
    };
    for (int k = 0; k < sides; ++k) {
        float a[3], b[3];
        ring(k, a);
        ring(k + 1, b);
        const float* edge[2] = { a, b };
        for (int v = 0; v < 2; ++v) {
            const float outX = edge[v][0] - px, outZ = edge[v][2] - pz;
            glNormal3f(outX / radius * std::fabs(rising) / slant, up * radius / slant, outZ / radius * std::fabs(rising) / slant);
            glVertex3fv(edge[v]);
        }
        glVertex3f(px, baseY + rising, pz);
        glNormal3f(0.0f, -up, 0.0f);
        glVertex3f(px, baseY, pz);
        glVertex3fv(b);
        glVertex3fv(a);
    }
}

// Wires standing at places, with their posts' cones: one run of lines and
// one of triangles for all of them. The wire's colour stays current: a
// banner leaves it so.
void emitWires(bool alongZ, const GLfloat* colour, const std::vector<Place>& places)
{
    glColor4fv(colour);
    glBegin(GL_LINES);
    for (const Place& at : places) {
        for (const auto& s : wireSegments) {
            wireVertex(alongZ, s[0], s[1], at);
            wireVertex(alongZ, s[2], s[3], at);
        }
    }
    glEnd();
    glBegin(GL_TRIANGLES);
    for (const Place& at : places) {
        for (float post : { -wireEnd, wireEnd }) {
            const float px = at.x + (alongZ ? 0.0f : post);
            const float pz = at.z + (alongZ ? post : 0.0f);
            cone(px, at.y + postFoot, pz, 5.0f, postRadius);   // up from the ground
            cone(px, at.y + wireTop, pz, -6.0f, 0.05f);        // down from the wire's end
        }
    }
    glEnd();
}

GLuint compileWire(bool alongZ, const GLfloat* colour)
{
    const GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    emitWires(alongZ, colour, { Place{ 0.0f, 0.0f, 0.0f } });
    glEndList();
    return list;
}

int entryIn(int entry, int count)
{
    return entry >= 0 && entry < count ? entry : -1;
}

// Which entries of the kind's table (years for kinds 1 and 3, months for
// kinds 2 and 4) a sign binds on its front and back plates; -1 binds
// nothing. Never an entry outside the table: the banner of the table's first
// year has no earlier year and shows its own on both faces.
struct SignEntries {
    int front;
    int back;
};
SignEntries signTableEntries(int kind, int index, int yearCount)
{
    switch (kind) {
    case Sign::yearBanner:
        return { entryIn(index, yearCount), entryIn(index == 0 ? 0 : index - 1, yearCount) };
    case Sign::monthBanner:
        return { entryIn(index, monthCount), entryIn(index - 1, monthCount) };
    case Sign::yearLabel:
        return { entryIn(index, yearCount), -1 };
    case Sign::monthLabel:
        return { entryIn(index - 1, monthCount), -1 };
    default:
        return { -1, -1 };
    }
}

// The box round a kind's lists, about the standing point.
SignSet::Box kindBox(int kind)
{
    SignSet::Box box{};
    const auto take = [&box](float x, float y, float z) {
        const float point[3] = { x, y, z };
        for (int axis = 0; axis < 3; ++axis) {
            box.min[axis] = std::min(box.min[axis], point[axis]);
            box.max[axis] = std::max(box.max[axis], point[axis]);
        }
    };
    for (int i = 0; i < kindSteps[kind].count; ++i) {
        const auto& list = listContents[kindSteps[kind].steps[i].list];
        for (int v = 0; v < list.count; ++v)
            take(list.quads[v].x, list.quads[v].y, list.quads[v].z);
        if (list.quads == nullptr) {
            const float along = wireEnd + postRadius;
            take(list.wireAlongZ ? -postRadius : -along, postFoot, list.wireAlongZ ? -along : -postRadius);
            take(list.wireAlongZ ? postRadius : along, wireTop, list.wireAlongZ ? along : postRadius);
        }
    }
    return box;
}

} // namespace

SignSet::SignSet(YearSpan years)
{
    for (int kind = Sign::title; kind <= Sign::monthLabel; ++kind)
        boxes[kind] = kindBox(kind);
    char path[64];
    for (int year = years.first; year <= years.last; ++year) {
        snprintf(path, sizeof path, "./signs/sign%d_128x32.png", year);
        yearImages.push_back(loadTextureAnisotropic(path));
    }
    for (int i = 0; i < monthCount; ++i) {
        snprintf(path, sizeof path, "./signs/sign%s128x32.png", monthName(i + 1));
        monthImages[i] = loadTextureAnisotropic(path);
    }
    titleImage = loadTextureMipmapped("./signs/signZandervale512x512_02.png");
    for (int i = 0; i < 9; ++i)
        lists[i] = listContents[i].quads ? compileQuadList(listContents[i].quads, listContents[i].count)
                                         : compileWire(listContents[i].wireAlongZ, listContents[i].wireColour);
}

SignSet::~SignSet()
{
    for (unsigned int list : lists)
        glDeleteLists(list, 1);
    deleteTextures(static_cast<int>(yearImages.size()), yearImages.data());
    deleteTextures(monthCount, monthImages);
    deleteTextures(1, &titleImage);
}

TextureName SignSet::stepImage(int kind, int index, int step) const
{
    const Image image = kindSteps[kind].steps[step].image;
    const SignEntries entries = signTableEntries(kind, index, static_cast<int>(yearImages.size()));
    const bool ofYears = kind == Sign::yearBanner || kind == Sign::yearLabel;
    const int entry = image == frontEntry ? entries.front : image == backEntry ? entries.back : -1;
    if (image == title)
        return titleImage;
    return entry < 0 ? 0 : ofYears ? yearImages[static_cast<size_t>(entry)] : monthImages[entry];
}

void SignSet::draw(int kind, int index, float x, float y, float z) const
{
    if (kind < Sign::title || kind > Sign::monthLabel || !boxMayShow(boxes[kind].min, boxes[kind].max, x, y, z))
        return;
    glPushMatrix();
    glTranslatef(x, y, z);
    for (int i = 0; i < kindSteps[kind].count; ++i) {
        const Step& step = kindSteps[kind].steps[i];
        const TextureName image = stepImage(kind, index, i);
        if (image != 0)
            bindTexture(image);
        if (step.image == none)
            disableGl(GlState::texturing);
        glCallList(lists[step.list]);
        if (step.image == none)
            enableGl(GlState::texturing);
    }
    glPopMatrix();
}

// A city of fifty years holds some 3,600 signs, nearly all in view from
// above: drawn one by one, their list calls and the texture switched off
// and on for each banner's wire cost a third to two thirds of the empty
// city's frame. Grouped by what they draw, the plates of each image take
// one run, and each kind's wires another.
void SignSet::drawAll(const std::vector<const Sign*>& signs) const
{
    GLfloat modelview[16], projection[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    for (auto& run : runs)
        run.second.clear();
    for (const Sign* sign : signs) {
        const int kind = sign->kind;
        if (kind < Sign::title || kind > Sign::monthLabel)
            continue;
        const Place at{ sign->x, sign->y, sign->z };
        const float low[3] = { boxes[kind].min[0] + at.x, boxes[kind].min[1] + at.y, boxes[kind].min[2] + at.z };
        const float high[3] = { boxes[kind].max[0] + at.x, boxes[kind].max[1] + at.y, boxes[kind].max[2] + at.z };
        if (boxOutsideView(low, high, modelview, projection))
            continue;
        for (int i = 0; i < kindSteps[kind].count; ++i)
            runs[{ kindSteps[kind].steps[i].list, stepImage(kind, sign->index, i) }].push_back(at);
    }
    for (const auto& [key, places] : runs) {
        if (places.empty())
            continue;
        const auto& contents = listContents[key.first];
        if (contents.quads == nullptr) {
            disableGl(GlState::texturing);
            emitWires(contents.wireAlongZ, contents.wireColour, places);
            enableGl(GlState::texturing);
            continue;
        }
        if (key.second != 0)
            bindTexture(key.second);
        glBegin(GL_QUADS);
        glNormal3f(0.0f, 1.0f, 0.0f);
        for (const Place& at : places)
            emitQuadVertices(contents.quads, contents.count, at.x, at.y, at.z);
        glEnd();
    }
}
