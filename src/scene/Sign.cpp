// Banners, ground labels and the title sign.
#include "scene/Sign.h"

#include <GL/freeglut.h>
#include <GL/gl.h>

#include <cassert>
#include <cstdio>
#include <initializer_list>
#include <vector>

#include "calendar/Calendar.h"
#include "library/PictureLibrary.h"
#include "scene/GroundQuads.h"
#include "textures/Textures.h"

namespace {

constexpr int monthCount = 12;

int firstTableYear = YearSpan().first;
int lastTableYear = YearSpan().last;
std::vector<TextureName> yearTextures;   // firstTableYear onward
TextureName monthTextures[monthCount] = {};
bool signTablesLoaded = false;
TextureName titleTexture = 0;

GLuint yearPlateList = 0;
GLuint redWireList = 0;
GLuint yearBackPlateList = 0;
GLuint monthBackPlateList = 0;
GLuint blueWireList = 0;
GLuint monthPlateList = 0;
GLuint yearBoardList = 0;
GLuint monthBoardList = 0;
GLuint titleList = 0;

// Upright plates carry t = 0 on their top edge. The plates' normal lies in
// the plate, so banners are lit like the ground.
const TexturedVertex yearPlate[4] = {
    { 2.5f, -0.5f, 0, 0, 1 }, { -2.5f, -0.5f, 0, 1, 1 }, { -2.5f, 0.5f, 0, 1, 0 }, { 2.5f, 0.5f, 0, 0, 0 },
};
const TexturedVertex yearBackPlate[4] = {
    { 2.5f, -0.5f, 0, 1, 1 }, { 2.5f, 0.5f, 0, 1, 0 }, { -2.5f, 0.5f, 0, 0, 0 }, { -2.5f, -0.5f, 0, 0, 1 },
};
const TexturedVertex monthBackPlate[4] = {
    { 0, -0.5f, 2.5f, 0, 1 }, { 0, -0.5f, -2.5f, 1, 1 }, { 0, 0.5f, -2.5f, 1, 0 }, { 0, 0.5f, 2.5f, 0, 0 },
};
const TexturedVertex monthPlate[4] = {
    { 0, -0.5f, 2.5f, 1, 1 }, { 0, 0.5f, 2.5f, 1, 0 }, { 0, 0.5f, -2.5f, 0, 0 }, { 0, -0.5f, -2.5f, 0, 1 },
};
const TexturedVertex yearBoard[4] = {
    { -50, 0, 10, 0, 1 }, { 50, 0, 10, 1, 1 }, { 50, 0, -10, 1, 0 }, { -50, 0, -10, 0, 0 },
};
const TexturedVertex monthBoard[4] = {
    { -10, 0, -50, 0, 1 }, { -10, 0, 50, 1, 1 }, { 10, 0, 50, 1, 0 }, { 10, 0, -50, 0, 0 },
};
const TexturedVertex titlePlates[8] = {
    { 0, -6, 5, 0, 1 }, { 0, -6, -5, 1, 1 }, { 0, 6, -5, 1, 0 }, { 0, 6, 5, 0, 0 },
    { 0, -6, 5, 1, 1 }, { 0, 6, 5, 1, 0 },   { 0, 6, -5, 0, 0 }, { 0, -6, -5, 0, 1 },
};

// The wire hangs between two posts, sagging to the plate: (along, height).
const float wireSegments[6][4] = {
    { 11, 0.5f, 8, 0.25f }, { 8, 0.25f, 5, 0.1f }, { 5, 0.1f, 2.5f, 0 },
    { -2.5f, 0, -5, 0.1f }, { -5, 0.1f, -8, 0.25f }, { -8, 0.25f, -11, 0.5f },
};

// A point of the wire: the red wire runs along x, the blue one is the same
// wire turned to run along z (its along-coordinate is -z).
void wireVertex(bool alongZ, float along, float height)
{
    if (alongZ)
        glVertex3f(0.0f, height, -along);
    else
        glVertex3f(along, height, 0.0f);
}

// glutSolidCone points along +z; each cone is pushed so the following
// lists stay where the sign's translation puts them.
void cone(float px, float baseY, float pz, float tiltDegrees, double radius, double height)
{
    glPushMatrix();
    glTranslatef(px, baseY, pz);
    glRotatef(tiltDegrees, 1.0f, 0.0f, 0.0f);
    glutSolidCone(radius, height, 5, 5);
    glPopMatrix();
}

void emitWire(bool alongZ, const GLfloat* colour)
{
    glColor4fv(colour);
    glBegin(GL_LINES);
    for (const auto& s : wireSegments) {
        wireVertex(alongZ, s[0], s[1]);
        wireVertex(alongZ, s[2], s[3]);
    }
    glEnd();
    for (float post : { -11.0f, 11.0f }) {
        const float px = alongZ ? 0.0f : post;
        const float pz = alongZ ? post : 0.0f;
        cone(px, -6.0f, pz, -90.0f, 0.1, 5.0);   // up from the ground
        cone(px, 0.5f, pz, 90.0f, 0.05, 6.0);    // down from the wire's end
    }
}

GLuint compileWire(bool alongZ, const GLfloat* colour)
{
    const GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    emitWire(alongZ, colour);
    glEndList();
    return list;
}

const GLfloat redWire[4] = { 1.0f, 0.0f, 0.0f, 0.0f };
const GLfloat blueWire[4] = { 0.0f, 0.0f, 1.0f, 1.0f };

struct SignList {
    GLuint* list;
    const TexturedVertex* quads;   // null for a wire
    int count;
    const GLfloat* wireColour;
    bool wireAlongZ;
};

// In the order the lists are built.
const SignList signLists[9] = {
    { &yearPlateList, yearPlate, 4, nullptr, false },
    { &redWireList, nullptr, 0, redWire, false },
    { &yearBackPlateList, yearBackPlate, 4, nullptr, false },
    { &monthBackPlateList, monthBackPlate, 4, nullptr, false },
    { &blueWireList, nullptr, 0, blueWire, true },
    { &monthPlateList, monthPlate, 4, nullptr, false },
    { &yearBoardList, yearBoard, 4, nullptr, false },
    { &monthBoardList, monthBoard, 4, nullptr, false },
    { &titleList, titlePlates, 8, nullptr, false },
};

void loadSignTables()
{
    char path[64];
    yearTextures.clear();
    for (int year = firstTableYear; year <= lastTableYear; ++year) {
        snprintf(path, sizeof path, "./signs/sign%d_128x32.png", year);
        yearTextures.push_back(loadTextureAnisotropic(path));
    }
    for (int i = 0; i < monthCount; ++i) {
        snprintf(path, sizeof path, "./signs/sign%s128x32.png", monthName(i + 1));
        monthTextures[i] = loadTextureAnisotropic(path);
    }
    signTablesLoaded = true;
}

int yearCount()
{
    return lastTableYear - firstTableYear + 1;
}

// Signs made before the table changed may ask for entries the new one,
// not loaded yet, lacks.
void bindYear(int entry)
{
    if (entry >= 0 && entry < static_cast<int>(yearTextures.size()))
        bindTexture(yearTextures[entry]);
}

void bindEntry(const TextureName* table, int entry)
{
    if (entry >= 0)
        bindTexture(table[entry]);
}

int entryIn(int entry, int count)
{
    return entry >= 0 && entry < count ? entry : -1;
}

} // namespace

