// Whether a box can show in the view at all: the test that lets a house, or
// a whole block of houses, be passed over before anything of it is drawn.
#pragma once

// Whether the box min-max, in the frame of modelview, lies wholly outside
// one plane of the view that projection makes: all eight corners beyond it
// in clip space. Both matrices column-major, as the GL keeps them.
bool boxOutsideView(const float min[3], const float max[3], const float modelview[16], const float projection[16]);
// The box's eight corners in clip space, corner k taking max on axis i
// where bit i of k is set.
void boxCornersInClip(const float min[3], const float max[3], const float modelview[16], const float projection[16],
                      float clip[8][4]);
// The eye in the frame of modelview, which is a turn and a shift only.
void eyeOf(const float modelview[16], float eye[3]);
// Whether the box min-max, moved to (x, y, z), may show through the GL's
// current modelview and projection.
bool boxMayShow(const float min[3], const float max[3], float x, float y, float z);
