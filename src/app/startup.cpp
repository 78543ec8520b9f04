#include "app/startup.h"

#include <GL/freeglut.h>

#include "app/menu.h"
#include "interact/interact.h"
#include "render/frame.h"
#include "state/state.h"

void startUp(int* argc, char** argv)
{
    glutInit(argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(initialWindowSize, initialWindowSize);
    glutCreateWindow(windowTitle);
    glEnable(GL_DEPTH_TEST);

    glutReshapeFunc(reshape);
    glutDisplayFunc(display);
    glutMouseFunc(mouse);
    glutMotionFunc(motion);
    glutKeyboardFunc(keyboard);
    glutTimerFunc(idleTickMilliseconds, idleTimer, 1);

    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    initLighting();

    quadric = gluNewQuadric();
    gluQuadricDrawStyle(quadric, GLU_FILL);
    gluQuadricNormals(quadric, GLU_SMOOTH);

    assignInitialState();
    buildMenus();
}
