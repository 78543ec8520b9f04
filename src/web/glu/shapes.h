// The toolkit's solid sphere, cube and torus, GLU's cylinder and disk and its look-at,
// for a GL that lacks them. Each solid hands the frame's batches (gl/batch.h) the very
// triangles the desktop libraries make the GL draw, in their order and with their winding,
// so that both pictures agree.
#pragma once

// Centred on the origin; rings of latitude from the north pole (+z) down.
void drawSolidSphere(double radius, int slices, int stacks);

// Centred on the origin, with edges of length `size` along the axes.
void drawSolidCube(double size);

// Round the z axis: `innerRadius` is the tube's, `outerRadius` that of the tube's centre line.
void drawSolidTorus(double innerRadius, double outerRadius, int sides, int rings);

// Filled, with smooth normals facing outwards: a tube along +z from z = 0 to z = height.
void drawCylinder(double baseRadius, double topRadius, double height, int slices, int stacks);

// Filled, in the plane z = 0, facing +z.
void drawDisk(double innerRadius, double outerRadius, int slices, int loops);

// Multiplies the current matrix by the view from the eye towards the centre, `up` upwards.
void multiplyLookAt(double eyeX, double eyeY, double eyeZ, double centerX, double centerY, double centerZ,
                    double upX, double upY, double upZ);
