// Houses seen from above as pictures of themselves: taken into one texture
// at the window's own pixels, colour and depth, and drawn within its outline
// by a fragment program that gives every pixel its depth back, so that the
// pictures hide each other, the ground and the walker's marker just as the
// houses would. Taken again once the eye has panned far enough for the
// house's sides to shift by half a pixel.
#include "scene/StandIns.h"

#define GL_GLEXT_PROTOTYPES 1   // framebuffer objects and fragment programs

#include <GL/freeglut.h>
#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "scene/House.h"
#include "scene/ViewVolume.h"
#include "textures/GlState.h"

namespace {

// How far the pictures may drift from the houses they stand for, in pixels.
constexpr float driftPixels = 0.5f;

// The texture grows in height up to this, as the houses in view need.
constexpr int mostRows = 2048;

// The picture's colour, its pixels where the house is not dropped, and
// its depth as it was taken: straight down, panning keeps every depth.
const char pictureProgram[] =
    "!!ARBfp1.0\n"
    "TEMP colour, depth, opaque;\n"
    "TEX colour, fragment.texcoord[0], texture[0], 2D;\n"
    "TEX depth, fragment.texcoord[0], texture[1], 2D;\n"
    "SUB opaque, colour.w, 0.5;\n"
    "KIL opaque;\n"
    "MOV result.color, colour;\n"
    "MOV result.depth.z, depth.x;\n"
    "END\n";

// The fragment program calls, which the GL library need not export: asked
// of the driver once a program is wanted.
struct ProgramCalls {
    PFNGLGENPROGRAMSARBPROC generate = nullptr;
    PFNGLBINDPROGRAMARBPROC bind = nullptr;
    PFNGLPROGRAMSTRINGARBPROC load = nullptr;
    PFNGLDELETEPROGRAMSARBPROC remove = nullptr;
    bool found() const { return generate != nullptr && bind != nullptr && load != nullptr && remove != nullptr; }
};
ProgramCalls programCalls;

template <typename Call>
void findCall(Call* call, const char* name)
{
    *call = reinterpret_cast<Call>(glutGetProcAddress(name));
}

// The framebuffer drawn into before the pictures' own: the window's, or
// whatever the caller draws into instead.
GLuint boundFramebuffer()
{
    GLint bound = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
    return static_cast<GLuint>(bound);
}

// The point of the window (x, y) on the plane at height `height`, through m and p.
void onPlane(double x, double y, float height, const float m[16], const float p[16], const int viewport[4],
             float out[3])
{
    double model[16], projection[16], near[3], far[3];
    std::copy(m, m + 16, model);
    std::copy(p, p + 16, projection);
    gluUnProject(x, y, 0.0, model, projection, viewport, &near[0], &near[1], &near[2]);
    gluUnProject(x, y, 1.0, model, projection, viewport, &far[0], &far[1], &far[2]);
    const double along = (height - near[1]) / (far[1] - near[1]);
    for (int axis = 0; axis < 3; ++axis)
        out[axis] = static_cast<float>(near[axis] + along * (far[axis] - near[axis]));
    out[1] = height;
}

// A texture of width x rows texels of format, sampled texel for texel.
GLuint newPlainTexture(GLint format, GLenum layout, GLenum type, int width, int rows)
{
    const GLuint name = bindNewTexture();
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexImage2D(GL_TEXTURE_2D, 0, format, width, rows, 0, layout, type, nullptr);
    return name;
}

}  // namespace

StandIns::~StandIns()
{
    dropTarget();
}

void StandIns::dropTarget()
{
    if (framebuffer != 0)
        glDeleteFramebuffers(1, &framebuffer);
    if (program != 0)
        programCalls.remove(1, &program);
    const GLuint textures[2] = { colours, depths };
    if (colours != 0)
        deleteTextures(2, textures);
    framebuffer = program = colours = depths = 0;
}

