// Pointer and cursor through GLUT, for the navigation controller.
#include "app/GlutWalkerWindow.h"

#include <GL/freeglut.h>

void GlutWalkerWindow::warpPointer(int x, int y)
{
    glutWarpPointer(x, y);
}

void GlutWalkerWindow::setCursor(int cursor)
{
    glutSetCursor(cursor);
}
