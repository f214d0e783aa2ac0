// The view-volume test on a box's corners in clip space.
#include "scene/ViewVolume.h"

#include <GL/gl.h>

void boxCornersInClip(const float min[3], const float max[3], const float modelview[16], const float projection[16],
                      float clip[8][4])
{
    float m[16];
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r)
            m[c * 4 + r] = projection[r] * modelview[c * 4] + projection[4 + r] * modelview[c * 4 + 1] +
                           projection[8 + r] * modelview[c * 4 + 2] + projection[12 + r] * modelview[c * 4 + 3];
    for (int corner = 0; corner < 8; ++corner) {
        const float p[3] = { corner & 1 ? max[0] : min[0], corner & 2 ? max[1] : min[1], corner & 4 ? max[2] : min[2] };
        for (int r = 0; r < 4; ++r)
            clip[corner][r] = m[r] * p[0] + m[4 + r] * p[1] + m[8 + r] * p[2] + m[12 + r];
    }
}

bool boxOutsideView(const float min[3], const float max[3], const float modelview[16], const float projection[16])
{
    float clip[8][4];
    boxCornersInClip(min, max, modelview, projection, clip);
    int beyond[6] = {};   // corners past -x, +x, -y, +y, near, far
    for (const float* corner : clip) {
        for (int axis = 0; axis < 3; ++axis) {
            beyond[2 * axis] += corner[axis] < -corner[3];
            beyond[2 * axis + 1] += corner[axis] > corner[3];
        }
    }
    for (int plane = 0; plane < 6; ++plane) {
        if (beyond[plane] == 8)
            return true;
    }
    return false;
}

bool boxMayShow(const float min[3], const float max[3], float x, float y, float z)
{
    GLfloat modelview[16], projection[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    const float low[3] = { min[0] + x, min[1] + y, min[2] + z }, high[3] = { max[0] + x, max[1] + y, max[2] + z };
    return !boxOutsideView(low, high, modelview, projection);
}

void eyeOf(const float modelview[16], float eye[3])
{
    const float* m = modelview;
    for (int i = 0; i < 3; ++i)
        eye[i] = -(m[4 * i] * m[12] + m[4 * i + 1] * m[13] + m[4 * i + 2] * m[14]);
}
