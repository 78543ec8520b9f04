// Every shape of a frame joins, in eye space, the batch of the material it is lit with; a flush
// draws each batch in one call under an identity modelview. The GL lights every point as the
// shape's own draw would have: the light is already in eye space, and every batch is drawn with
// its own material and the projection its shapes were drawn with.
#include "web/gl/batch.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "web/include/exported.h"

namespace {

// What a frame collects before it must draw: more than the designer's frame needs, and no
// more points than one draw holds. A full pool is drawn and emptied.
constexpr int poolPointLimit = batchPointLimit;
constexpr int poolCornerLimit = 1 << 18;
constexpr int runLimit = 1 << 12;
constexpr int materialLimit = 16;

// The front material's ambient, diffuse and specular colours, then its shininess.
constexpr int materialFloats = 13;
struct BatchMaterial {
    GLfloat values[materialFloats];
};

// A point in eye space, with the w the modelview gives it, so that any matrix is drawn exactly.
struct EyePoint {
    GLfloat normal[3];
    GLfloat position[4];
};

// One shape's triangles in the pool, and the material they are lit with.
struct Run {
    int material;
    int firstPoint;
    int pointCount;
    int firstCorner;
    int cornerCount;
};

EyePoint poolPoints[poolPointLimit];
GLushort poolCorners[poolCornerLimit];
Run runs[runLimit];
int pointCount = 0;
int cornerCount = 0;
int runCount = 0;
BatchMaterial materials[materialLimit];
int materialCount = 0;
GLfloat batchProjection[16];

// One material's triangles, gathered from its runs into one draw.
EyePoint drawPoints[poolPointLimit];
GLushort drawCorners[poolCornerLimit];
int drawPointCount = 0;
int drawCornerCount = 0;

// A flush's own calls never start another flush.
bool flushing = false;

BatchMaterial currentMaterial()
{
    BatchMaterial material;
    glGetMaterialfv(GL_FRONT, GL_AMBIENT, material.values);
    glGetMaterialfv(GL_FRONT, GL_DIFFUSE, material.values + 4);
    glGetMaterialfv(GL_FRONT, GL_SPECULAR, material.values + 8);
    glGetMaterialfv(GL_FRONT, GL_SHININESS, material.values + 12);
    return material;
}

void applyBatchMaterial(const BatchMaterial& material)
{
    glMaterialfv(GL_FRONT, GL_AMBIENT, material.values);
    glMaterialfv(GL_FRONT, GL_DIFFUSE, material.values + 4);
    glMaterialfv(GL_FRONT, GL_SPECULAR, material.values + 8);
    glMaterialfv(GL_FRONT, GL_SHININESS, material.values + 12);
}

// Compared bit by bit, so that even a material of NaN finds its own batch again.
bool sameFloats(const GLfloat* a, const GLfloat* b, int count)
{
    return std::memcmp(a, b, sizeof(GLfloat) * count) == 0;
}

// The batch of this material; materialCount for a batch yet to be opened, or -1 when there
// is no room for another.
int batchOf(const BatchMaterial& material)
{
    for (int m = 0; m < materialCount; ++m) {
        if (sameFloats(materials[m].values, material.values, materialFloats)) return m;
    }
    return materialCount < materialLimit ? materialCount : -1;
}

// The modelview matrix, and what it does to normals: the cofactor matrix of its upper 3 by 3
// (the inverse transpose times the determinant, which needs no division), its sign turned
// with the determinant's so that a mirroring matrix keeps the normals' sides. A flattening
// matrix has a cofactor matrix all the same, which renormalising makes use of.
struct Transform {
    double matrix[16];
    double normal[3][3];
};

Transform transformOf(const GLfloat* m)
{
    Transform t;
    std::copy(m, m + 16, t.matrix);
    const double* c[3] = {t.matrix, t.matrix + 4, t.matrix + 8};
    const auto crossInto = [](double* out, const double* a, const double* b) {
        out[0] = a[1] * b[2] - a[2] * b[1];
        out[1] = a[2] * b[0] - a[0] * b[2];
        out[2] = a[0] * b[1] - a[1] * b[0];
    };
    // Column i of the cofactor matrix is the cross product of the other two columns, in turn.
    crossInto(t.normal[0], c[1], c[2]);
    crossInto(t.normal[1], c[2], c[0]);
    crossInto(t.normal[2], c[0], c[1]);
    const double determinant = c[0][0] * t.normal[0][0] + c[0][1] * t.normal[0][1] + c[0][2] * t.normal[0][2];
    if (determinant < 0.0) {
        for (auto& column : t.normal) {
            for (double& value : column) value = -value;
        }
    }
    return t;
}

// The point in eye space; false when the matrix takes it beyond the floats' range.
bool toEyeSpace(const Transform& t, const MeshPoint& point, EyePoint& eye)
{
    const double* m = t.matrix;
    const GLfloat* p = point.position;
    bool finite = true;
    for (int row = 0; row < 4; ++row) {
        eye.position[row] = static_cast<GLfloat>(m[row] * p[0] + m[4 + row] * p[1] + m[8 + row] * p[2] + m[12 + row]);
        finite = finite && std::isfinite(eye.position[row]);
    }
    const GLfloat* n = point.normal;
    double normal[3];
    for (int row = 0; row < 3; ++row) {
        normal[row] = t.normal[0][row] * n[0] + t.normal[1][row] * n[1] + t.normal[2][row] * n[2];
    }
    // Renormalised, as the designer has the GL do; a normal the matrix flattens to nothing stays nothing.
    const double length = std::sqrt(normal[0] * normal[0] + normal[1] * normal[1] + normal[2] * normal[2]);
    const double scale = length > 0.0 && std::isfinite(length) ? 1.0 / length : 0.0;
    for (int row = 0; row < 3; ++row) eye.normal[row] = static_cast<GLfloat>(normal[row] * scale);
    return finite;
}

bool cornersInRange(const GLushort* corners, int count, int points)
{
    return std::all_of(corners, corners + count, [points](GLushort corner) { return corner < points; });
}

bool poolHasRoom(int points, int corners)
{
    return pointCount + points <= poolPointLimit && cornerCount + corners <= poolCornerLimit && runCount < runLimit;
}

void drawGathered()
{
    if (drawCornerCount > 0) {
        glDrawRangeElements(GL_TRIANGLES, 0, static_cast<GLuint>(drawPointCount - 1), drawCornerCount,
                            GL_UNSIGNED_SHORT, drawCorners);
    }
    drawPointCount = 0;
    drawCornerCount = 0;
}

// Copies a run into the draw being gathered, its corners counted from where its points land.
// The pool holds no more points than one draw, so every material's runs fit in one.
void gather(const Run& run)
{
    std::copy_n(poolPoints + run.firstPoint, run.pointCount, drawPoints + drawPointCount);
    const GLushort* from = poolCorners + run.firstCorner;
    for (int c = 0; c < run.cornerCount; ++c) {
        drawCorners[drawCornerCount + c] = static_cast<GLushort>(from[c] + drawPointCount);
    }
    drawPointCount += run.pointCount;
    drawCornerCount += run.cornerCount;
}

void drawBatches()
{
    glEnableClientState(GL_NORMAL_ARRAY);
    glEnableClientState(GL_VERTEX_ARRAY);
    glNormalPointer(GL_FLOAT, sizeof(EyePoint), drawPoints[0].normal);
    glVertexPointer(4, GL_FLOAT, sizeof(EyePoint), drawPoints[0].position);
    for (int m = 0; m < materialCount; ++m) {
        applyBatchMaterial(materials[m]);
        for (int r = 0; r < runCount; ++r) {
            if (runs[r].material == m) gather(runs[r]);
        }
        drawGathered();
    }
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
}

}  // namespace