bool StandIns::makeTarget()
{
    if (framebuffer != 0 || unusable)
        return !unusable;
    unusable = true;
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    if (!((version != nullptr && std::atoi(version) >= 3) || glutExtensionSupported("GL_ARB_framebuffer_object")) ||
        !glutExtensionSupported("GL_ARB_fragment_program"))
        return false;
    findCall(&programCalls.generate, "glGenProgramsARB");
    findCall(&programCalls.bind, "glBindProgramARB");
    findCall(&programCalls.load, "glProgramStringARB");
    findCall(&programCalls.remove, "glDeleteProgramsARB");
    if (!programCalls.found())
        return false;
    colours = newPlainTexture(GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE, width, rows);
    depths = newPlainTexture(GL_DEPTH_COMPONENT24, GL_DEPTH_COMPONENT, GL_UNSIGNED_INT, width, rows);
    const GLuint drawnInto = boundFramebuffer();
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colours, 0);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_TEXTURE_2D, depths, 0);
    const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    glBindFramebuffer(GL_FRAMEBUFFER, drawnInto);
    programCalls.generate(1, &program);
    programCalls.bind(GL_FRAGMENT_PROGRAM_ARB, program);
    programCalls.load(GL_FRAGMENT_PROGRAM_ARB, GL_PROGRAM_FORMAT_ASCII_ARB,
                      static_cast<GLsizei>(std::strlen(pictureProgram)), pictureProgram);
    GLint error = 0;
    glGetIntegerv(GL_PROGRAM_ERROR_POSITION_ARB, &error);
    unusable = !complete || error != -1;
    if (unusable)
        dropTarget();
    return !unusable;
}

void StandIns::clear()
{
    pictures.clear();
    shelfX = shelfY = shelfHeight = 0;
    standingArea = givenArea = 0;
}

// What a picture shows besides the house: the turn of the view, the eye's
// height (panning keeps both), and the lights, the walker's at its place
// in the world.
bool StandIns::begin(const float m[16], const float p[16], const int view[4])
{
    asked.clear();
    drawn.clear();
    // The view's z axis is the world's up: the eye looks straight down.
    // Looking any other way, the textures go until it looks down again.
    if (std::fabs(m[6] - 1.0f) > 1e-5f) {
        dropTarget();
        clear();
        looked = false;
        return false;
    }
    if (!makeTarget())
        return false;
    float now[sizeof look / sizeof look[0]];
    const int turn[9] = { 0, 1, 2, 4, 5, 6, 8, 9, 10 };
    for (int i = 0; i < 9; ++i)
        now[i] = m[turn[i]];
    float eye[3], light[4];
    eyeOf(m, eye);
    now[9] = eye[1];
    now[10] = static_cast<float>(glState().enabled & lightSwitches);
    glGetLightfv(GL_LIGHT1, GL_POSITION, light);
    for (int j = 0; j < 3; ++j) {   // back from the eye's frame: the turn's transpose
        now[11 + j] = 0.0f;
        for (int i = 0; i < 3; ++i)
            now[11 + j] += m[4 * j + i] * (light[i] - light[3] * m[12 + i]);
    }
    bool same = looked && std::equal(p, p + 16, projection) && std::equal(view, view + 4, viewport);
    for (size_t i = 0; i < sizeof look / sizeof look[0] && same; ++i)
        same = std::fabs(now[i] - look[i]) <= 1e-4f * (1.0f + std::fabs(look[i]));
    if (!same)
        clear();
    still = same && std::equal(m, m + 16, modelview);
    std::copy(now, now + sizeof look / sizeof look[0], look);
    std::copy(m, m + 16, modelview);
    std::copy(p, p + 16, projection);
    std::copy(view, view + 4, viewport);
    looked = true;
    return true;
}