SignEntries signTableEntries(int kind, int index)
{
    switch (kind) {
    case Sign::yearBanner:
        return { entryIn(index, yearCount()), entryIn(index == 0 ? 0 : index - 1, yearCount()) };
    case Sign::monthBanner:
        return { entryIn(index, monthCount), entryIn(index - 1, monthCount) };
    case Sign::yearLabel:
        return { entryIn(index, yearCount()), -1 };
    case Sign::monthLabel:
        return { entryIn(index - 1, monthCount), -1 };
    default:
        return { -1, -1 };
    }
}

Sign::Sign(float x_, float y_, float z_, int kind_, int index_)
    : kind(kind_), index(index_)
{
    x = x_;
    y = y_;
    z = z_;
    if (!signTablesLoaded)
        loadSignTables();
    if (titleTexture == 0)
        titleTexture = loadTextureMipmapped("./signs/signZandervale512x512_02.png");
    for (const SignList& entry : signLists) {
        if (*entry.list != 0)
            continue;
        if (entry.quads)
            *entry.list = compileQuadList(entry.quads, entry.count);
        else
            *entry.list = compileWire(entry.wireAlongZ, entry.wireColour);
    }
}

bool Sign::sharedResourcesMade()
{
    return signTablesLoaded && titleList != 0;
}

void Sign::useYears(int firstYear, int lastYear)
{
    assert(firstYear <= lastYear);
    if (firstYear == firstTableYear && lastYear == lastTableYear)
        return;
    if (signTablesLoaded && !yearTextures.empty())
        deleteTextures(static_cast<int>(yearTextures.size()), yearTextures.data());
    yearTextures.clear();
    firstTableYear = firstYear;
    lastTableYear = lastYear;
    signTablesLoaded = false;
}

void Sign::draw(double /*seconds*/)
{
    const SignEntries entries = signTableEntries(kind, index);
    glPushMatrix();
    glTranslatef(x, y, z);
    switch (kind) {
    case title:
        bindTexture(titleTexture);
        glCallList(titleList);
        break;
    case yearBanner:
        bindYear(entries.front);
        glCallList(yearPlateList);
        disableGl(GlState::texturing);
        glCallList(redWireList);
        enableGl(GlState::texturing);
        bindYear(entries.back);
        glCallList(yearBackPlateList);
        break;
    case monthBanner:
        bindEntry(monthTextures, entries.front);
        glCallList(monthPlateList);
        disableGl(GlState::texturing);
        glCallList(blueWireList);
        enableGl(GlState::texturing);
        bindEntry(monthTextures, entries.back);
        glCallList(monthBackPlateList);
        break;
    case yearLabel:
        bindYear(entries.front);
        glCallList(yearBoardList);
        break;
    case monthLabel:
        bindEntry(monthTextures, entries.front);
        glCallList(monthBoardList);
        break;
    default:
        break;
    }
    glPopMatrix();
}