void addTriangles(const MeshPoint* points, int count, const GLushort* corners, int cornersGiven)
{
    if (count <= 0 || cornersGiven <= 0) return;
    if (count > batchPointLimit || cornersGiven > poolCornerLimit) return;
    if (!cornersInRange(corners, cornersGiven, count)) return;
    GLfloat modelview[16];
    GLfloat projection[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    const BatchMaterial material = currentMaterial();
    if (runCount > 0 && !sameFloats(projection, batchProjection, 16)) flushBatches();
    if (!poolHasRoom(count, cornersGiven)) flushBatches();
    int batch = batchOf(material);
    if (batch < 0) {
        flushBatches();
        batch = 0;
    }
    // Written after the pool's last run and counted only once whole, so that a shape that is
    // not drawn leaves every batch as it was.
    const Transform transform = transformOf(modelview);
    for (int p = 0; p < count; ++p) {
        if (!toEyeSpace(transform, points[p], poolPoints[pointCount + p])) return;
    }
    std::copy_n(corners, cornersGiven, poolCorners + cornerCount);
    if (batch == materialCount) materials[materialCount++] = material;
    if (runCount == 0) std::copy_n(projection, 16, batchProjection);
    runs[runCount++] = {batch, pointCount, count, cornerCount, cornersGiven};
    pointCount += count;
    cornerCount += cornersGiven;
}

extern "C" CALLED_FROM_JAVASCRIPT void flushBatches()
{
    if (runCount == 0 || flushing) return;
    flushing = true;
    GLint matrixMode = GL_MODELVIEW;
    GLfloat modelview[16];
    GLfloat projection[16];
    glGetIntegerv(GL_MATRIX_MODE, &matrixMode);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    const BatchMaterial material = currentMaterial();

    glMatrixMode(GL_PROJECTION);
    glLoadMatrixf(batchProjection);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    drawBatches();

    applyBatchMaterial(material);
    glLoadMatrixf(modelview);
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixf(projection);
    glMatrixMode(static_cast<GLenum>(matrixMode));
    pointCount = 0;
    cornerCount = 0;
    runCount = 0;
    materialCount = 0;
    flushing = false;
}
