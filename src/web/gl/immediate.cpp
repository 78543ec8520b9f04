// The GL's immediate mode, for the designer's polygons: the points between glBegin and glEnd,
// each with the normal current when it was given, become the triangles the GL splits them
// into and join the frame's batches like every other shape. Defined here, these calls take
// the place of the emulation's own.
#include <GL/gl.h>

#include "web/gl/batch.h"

namespace {

// Outside glBegin and glEnd.
constexpr GLenum noPrimitive = ~0u;

GLenum primitiveMode = noPrimitive;
GLfloat currentNormal[3] = {0.0f, 0.0f, 1.0f};
MeshPoint points[batchPointLimit];
int pointCount = 0;
// A primitive of more points than one draw holds is not drawn, as a shape of too many is not.
bool overflowed = false;
// Every mode makes at most one triangle a point.
GLushort corners[3 * batchPointLimit];
int cornerCount = 0;

void addTriangle(int a, int b, int c)
{
    corners[cornerCount++] = static_cast<GLushort>(a);
    corners[cornerCount++] = static_cast<GLushort>(b);
    corners[cornerCount++] = static_cast<GLushort>(c);
}

// The triangles the GL makes of the points, with its windings: every other triangle of a strip
// turned back, a convex polygon fanned from its first point. Points and lines make none.
void triangulate()
{
    switch (primitiveMode) {
    case GL_TRIANGLES:
        for (int i = 0; i + 2 < pointCount; i += 3) addTriangle(i, i + 1, i + 2);
        break;
    case GL_TRIANGLE_STRIP:
        for (int i = 0; i + 2 < pointCount; ++i) {
            if (i % 2 == 0) addTriangle(i, i + 1, i + 2);
            else addTriangle(i + 1, i, i + 2);
        }
        break;
    case GL_TRIANGLE_FAN:
    case GL_POLYGON:
        for (int i = 1; i + 1 < pointCount; ++i) addTriangle(0, i, i + 1);
        break;
    case GL_QUADS:
        for (int i = 0; i + 3 < pointCount; i += 4) {
            addTriangle(i, i + 1, i + 2);
            addTriangle(i, i + 2, i + 3);
        }
        break;
    case GL_QUAD_STRIP:
        for (int i = 0; i + 3 < pointCount; i += 2) {
            addTriangle(i, i + 1, i + 3);
            addTriangle(i, i + 3, i + 2);
        }
        break;
    default:
        break;
    }
}

}  // namespace

void glBegin(GLenum mode)
{
    if (primitiveMode != noPrimitive) return;
    primitiveMode = mode;
    pointCount = 0;
    overflowed = false;
}

// The normal is GL state: every later point carries it, inside a primitive or after it.
void glNormal3f(GLfloat x, GLfloat y, GLfloat z)
{
    currentNormal[0] = x;
    currentNormal[1] = y;
    currentNormal[2] = z;
}

void glVertex3f(GLfloat x, GLfloat y, GLfloat z)
{
    if (primitiveMode == noPrimitive) return;
    if (pointCount == batchPointLimit) {
        overflowed = true;
        return;
    }
    points[pointCount++] = {{currentNormal[0], currentNormal[1], currentNormal[2]}, {x, y, z}};
}

void glEnd()
{
    if (primitiveMode == noPrimitive) return;
    if (!overflowed) {
        cornerCount = 0;
        triangulate();
        addTriangles(points, pointCount, corners, cornerCount);
    }
    primitiveMode = noPrimitive;
}
