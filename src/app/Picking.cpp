// Picking through GL_SELECT with the display's own perspective, and the
// nearest-crossing rule.
#include "app/Picking.h"

#include <GL/freeglut.h>

#include <limits>

#include "app/AppState.h"
#include "app/Window.h"
#include "scene/SceneObject.h"
#include "scene/Street.h"

namespace {

constexpr int pickBufferSize = 1024;
constexpr double pickRegionPixels = 4.0;
// At most one crossing can be this near to any point: they are 120 apart.
constexpr float certainCrossingDistance = 50.0f;

}  // namespace

SceneObject* pickAt(const std::vector<SceneObject*>& objects, const AppState& state, int x, int y,
                    int* outSubName, const std::function<void()>& drawForPicking)
{
    GLuint buffer[pickBufferSize];
    glSelectBuffer(pickBufferSize, buffer);
    glRenderMode(GL_SELECT);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    // GLUT's y grows downward; the pick region's grows upward.
    gluPickMatrix(x, viewport[3] - y, pickRegionPixels, pickRegionPixels, viewport);
    applyPerspective(state.windowWidth, state.windowHeight, state.farPlane);
    glMatrixMode(GL_MODELVIEW);
    glInitNames();
    drawForPicking();
    const GLint hits = glRenderMode(GL_RENDER);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glFlush();

    *outSubName = -1;
    if (hits <= 0)   // negative: the buffer overflowed
        return nullptr;
    GLuint nearest = std::numeric_limits<GLuint>::max();
    int chosen = -1;
    GLint at = 0;
    for (GLint hit = 0; hit < hits && at + 3 <= pickBufferSize; ++hit) {
        const GLuint names = buffer[at];
        const GLuint minDepth = buffer[at + 1];
        // A record without names has no first name to take; reading one
        // would take the next record's count instead.
        if (names > 0 && at + 3 + static_cast<GLint>(names) <= pickBufferSize && minDepth < nearest) {
            nearest = minDepth;
            chosen = static_cast<int>(buffer[at + 3]);
            if (names > 1)
                *outSubName = static_cast<int>(buffer[at + 4]);
        }
        at += 3 + static_cast<GLint>(names);
    }
    if (chosen == SceneObject::noPickName)
        return nullptr;
    for (SceneObject* object : objects) {
        if (object->pickName == chosen)
            return object;
    }
    return nullptr;
}

Street* nearestCrossing(const std::vector<SceneObject*>& objects, float x, float y, float z)
{
    float best = 99999.9f;
    Street* result = nullptr;
    for (SceneObject* object : objects) {
        Street* street = dynamic_cast<Street*>(object);
        if (street == nullptr || street->kind != Street::crossing)
            continue;
        const float d = static_cast<float>(street->distanceTo(x, y, z));
        if (d < certainCrossingDistance)
            return street;
        if (d < best) {
            best = d;
            result = street;
        }
    }
    return result;
}
