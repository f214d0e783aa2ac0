// The unit box's display list.
#include "scene/UnitBox.h"

#include <GL/gl.h>

#include "scene/Cube.h"

UnitBox::UnitBox() : list(glGenLists(1))
{
    glNewList(list, GL_COMPILE);
    emitUnitBox();
    glEndList();
}

UnitBox::~UnitBox()
{
    glDeleteLists(list, 1);
}

void UnitBox::draw() const
{
    glCallList(list);
}
