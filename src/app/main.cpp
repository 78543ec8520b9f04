// Korvath Designer: an interactive designer for one articulated armoured figure.
#include <GL/freeglut.h>

#include "app/startup.h"

int main(int argc, char** argv)
{
    startUp(&argc, argv);
    glutMainLoop();
    return 0;
}