// The window's pixels the house's bounds cover, with a pixel around them,
// cut to the window, and their outline; false where the eye is not above
// them. clipped: some of them lay past the window.
bool StandIns::frameWindow(Asked* ask) const
{
    float min[3], max[3];
    ask->house->worldBounds(min, max);
    if (look[9] <= max[1])
        return false;
    float clip[8][4];
    boxCornersInClip(min, max, modelview, projection, clip);
    double low[2] = { 1e30, 1e30 }, high[2] = { -1e30, -1e30 };
    double corners[8][2];
    for (int c = 0; c < 8; ++c) {
        if (clip[c][3] <= 0.0f)
            return false;
        for (int axis = 0; axis < 2; ++axis) {
            const double window = viewport[axis] + (static_cast<double>(clip[c][axis]) / clip[c][3] + 1.0) / 2.0 * viewport[axis + 2];
            low[axis] = std::min(low[axis], window);
            high[axis] = std::max(high[axis], window);
            corners[c][axis] = window;
        }
    }
    int* rect = ask->rect;
    ask->clipped = false;
    for (int axis = 0; axis < 2; ++axis) {
        const double first = std::floor(low[axis]) - 1.0, last = std::ceil(high[axis]) + 1.0;
        const int from = static_cast<int>(std::max(first, static_cast<double>(viewport[axis])));
        const int to = static_cast<int>(std::min(last, static_cast<double>(viewport[axis] + viewport[axis + 2])));
        ask->clipped = ask->clipped || from != first || to != last;
        rect[axis] = from;
        rect[axis + 2] = to - from;
    }
    outline(*ask, corners);
    return rect[2] > 0 && rect[3] > 0 && rect[2] <= width && rect[3] <= mostRows;
}

// The convex hull of the bounds' corners, each widened to a square of a
// pixel either way, which the rectangle holds; the rectangle itself where
// it is cut at the window's edge.
void StandIns::outline(Asked& ask, const double corners[8][2])
{
    std::vector<std::pair<double, double>> points;
    for (int c = 0; c < 8 && !ask.clipped; ++c)
        for (int k = 0; k < 4; ++k)
            points.emplace_back(corners[c][0] - ask.rect[0] + (k % 2 == 0 ? -1.0 : 1.0),
                                corners[c][1] - ask.rect[1] + (k / 2 == 0 ? -1.0 : 1.0));
    if (ask.clipped)
        points = { { 0.0, 0.0 }, { ask.rect[2], 0.0 }, { ask.rect[2], ask.rect[3] }, { 0.0, ask.rect[3] } };
    // Andrew's monotone chain: the lower hull left to right, then the upper back.
    std::sort(points.begin(), points.end());
    std::vector<std::pair<double, double>> hull;
    const auto turnsLeft = [&hull](const std::pair<double, double>& p) {
        const auto& a = hull[hull.size() - 2];
        const auto& b = hull.back();
        return (b.first - a.first) * (p.second - a.second) - (b.second - a.second) * (p.first - a.first) > 0.0;
    };
    for (int pass = 0; pass < 2; ++pass) {
        const size_t start = hull.size();
        for (size_t i = 0; i < points.size(); ++i) {
            const auto& p = pass == 0 ? points[i] : points[points.size() - 1 - i];
            while (hull.size() >= start + 2 && !turnsLeft(p))
                hull.pop_back();
            hull.push_back(p);
        }
        hull.pop_back();   // the next pass starts where this one ends
    }
    // A box's outline has at most six corners, and the square adds four.
    assert(hull.size() <= mostOutline);
    ask.outlined = static_cast<int>(std::min<size_t>(hull.size(), mostOutline));
    for (int k = 0; k < ask.outlined; ++k) {
        for (int axis = 0; axis < 2; ++axis) {
            const auto& corner = hull[static_cast<size_t>(k)];
            ask.outline[k][axis] = static_cast<float>(std::clamp(axis == 0 ? corner.first : corner.second, 0.0,
                                                                 static_cast<double>(ask.rect[axis + 2])));
        }
    }
}

