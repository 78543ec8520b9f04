// Every point carries its own normal, and each shape is one set of indexed triangles, handed
// to the frame's batches.
#include "web/glu/shapes.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "web/gl/batch.h"

namespace {

constexpr double pi = 3.14159265358979323846;

// Every shape is one set of triangles whose corners index its points with 16 bits. Counts
// that need more corners than this come only from a broken caller (on such a sphere, the
// desktop toolkit ends the process): nothing is drawn.
constexpr long long vertexLimit = batchPointLimit;

// GLU keeps its directions round the axis in a table of 240 entries, the last one repeating
// the first, so a quadric never has more slices than this.
constexpr int maxQuadricSlices = 239;

struct Vector {
    double x;
    double y;
    double z;
};

Vector cross(const Vector& a, const Vector& b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

// Scaled to unit length. A zero vector stays zero, as GLU leaves it, which makes a look-at
// without a direction flatten the scene instead of filling the matrix with NaN.
Vector normalised(const Vector& v)
{
    const double length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    if (length == 0.0) return v;
    return {v.x / length, v.y / length, v.z / length};
}

// A shape's points, each stored once, and its triangles as indices into them: the GL then
// shades a point that six triangles share once rather than six times.
MeshPoint meshPoints[vertexLimit];
GLushort meshCorners[vertexLimit];
int meshPointCount = 0;
int meshCornerCount = 0;

void setPoint(int index, const Vector& normal, const Vector& position)
{
    meshPoints[index] = {{static_cast<float>(normal.x), static_cast<float>(normal.y), static_cast<float>(normal.z)},
                         {static_cast<float>(position.x), static_cast<float>(position.y), static_cast<float>(position.z)}};
}

void addCorner(int index)
{
    meshCorners[meshCornerCount++] = static_cast<GLushort>(index);
    meshPointCount = std::max(meshPointCount, index + 1);
}

// Hands the triangles added since the last mesh to the batches.
void drawMesh()
{
    addTriangles(meshPoints, meshPointCount, meshCorners, meshCornerCount);
    meshPointCount = 0;
    meshCornerCount = 0;
}

// True when `bands` bands of `quads` quads each take more corners than one draw holds;
// counted in double, which no pair of int counts overflows.
bool tooManyCorners(int quads, int bands)
{
    return 6.0 * quads * bands > static_cast<double>(vertexLimit);
}

// Where point `slice` of row `row` is stored, in a grid of rows of `slices` + 1 points.
int gridIndex(int row, int slice, int slices)
{
    return row * (slices + 1) + slice;
}

// Step `step` of `steps` equal steps round a circle. The last step lands exactly on the
// first, so that a closed strip meets itself without a crack.
struct Turn {
    double cosine;
    double sine;
};

Turn around(int step, int steps)
{
    const double angle = 2.0 * pi * (step % steps) / steps;
    return {std::cos(angle), std::sin(angle)};
}

// Ring 0 is the north pole (+z), ring `stacks` the south pole; the meridians turn from +x towards -y.
void setSpherePoint(double radius, int ring, int stacks, int slice, int slices)
{
    const double polar = pi * ring / stacks;
    const Turn meridian = around(slice, slices);
    const Vector outward = {std::sin(polar) * meridian.cosine, -std::sin(polar) * meridian.sine, std::cos(polar)};
    setPoint(gridIndex(ring, slice, slices), outward, {outward.x * radius, outward.y * radius, outward.z * radius});
}

// Side 0 is the tube's outermost line; the sides turn from there towards -z. The rings turn
// round the z axis from +x towards +y.
void setTorusPoint(double tubeRadius, double centreRadius, int side, int sides, int ring, int rings)
{
    const Turn across = around(side, sides);
    const Turn along = around(ring, rings);
    const double distance = centreRadius + tubeRadius * across.cosine;
    setPoint(gridIndex(side, ring, rings), {across.cosine * along.cosine, across.cosine * along.sine, -across.sine},
             {distance * along.cosine, distance * along.sine, -tubeRadius * across.sine});
}

// GLU draws every band of a cylinder or disk as a quad strip pairing each point of a first
// row with the point of the second row at the same slice, and the GL splits each quad along
// its diagonal from the first row's earlier point. Given as those very triangles, a band
// rasterises alike on a GL without quads, and all bands of a shape go in one draw.
// `point(row, slice)` adds the corner at one point of the band.
template <typename BandPoint>
void bandTriangles(int slices, const BandPoint& point)
{
    for (int slice = 0; slice < slices; ++slice) {
        point(0, slice + 1);
        point(0, slice);
        point(1, slice + 1);
        point(0, slice);
        point(1, slice);
        point(1, slice + 1);
    }
}

// A triangle strip that pairs the points of two rows step by step, given as the triangles
// the GL makes of it, so that all strips of a shape go in one draw: each step's quad is
// (first row, second row, first row's next), then (first row's next, second row, second row's next).
// `point(row, step)` adds the corner at one point of the strip.
template <typename StripPoint>
void stripTriangles(int steps, const StripPoint& point)
{
    for (int step = 0; step < steps; ++step) {
        point(0, step);
        point(1, step);
        point(0, step + 1);
        point(0, step + 1);
        point(1, step);
        point(1, step + 1);
    }
}

// GLU's directions away from the z axis start at +y and turn towards +x.
Vector quadricRadial(int slice, int slices)
{
    const Turn turn = around(slice, slices);
    return {turn.sine, turn.cosine, 0.0};
}

// Each face with its outward normal and its corners counter-clockwise seen from outside;
// the toolkit draws a face as two triangles fanned from its first corner.
struct CubeFace {
    float normal[3];
    float corners[4][3];
};

constexpr CubeFace cubeFaces[] = {
    {{0.0f, 0.0f, 1.0f}, {{1.0f, 1.0f, 1.0f}, {-1.0f, 1.0f, 1.0f}, {-1.0f, -1.0f, 1.0f}, {1.0f, -1.0f, 1.0f}}},
    {{1.0f, 0.0f, 0.0f}, {{1.0f, 1.0f, 1.0f}, {1.0f, -1.0f, 1.0f}, {1.0f, -1.0f, -1.0f}, {1.0f, 1.0f, -1.0f}}},
    {{0.0f, 1.0f, 0.0f}, {{1.0f, 1.0f, 1.0f}, {1.0f, 1.0f, -1.0f}, {-1.0f, 1.0f, -1.0f}, {-1.0f, 1.0f, 1.0f}}},
    {{-1.0f, 0.0f, 0.0f}, {{-1.0f, 1.0f, 1.0f}, {-1.0f, 1.0f, -1.0f}, {-1.0f, -1.0f, -1.0f}, {-1.0f, -1.0f, 1.0f}}},
    {{0.0f, -1.0f, 0.0f}, {{-1.0f, -1.0f, -1.0f}, {1.0f, -1.0f, -1.0f}, {1.0f, -1.0f, 1.0f}, {-1.0f, -1.0f, 1.0f}}},
    {{0.0f, 0.0f, -1.0f}, {{1.0f, -1.0f, -1.0f}, {-1.0f, -1.0f, -1.0f}, {-1.0f, 1.0f, -1.0f}, {1.0f, 1.0f, -1.0f}}},
};

constexpr int faceTriangles[] = {0, 1, 2, 0, 2, 3};

}  // namespace

// One strip per stack from the north pole down, each pairing the lower ring's points
// with the upper ring's; at a pole, the ring is the pole itself, repeated.
void drawSolidSphere(double radius, int slices, int stacks)
{
    if (slices < 1 || stacks < 2) return;
    if (tooManyCorners(slices, stacks)) return;
    for (int ring = 0; ring <= stacks; ++ring) {
        for (int slice = 0; slice <= slices; ++slice) setSpherePoint(radius, ring, stacks, slice, slices);
    }
    for (int stack = 0; stack < stacks; ++stack) {
        stripTriangles(slices, [&](int row, int slice) { addCorner(gridIndex(stack + 1 - row, slice, slices)); });
    }
    drawMesh();
}

// Four points a face, each with the face's normal.
void drawSolidCube(double size)
{
    const double half = size / 2.0;
    int face = 0;
    for (const CubeFace& cubeFace : cubeFaces) {
        const Vector normal = {cubeFace.normal[0], cubeFace.normal[1], cubeFace.normal[2]};
        for (int corner = 0; corner < 4; ++corner) {
            const float* at = cubeFace.corners[corner];
            setPoint(4 * face + corner, normal, {at[0] * half, at[1] * half, at[2] * half});
        }
        for (int corner : faceTriangles) addCorner(4 * face + corner);
        ++face;
    }
    drawMesh();
}

// One strip per band between two neighbouring sides of the tube, all the way round the axis.
void drawSolidTorus(double innerRadius, double outerRadius, int sides, int rings)
{
    if (sides < 2 || rings < 2) return;
    if (tooManyCorners(rings, sides)) return;
    for (int side = 0; side <= sides; ++side) {
        for (int ring = 0; ring <= rings; ++ring) setTorusPoint(innerRadius, outerRadius, side, sides, ring, rings);
    }
    for (int side = 0; side < sides; ++side) {
        stripTriangles(rings, [&](int row, int ring) { addCorner(gridIndex(side + row, ring, rings)); });
    }
    drawMesh();
}

// One band per stack from the base up. Every point of a slice shares the normal of the slanted side.
void drawCylinder(double baseRadius, double topRadius, double height, int slices, int stacks)
{
    slices = std::min(slices, maxQuadricSlices);
    if (slices < 2 || stacks < 1 || baseRadius < 0.0 || topRadius < 0.0 || height < 0.0) return;
    if (tooManyCorners(slices, stacks)) return;
    const double narrowing = baseRadius - topRadius;
    const double slant = std::sqrt(narrowing * narrowing + height * height);
    // With neither height nor taper the side has no direction to face.
    if (slant == 0.0) return;
    const double outward = height / slant;
    const double upward = narrowing / slant;
    for (int level = 0; level <= stacks; ++level) {
        const double rise = static_cast<double>(level) / stacks;
        const double radius = baseRadius - narrowing * rise;
        for (int slice = 0; slice <= slices; ++slice) {
            const Vector radial = quadricRadial(slice, slices);
            setPoint(gridIndex(level, slice, slices), {radial.x * outward, radial.y * outward, upward},
                     {radial.x * radius, radial.y * radius, height * rise});
        }
    }
    for (int stack = 0; stack < stacks; ++stack) {
        bandTriangles(slices, [&](int row, int slice) { addCorner(gridIndex(stack + row, slice, slices)); });
    }
    drawMesh();
}

// Rings of the disk are counted from the rim (0) inwards; a band lies between two of them.
void drawDisk(double innerRadius, double outerRadius, int slices, int loops)
{
    slices = std::min(slices, maxQuadricSlices);
    if (slices < 2 || loops < 1 || innerRadius < 0.0 || outerRadius <= 0.0 || innerRadius > outerRadius) return;
    if (tooManyCorners(slices, loops)) return;
    for (int ring = 0; ring <= loops; ++ring) {
        const double radius = outerRadius - (outerRadius - innerRadius) * ring / loops;
        for (int slice = 0; slice <= slices; ++slice) {
            const Vector radial = quadricRadial(slice, slices);
            setPoint(gridIndex(ring, slice, slices), {0.0, 0.0, 1.0}, {radial.x * radius, radial.y * radius, 0.0});
        }
    }
    int bands = loops;
    // Without a hole, the innermost loop is a fan round the centre, and GLU draws it first,
    // turning against its usual direction so as to face +z.
    if (innerRadius == 0.0) {
        --bands;
        const int centre = gridIndex(loops + 1, 0, slices);
        setPoint(centre, {0.0, 0.0, 1.0}, {0.0, 0.0, 0.0});
        for (int slice = slices; slice > 0; --slice) {
            addCorner(centre);
            addCorner(gridIndex(loops - 1, slice, slices));
            addCorner(gridIndex(loops - 1, slice - 1, slices));
        }
    }
    for (int band = 0; band < bands; ++band) {
        bandTriangles(slices, [&](int row, int slice) { addCorner(gridIndex(band + row, slice, slices)); });
    }
    drawMesh();
}

void multiplyLookAt(double eyeX, double eyeY, double eyeZ, double centerX, double centerY, double centerZ,
                    double upX, double upY, double upZ)
{
    const Vector forward = normalised({centerX - eyeX, centerY - eyeY, centerZ - eyeZ});
    const Vector side = normalised(cross(forward, {upX, upY, upZ}));
    const Vector up = cross(side, forward);
    // Rows: side, up and backwards; the GL reads the matrix column by column.
    const float rotation[16] = {
        static_cast<float>(side.x), static_cast<float>(up.x), static_cast<float>(-forward.x), 0.0f,
        static_cast<float>(side.y), static_cast<float>(up.y), static_cast<float>(-forward.y), 0.0f,
        static_cast<float>(side.z), static_cast<float>(up.z), static_cast<float>(-forward.z), 0.0f,
        0.0f,                       0.0f,                     0.0f,                           1.0f};
    glMultMatrixf(rotation);
    glTranslatef(static_cast<float>(-eyeX), static_cast<float>(-eyeY), static_cast<float>(-eyeZ));
}
