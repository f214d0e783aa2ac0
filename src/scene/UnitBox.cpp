// The unit box's display list.
#include "scene/UnitBox.h"

#include <GL/gl.h>

#include "scene/Cube.h"

UnitBox::UnitBox(PhotoAtlas& photos) : list(glGenLists(1)), atlas(&photos)
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