void StandIns::draw(House* house, const float eye[3], double seconds, float leastRadians, float pixelsPerRadian)
{
    Asked ask{ house, seconds, {}, false, {}, 0, {} };
    const auto found = pictures.find(house);
    if (found != pictures.end()) {
        const Picture& picture = found->second;
        const bool holds = house->looksAsListed(eye, seconds, pixelsPerRadian) &&
                           house->levelsListed() == picture.levels && leastRadians == picture.leastRadians &&
                           std::hypot(eye[0] - picture.eye[0], eye[2] - picture.eye[2]) <= picture.reach;
        if (holds) {
            drawn.push_back(house);
            return;
        }
        ask.seconds = 0.0;   // stepped already
        std::copy(picture.tile, picture.tile + 4, ask.tile);
        standingArea -= static_cast<long>(picture.tile[2]) * picture.tile[3];
        pictures.erase(found);
    }
    // One cut at the window's edge stands only while the eye does: while
    // it pans, the house is drawn as it is.
    if (house->isGrown() && house->selectedPicture < 0 && frameWindow(&ask) &&
        (still || !ask.clipped))
        asked.push_back(ask);
    else
        house->drawAtDetail(ask.seconds, leastRadians, pixelsPerRadian);
}

// Shelves across the texture, each as high as its highest picture.
bool StandIns::place(int across, int high, int* x, int* y)
{
    if (shelfX + across > width) {
        shelfY += shelfHeight;
        shelfX = shelfHeight = 0;
    }
    if (shelfY + high > rows)
        return false;
    *x = shelfX, *y = shelfY;
    shelfX += across;
    shelfHeight = std::max(shelfHeight, high);
    givenArea += static_cast<long>(across) * high;
    standingArea += static_cast<long>(across) * high;
    return true;
}

// Places every asked picture: in its old place where it still fits, else
// on the shelves, the highest first so that they fill. A tile left without
// one has none.
bool StandIns::placeAsked()
{
    bool room = true;
    std::stable_sort(asked.begin(), asked.end(), [](const Asked& a, const Asked& b) { return a.rect[3] > b.rect[3]; });
    for (Asked& ask : asked) {
        if (ask.tile[2] >= ask.rect[2] && ask.tile[3] >= ask.rect[3]) {
            standingArea += static_cast<long>(ask.tile[2]) * ask.tile[3];
            continue;
        }
        ask.tile[2] = ask.tile[3] = 0;
        if (place(ask.rect[2], ask.rect[3], &ask.tile[0], &ask.tile[1]))
            ask.tile[2] = ask.rect[2], ask.tile[3] = ask.rect[3];
        else
            room = false;
    }
    return room;
}

// Where the asked pictures find no room, the texture starts over with
// every house of the frame asked again: at its size while a quarter of it
// or more is left behind by pictures gone, else twice as high, up to
// mostRows.
void StandIns::makeRoom(float leastRadians, float pixelsPerRadian)
{
    const long left = givenArea - standingArea;
    if (placeAsked() || (left == 0 && rows == mostRows))
        return;
    if (4 * left < static_cast<long>(width) * rows && rows < mostRows) {
        dropTarget();
        rows *= 2;
        if (!makeTarget()) {   // no texture: every house of the frame as it is
            for (House* house : drawn)
                house->drawAtDetail(0.0, leastRadians, pixelsPerRadian);
            for (const Asked& ask : asked)
                ask.house->drawAtDetail(ask.seconds, leastRadians, pixelsPerRadian);
            drawn.clear();
            asked.clear();
            clear();
            return;
        }
    }
    for (House* house : drawn) {
        Asked again{ house, 0.0, {}, false, {}, 0, {} };
        if (frameWindow(&again) && (still || !again.clipped))
            asked.push_back(again);
        else
            house->drawAtDetail(0.0, leastRadians, pixelsPerRadian);
    }
    drawn.clear();
    clear();
    for (Asked& ask : asked)
        ask.tile[2] = ask.tile[3] = 0;
    placeAsked();
}

