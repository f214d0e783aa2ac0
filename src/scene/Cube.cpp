// A photo box: its transform, its faces in the parent frame, which faces no
// eye in a region sees, its bounds and collision.
#include "scene/Cube.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "scene/Angles.h"
#include "scene/UnitBox.h"
#include "textures/PhotoAtlas.h"
#include "textures/Textures.h"

namespace {

struct FaceVertex {
    float x, y, z;
    float s, t;
};

struct Face {
    float normal[3];
    FaceVertex corners[4];
};

constexpr float w = boxHalfWidth, h = boxHalfHeight;

// Side faces carry t = 1 on their bottom edge so the photo stands upright.
// Top and bottom are faces 4 and 5, as unseenFaces numbers them.
const Face faces[6] = {
    { { 0, 0, -1 }, { { -w, -h, -w, 1, 1 }, { -w, h, -w, 1, 0 }, { w, h, -w, 0, 0 }, { w, -h, -w, 0, 1 } } },
    { { 0, 0, 1 },  { { -w, -h, w, 0, 1 }, { w, -h, w, 1, 1 }, { w, h, w, 1, 0 }, { -w, h, w, 0, 0 } } },
    { { -1, 0, 0 }, { { -w, -h, -w, 0, 1 }, { -w, -h, w, 1, 1 }, { -w, h, w, 1, 0 }, { -w, h, -w, 0, 0 } } },
    { { 1, 0, 0 },  { { w, -h, -w, 1, 1 }, { w, h, -w, 1, 0 }, { w, h, w, 0, 0 }, { w, -h, w, 0, 1 } } },
    { { 0, 1, 0 },  { { w, h, -w, 0, 0 }, { -w, h, -w, 0, 1 }, { -w, h, w, 1, 1 }, { w, h, w, 1, 0 } } },
    { { 0, -1, 0 }, { { -w, -h, -w, 0, 0 }, { w, -h, -w, 0, 1 }, { w, -h, w, 1, 1 }, { -w, -h, w, 1, 0 } } },
};

// The turn of glRotatef(rx, 1,0,0) glRotatef(ry, 0,1,0) glRotatef(rz, 0,0,1),
// row-major.
struct Turn {
    double m[3][3];

    Turn(float rx, float ry, float rz)
    {
        const double d = pi / 180.0;
        const double cx = std::cos(rx * d), sx = std::sin(rx * d);
        const double cy = std::cos(ry * d), sy = std::sin(ry * d);
        const double cz = std::cos(rz * d), sz = std::sin(rz * d);
        const double a[3][3] = { { 1, 0, 0 }, { 0, cx, -sx }, { 0, sx, cx } };
        const double b[3][3] = { { cy, 0, sy }, { 0, 1, 0 }, { -sy, 0, cy } };
        const double c[3][3] = { { cz, -sz, 0 }, { sz, cz, 0 }, { 0, 0, 1 } };
        double ab[3][3];
        multiply(a, b, ab);
        multiply(ab, c, m);
    }

    static void multiply(const double l[3][3], const double r[3][3], double out[3][3])
    {
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j)
                out[i][j] = l[i][0] * r[0][j] + l[i][1] * r[1][j] + l[i][2] * r[2][j];
    }

    void apply(const double v[3], float out[3]) const
    {
        for (int i = 0; i < 3; ++i)
            out[i] = static_cast<float>(m[i][0] * v[0] + m[i][1] * v[1] + m[i][2] * v[2]);
    }
};

} // namespace

void emitUnitBox()
{
    glBegin(GL_QUADS);
    for (const Face& face : faces) {
        glNormal3fv(face.normal);
        for (const FaceVertex& v : face.corners) {
            glTexCoord2f(v.s, v.t);
            glVertex3f(v.x, v.y, v.z);
        }
    }
    glEnd();
}

Cube::Cube(const UnitBox& box_, float x_, float y_, float z_, float rotationX_, float rotationY_, float rotationZ_,
           float scale_, TextureName texture_)
    : texture(texture_), scale(scale_), box(&box_)
{
    x = x_;
    y = y_;
    z = z_;
    rotationX = rotationX_;
    rotationY = rotationY_;
    rotationZ = rotationZ_;
}

// Rotation before translation: the position is taken in the turned frame,
// which is what lets the house layouts swing boxes around the house's axis.
void Cube::applyTransform() const
{
    glRotatef(rotationX, 1, 0, 0);
    glRotatef(rotationY, 0, 1, 0);
    glRotatef(rotationZ, 0, 0, 1);
    glTranslatef(x, y, z);
    glScalef(scale, scale, scale);
}

