// Records every primitive the designer issues, with the modelview matrix and the
// front material read back from the real GL state at that moment, then lets the
// real call through. The test binaries are linked with --wrap for these calls.
#pragma once

#include <GL/gl.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "render/paint.h"
#include "support/geometry.h"

enum class Shape { Sphere, Cube, Torus, Cylinder, Disk, Polygon };

struct Primitive {
    Shape shape;
    // As passed: sphere (radius, slices, stacks); cube (edge); torus (inner, outer, sides, rings);
    // cylinder (base, top, height, slices, stacks); disk (inner, outer, slices, loops); polygon (mode).
    std::vector<double> arguments;
    Matrix modelview;   // the GL's modelview matrix when the primitive was issued
    Material material;  // the GL's front material when the primitive was issued
    std::vector<Point> normals;   // polygons: each glNormal3f, in order
    std::vector<Point> vertices;  // polygons: each glVertex3f, in order
    std::vector<int> normalOfVertex;  // polygons: which normal was current at each vertex (-1: none)
};

const char* shapeName(Shape shape);
std::ostream& operator<<(std::ostream& out, const Primitive& p);

// Runs the drawing and returns what it issued. Calls outside a recording are let through unrecorded.
std::vector<Primitive> record(const std::function<void()>& drawing);

// The picture a frame presents: the back buffer as it stood when the frame swapped.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;  // rows from the top of the window down
    std::array<int, 3> pixel(int x, int y) const;  // y counted from the top, as on screen
};

// Runs the drawing and returns the picture of the last buffer swap it made.
Image capturePresented(const std::function<void()>& drawing);

// Redisplay requests made through glutPostRedisplay since the process started.
long redisplayRequests();

// Frames presented through glutSwapBuffers since the process started.
long bufferSwaps();

// Reads the GL's current material of one face (the front, unless told otherwise).
Material currentMaterial(GLenum face = GL_FRONT);
bool sameMaterial(const Material& a, const Material& b);
// The palette entry with exactly this material, or -1.
int paletteIndexOf(const Material& material);
