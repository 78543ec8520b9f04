// The toolkit's solids, which the browser's toolkit lacks.
#include <GL/glut.h>

#include "web/glu/shapes.h"

void glutSolidSphere(GLdouble radius, GLint slices, GLint stacks)
{
    drawSolidSphere(radius, slices, stacks);
}

void glutSolidCube(GLdouble size)
{
    drawSolidCube(size);
}

void glutSolidTorus(GLdouble innerRadius, GLdouble outerRadius, GLint sides, GLint rings)
{
    drawSolidTorus(innerRadius, outerRadius, sides, rings);
}