// The same transform as applyTransform: the corner is scaled, moved to the
// position and then turned with it.
void Cube::emitInParentFrame(float s0, float t0, float s1, float t1, unsigned leftOut, const int* levelsBelow) const
{
    const Turn turn(rotationX, rotationY, rotationZ);
    for (int f = 0; f < 6; ++f) {
        if (leftOut & 1u << f)
            continue;
        const Face& face = faces[f];
        // A scaled box's normals come out 1/scale long from the modelview;
        // so do these, for a GL without GL_NORMALIZE to light both alike.
        const double n[3] = { face.normal[0] / scale, face.normal[1] / scale, face.normal[2] / scale };
        float normal[3];
        turn.apply(n, normal);
        glNormal3fv(normal);
        const double down = f < 4 && levelsBelow != nullptr ? 2.0 * h * levelsBelow[f] : 0.0;
        for (const FaceVertex& v : face.corners) {
            const double p[3] = { x + static_cast<double>(scale) * v.x,
                                  y + static_cast<double>(scale) * (v.y < 0.0f ? v.y - down : v.y),
                                  z + static_cast<double>(scale) * v.z };
            float corner[3];
            turn.apply(p, corner);
            glTexCoord2f(s0 + (s1 - s0) * v.s, t0 + (t1 - t0) * v.t);
            glVertex3fv(corner);
        }
    }
}

void Cube::sideEdgeMiddle(int f, bool top, float out[3]) const
{
    const Face& face = faces[f];
    const double p[3] = { x + static_cast<double>(scale) * w * face.normal[0],
                          y + static_cast<double>(scale) * (top ? h : -h),
                          z + static_cast<double>(scale) * w * face.normal[2] };
    Turn(rotationX, rotationY, rotationZ).apply(p, out);
}

// The bits (1 << f) of the faces whose plane stands as test(normal,
// corner) says, each face's outward normal and one of its corners taken in
// the parent frame with one turn for all six.
template <typename Test> unsigned Cube::facesWhere(Test test) const
{
    const Turn turn(rotationX, rotationY, rotationZ);
    unsigned faceBits = 0;
    for (int f = 0; f < 6; ++f) {
        const Face& face = faces[f];
        const double n[3] = { face.normal[0], face.normal[1], face.normal[2] };
        const FaceVertex& v = face.corners[0];
        const double p[3] = { x + static_cast<double>(scale) * v.x, y + static_cast<double>(scale) * v.y,
                              z + static_cast<double>(scale) * v.z };
        float normal[3], corner[3];
        turn.apply(n, normal);
        turn.apply(p, corner);
        faceBits |= test(normal, corner) ? 1u << f : 0u;
    }
    return faceBits;
}

unsigned Cube::facesBehind(const float eye[3], float margin) const
{
    return facesWhere([&](const float normal[3], const float corner[3]) {
        const float inFront = normal[0] * (eye[0] - corner[0]) + normal[1] * (eye[1] - corner[1]) +
                              normal[2] * (eye[2] - corner[2]);
        return inFront < -margin;
    });
}

unsigned Cube::facesAwayFrom(const float eyeLow[3], const float eyeHigh[3]) const
{
    return facesWhere([&](const float normal[3], const float corner[3]) {
        // The eye sees the front only where (eye - corner) . normal > 0: find
        // the most that can reach over the region, axis by axis.
        constexpr float level = 1e-4f;   // a turned axis normal keeps tiny parts
        double most = 0.0, plane = 0.0;
        for (int i = 0; i < 3; ++i) {
            plane += static_cast<double>(normal[i]) * corner[i];
            if (normal[i] > level)
                most += static_cast<double>(normal[i]) * eyeHigh[i];
            else if (normal[i] < -level)
                most += static_cast<double>(normal[i]) * eyeLow[i];
            else if (normal[i] != 0.0f)
                most += std::fabs(normal[i]) * std::max(std::fabs(eyeLow[i]), std::fabs(eyeHigh[i]));
        }
        return most < plane - 1e-3;
    });
}

// Every face's corners are among the box's eight: those are enough.
void Cube::extendBounds(float* min, float* max) const
{
    const Turn turn(rotationX, rotationY, rotationZ);
    for (int k = 0; k < 8; ++k) {
        const float v[3] = { k & 1 ? w : -w, k & 2 ? h : -h, k & 4 ? w : -w };
        const double p[3] = { x + static_cast<double>(scale) * v[0], y + static_cast<double>(scale) * v[1],
                              z + static_cast<double>(scale) * v[2] };
        float corner[3];
        turn.apply(p, corner);
        for (int i = 0; i < 3; ++i) {
            min[i] = std::min(min[i], corner[i]);
            max[i] = std::max(max[i], corner[i]);
        }
    }
}

void Cube::draw(double /*seconds*/)
{
    glPushMatrix();
    bindPhoto();
    applyTransform();
    box->draw();
    unbindPhoto();
    glPopMatrix();
}

void Cube::bindPhoto() const
{
    box->photos().bind(texture);
}

void Cube::drawForPicking()
{
    glPushMatrix();
    applyTransform();
    box->draw();
    glPopMatrix();
}

bool Cube::collides(float fromX, float /*fromY*/, float fromZ, float toX, float toY, float toZ,
                    float* /*outX*/, float* /*outY*/, float* /*outZ*/)
{
    return boxBlocksStep(shape(), fromX, fromZ, toX, toY, toZ);
}
