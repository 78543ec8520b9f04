// GLU's quadrics, which the browser's GL emulation lacks, and its look-at, which the
// emulation gets wrong. Defined here, they take the place of the emulation's own.
#include <GL/glu.h>

#include <new>

#include "web/glu/shapes.h"

// The designer draws its quadrics filled with smooth normals and nothing else, so only
// that style is drawn; the settings are kept as a caller made them.
class GLUquadric {
public:
    GLenum drawStyle = GLU_FILL;
    GLenum normals = GLU_SMOOTH;
};

GLUquadric* gluNewQuadric()
{
    return new (std::nothrow) GLUquadric;
}

void gluDeleteQuadric(GLUquadric* quad)
{
    delete quad;
}

void gluQuadricDrawStyle(GLUquadric* quad, GLenum draw)
{
    if (quad != nullptr) quad->drawStyle = draw;
}

void gluQuadricNormals(GLUquadric* quad, GLenum normal)
{
    if (quad != nullptr) quad->normals = normal;
}

// A quadric that could not be made draws nothing.
void gluCylinder(GLUquadric* quad, GLdouble base, GLdouble top, GLdouble height, GLint slices, GLint stacks)
{
    if (quad != nullptr) drawCylinder(base, top, height, slices, stacks);
}

void gluDisk(GLUquadric* quad, GLdouble inner, GLdouble outer, GLint slices, GLint loops)
{
    if (quad != nullptr) drawDisk(inner, outer, slices, loops);
}

void gluLookAt(GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centerX, GLdouble centerY, GLdouble centerZ,
               GLdouble upX, GLdouble upY, GLdouble upZ)
{
    multiplyLookAt(eyeX, eyeY, eyeZ, centerX, centerY, centerZ, upX, upY, upZ);
}