// Each picture drawn into its own part of the texture through a viewport
// moved by whole pixels: the house's pixels there are its pixels in the
// window, colour and depth. What finds no room is drawn as it is.
void StandIns::take(float leastRadians, float pixelsPerRadian)
{
    makeRoom(leastRadians, pixelsPerRadian);
    if (std::any_of(asked.begin(), asked.end(), [](const Asked& ask) { return ask.tile[2] > 0; })) {
        GLfloat clearColour[4];
        glGetFloatv(GL_COLOR_CLEAR_VALUE, clearColour);
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        const GLuint drawnInto = boundFramebuffer();
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glEnable(GL_SCISSOR_TEST);
        for (const Asked& ask : asked) {
            if (ask.tile[2] == 0)
                continue;
            glViewport(viewport[0] + ask.tile[0] - ask.rect[0], viewport[1] + ask.tile[1] - ask.rect[1], viewport[2],
                       viewport[3]);
            glScissor(ask.tile[0], ask.tile[1], ask.rect[2], ask.rect[3]);
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            ask.house->drawAtDetail(ask.seconds, leastRadians, pixelsPerRadian);
            keep(ask, leastRadians, pixelsPerRadian);
        }
        glDisable(GL_SCISSOR_TEST);
        glBindFramebuffer(GL_FRAMEBUFFER, drawnInto);
        glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
        glClearColor(clearColour[0], clearColour[1], clearColour[2], clearColour[3]);
    }
    for (const Asked& ask : asked)
        if (ask.tile[2] == 0)
            ask.house->drawAtDetail(ask.seconds, leastRadians, pixelsPerRadian);
}

// The picture just taken into its tile: where it lies in the
// world, and how far the eye may pan before the house's base and top, at
// their different depths, part by half a pixel. A picture cut at the
// window's edge stands only while the eye does not move.
void StandIns::keep(const Asked& ask, float leastRadians, float pixelsPerRadian)
{
    float min[3], max[3];
    ask.house->worldBounds(min, max);
    Picture& picture = pictures[ask.house];
    std::copy(ask.tile, ask.tile + 4, picture.tile);
    picture.width = ask.rect[2], picture.height = ask.rect[3];
    picture.outlined = ask.outlined;
    std::copy(&ask.outline[0][0], &ask.outline[0][0] + 2 * mostOutline, &picture.outline[0][0]);
    for (int k = 0; k < ask.outlined; ++k)
        onPlane(ask.rect[0] + ask.outline[k][0], ask.rect[1] + ask.outline[k][1], max[1], modelview, projection, viewport,
                picture.corners[k]);
    eyeOf(modelview, picture.eye);
    const float parting = pixelsPerRadian * (1.0f / (picture.eye[1] - max[1]) - 1.0f / (picture.eye[1] - min[1]));
    picture.reach = ask.clipped ? 0.0f : parting > 0.0f ? driftPixels / parting : std::numeric_limits<float>::infinity();
    picture.levels = ask.house->levelsListed();
    picture.leastRadians = leastRadians;
    drawn.push_back(ask.house);
}

// Every picture in one run, its texels on the window's pixels where the eye
// stands where it was taken.
void StandIns::drawPictures()
{
    if (drawn.empty())
        return;
    bindTexture(colours, wholeTexture);
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, depths);
    glActiveTexture(GL_TEXTURE0);
    programCalls.bind(GL_FRAGMENT_PROGRAM_ARB, program);
    enableGl(GlState::fragmentProgram);
    const float across = 1.0f / static_cast<float>(width), up = 1.0f / static_cast<float>(rows);
    glBegin(GL_TRIANGLES);
    for (House* house : drawn) {
        const Picture& picture = pictures.at(house);
        for (int k = 1; k + 1 < picture.outlined; ++k) {
            for (int corner : { 0, k, k + 1 }) {
                glTexCoord2f((picture.tile[0] + picture.outline[corner][0]) * across,
                             (picture.tile[1] + picture.outline[corner][1]) * up);
                glVertex3fv(picture.corners[corner]);
            }
        }
    }
    glEnd();
    disableGl(GlState::fragmentProgram);
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, 0);
    glActiveTexture(GL_TEXTURE0);
}

void StandIns::finish(float leastRadians, float pixelsPerRadian)
{
    take(leastRadians, pixelsPerRadian);
    drawPictures();
}
