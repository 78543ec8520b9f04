// A frame's triangles, collected in eye space by the material they are lit with, and drawn a
// few draws at a time: one draw per material, whenever the picture needs them.
#pragma once

#include <GL/gl.h>

// A corner's normal and position, in the space of the modelview matrix the shape is drawn with.
struct MeshPoint {
    GLfloat normal[3];
    GLfloat position[3];
};

// At most this many points in one draw: its corners are 16-bit indices.
constexpr int batchPointLimit = 1 << 16;

// Joins triangles (`cornerCount` indices into `points`) to the batch of the current front
// material, taken through the current modelview matrix into eye space. Triangles that no
// draw can hold, or that the matrix takes beyond the floats' range, are not drawn.
void addTriangles(const MeshPoint* points, int pointCount, const GLushort* corners, int cornerCount);

// Draws every batch under the projection they were collected with, then empties them. The
// matrices, the matrix mode and the material are left as they were.
extern "C" void flushBatches();
