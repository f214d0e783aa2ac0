// The city's light 0. The constructor enables it and sets its colours;
// drawing only places it, under the frame's view transform.
#include "scene/LightObject.h"

#include <GL/gl.h>

#include "textures/GlState.h"

LightObject::LightObject(float x_, float y_, float z_)
{
    x = x_;
    y = y_;
    z = z_;
    const GLfloat diffuse[4] = { 0.9f, 0.9f, 0.9f, 1.0f };
    const GLfloat ambient[4] = { 1.0f, 1.0f, 1.0f, 1.0f };
    enableGl(GlState::light0);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
    glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
}

// w = 0: a directional light, so only the view's rotation moves it.
void LightObject::draw(double /*seconds*/)
{
    const GLfloat position[4] = { x, y, z, 0.0f };
    glLightfv(GL_LIGHT0, GL_POSITION, position);
}
