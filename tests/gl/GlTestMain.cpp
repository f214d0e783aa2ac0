// Main of the GL test executables: one GLUT window (hidden) whose context
// every test shares, the image library set up, and the run directory as
// working directory so the artwork loads by its relative paths.
#include <GL/freeglut.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>

#include "textures/Textures.h"

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    if (testing::GTEST_FLAG(list_tests))
        return RUN_ALL_TESTS();

    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(256, 256);
    glutCreateWindow("Zandervale GL tests");
    glutDisplayFunc([] {});
    glutHideWindow();
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    initImageLibrary();
    if (chdir(ZV_RUN_DIR) != 0)
        std::perror("chdir " ZV_RUN_DIR);
    return RUN_ALL_TESTS();
}
