// Program entry: prepares GLUT, checks for the one library argument and
// hands over to the application object.
#include <GL/freeglut.h>

#include <cstdio>
#include <cstdlib>

#include "app/HugePages.h"
#include "app/Zandervale.h"

int main(int argc, char** argv)
{
    restartWithHugePages(argv);
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    if (argc != 2) {
        std::printf("No Zandervale.xml file was specified for loading the textures.\n");
        std::printf("Usage: ./zandervale \"path to Zandervale.xml\"\n");
        std::fflush(stdout);
        std::exit(1);
    }
    // Closing the window ends the main loop instead of the process, so the
    // application object is released on the way out.
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_CONTINUE_EXECUTION);
    Zandervale app;
    return app.run(argv[1]);
}
