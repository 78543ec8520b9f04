#include "render/frame.h"

#include <GL/freeglut.h>

#include <algorithm>

#include "render/figure.h"
#include "state/state.h"

// A directional light (w = 0) from above the viewer's shoulder.
const float lightPosition[4] = {0.0f, 0.5f, 1.0f, 0.0f};
const float lightDiffuse[4] = {0.7f, 0.7f, 0.7f, 1.0f};
const float lightSpecular[4] = {0.6f, 0.6f, 0.6f, 1.0f};
const float lightAmbient[4] = {0.3f, 0.3f, 0.3f, 1.0f};

void initLighting()
{
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glLightfv(GL_LIGHT0, GL_POSITION, lightPosition);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, lightDiffuse);
    glLightfv(GL_LIGHT0, GL_SPECULAR, lightSpecular);
    glLightfv(GL_LIGHT0, GL_AMBIENT, lightAmbient);
    glShadeModel(GL_SMOOTH);
    // The piece drawers scale non-uniformly; the GL renormalises their normals.
    glEnable(GL_NORMALIZE);
}

void positionLight()
{
    glMatrixMode(GL_MODELVIEW);
    glLightfv(GL_LIGHT0, GL_POSITION, lightPosition);
}

void reshape(int width, int height)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    windowWidth = width;
    windowHeight = height;
    // A minimised window can report a zero side: its aspect is undefined, so
    // the last good projection stays until the window has an area again.
    if (width > 0 && height > 0) {
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(fieldOfView, static_cast<double>(width) / height, nearPlane, farPlane);
    }
    glMatrixMode(GL_MODELVIEW);
    glViewport(0, 0, width, height);
}

void display()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    {
        glLoadIdentity();
        // Placed before the look-at, the light stays fixed relative to the viewer.
        positionLight();
        gluLookAt(cameraEye.x, cameraEye.y, cameraEye.z, 0.0, 0.0, 0.0, cameraUp.x, cameraUp.y, cameraUp.z);
        drawFigure();
    }
    glPopMatrix();
    glutSwapBuffers();
}
