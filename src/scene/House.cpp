// A house: one box per picture, growing out of the ground. Expects the
// window's GL state; a selected house leaves texturing, lighting and filled
// polygons on, blending off, line width 1 and the last glow colour current.
#include "scene/House.h"

#include <GL/gl.h>

#include <cmath>
#include <cstdlib>

#include "scene/Cube.h"
#include "scene/HouseLayout.h"

namespace {

// Distance from the eye to the current modelview origin.
float eyeDistance()
{
    GLfloat m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    return std::sqrt(m[12] * m[12] + m[13] * m[13] + m[14] * m[14]);
}

// OpenGL ignores a width of 0 or less (and flags an error); far houses reach
// that, so such a width is simply not asked for.
void setLineWidth(float width)
{
    if (width > 0.0f)
        glLineWidth(width);
}

} // namespace

House::House(float x_, float y_, float z_, MonthQuarter* record_, int pickName_)
    : record(record_), textures(&record_->getTextures()), growth(0.0f), growthRate(0.0f), age(0.0f)
{
    x = x_;
    y = y_;
    z = z_;
    pickName = pickName_;
    selectedPicture = -1;
    growthRate = (std::rand() % 40 + 10) * 0.005f;
    buildCubes();
}

House::~House()
{
    for (Cube* cube : cubes)
        delete cube;
}

void House::buildCubes()
{
    const int n = static_cast<int>(textures->size());
    const int variant = layoutUsesVariant(n) ? std::rand() % 3 : 0;
    const std::vector<BoxPlacement> boxes = layoutBoxes(n, variant);
    cubes.reserve(boxes.size());
    for (size_t i = 0; i < boxes.size(); ++i) {
        const BoxPlacement& b = boxes[i];
        cubes.push_back(new Cube(b.x, b.y, b.z, 0.0f, b.rotationY, 0.0f, b.scale, (*textures)[i]));
    }
}

bool House::isSelected() const
{
    return selectedPicture >= 0 && selectedPicture < static_cast<int>(cubes.size());
}

void House::draw(double seconds)
{
    age += static_cast<float>(seconds);
    growth = growthStep(growth, growthRate, seconds);

    glPushMatrix();
    glTranslatef(x, 0.0f, z);
    const float distance = eyeDistance();
    if (!isSelected()) {
        drawGrowing(seconds);
        glPopMatrix();
        return;
    }
    const float pulse = pulseFactor(distance, age);
    drawSolidSelected(seconds, pulse);
    glPopMatrix();
    drawGlow(seconds, pulse, distance);
}

// The scalings accumulate on purpose: box i comes out scaled by growth to
// the power i + 1, so upper boxes rise later while the house grows.
void House::drawGrowing(double seconds)
{
    for (Cube* cube : cubes) {
        glScalef(growth, growth, growth);
        cube->draw(seconds);
    }
}

void House::drawSolidSelected(double seconds, float pulse)
{
    glDisable(GL_LIGHTING);
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
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glPolygonMode(GL_FRONT, GL_LINE);
    glPolygonMode(GL_BACK, GL_LINE);
    const float w = glowLevel(age);
    const float width = baseLineWidth(distance);
    setLineWidth(width);
    glDisable(GL_TEXTURE_2D);
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
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_LIGHTING);
    glDisable(GL_BLEND);
    glPolygonMode(GL_FRONT, GL_FILL);
    glPolygonMode(GL_BACK, GL_FILL);
    glLineWidth(1.0f);
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
    for (Cube* cube : cubes) {
        // Every box is asked, not only up to the first hit.
        if (cube->collides(fromX - x, fromY - y, fromZ - z, toX - x, toY - y, toZ - z,
                           outX, outY, outZ))
            blocked = true;
    }
    return blocked;
}
