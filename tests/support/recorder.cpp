#include "support/recorder.h"

#include <GL/freeglut.h>

#include <algorithm>
#include <cmath>
#include <initializer_list>

extern "C" {
void __real_glutSolidSphere(double radius, GLint slices, GLint stacks);
void __real_glutSolidCube(double size);
void __real_glutSolidTorus(double inner, double outer, GLint sides, GLint rings);
void __real_gluCylinder(GLUquadric* quad, GLdouble base, GLdouble top, GLdouble height, GLint slices,
                        GLint stacks);
void __real_gluDisk(GLUquadric* quad, GLdouble inner, GLdouble outer, GLint slices, GLint loops);
void __real_glBegin(GLenum mode);
void __real_glNormal3f(GLfloat x, GLfloat y, GLfloat z);
void __real_glVertex3f(GLfloat x, GLfloat y, GLfloat z);
void __real_glEnd();
void __real_glutPostRedisplay();
void __real_glutSwapBuffers();
}

namespace {

bool recording = false;
std::vector<Primitive> recorded;
bool insidePolygon = false;
long redisplayCount = 0;
long swapCount = 0;
bool capturing = false;
Image presented;

Image readBackBuffer()
{
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    Image image;
    image.width = viewport[2];
    image.height = viewport[3];
    image.rgb.resize(static_cast<std::size_t>(image.width) * image.height * 3);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, image.width, image.height, GL_RGB, GL_UNSIGNED_BYTE, image.rgb.data());
    // The GL counts rows from the bottom; turn them to screen order.
    const std::size_t row = static_cast<std::size_t>(image.width) * 3;
    for (int y = 0; y < image.height / 2; ++y) {
        std::swap_ranges(image.rgb.begin() + y * row, image.rgb.begin() + (y + 1) * row,
                         image.rgb.begin() + (image.height - 1 - y) * row);
    }
    return image;
}

// Takes the arguments as a list, so that a call made outside a recording allocates nothing.
void capture(Shape shape, std::initializer_list<double> arguments)
{
    if (!recording) return;
    Primitive p;
    p.shape = shape;
    p.arguments = arguments;
    float modelview[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    p.modelview = Matrix::fromFloats(modelview);
    p.material = currentMaterial();
    recorded.push_back(std::move(p));
}

}  // namespace

extern "C" {

void __wrap_glutSolidSphere(double radius, GLint slices, GLint stacks)
{
    capture(Shape::Sphere, {radius, double(slices), double(stacks)});
    __real_glutSolidSphere(radius, slices, stacks);
}

void __wrap_glutSolidCube(double size)
{
    capture(Shape::Cube, {size});
    __real_glutSolidCube(size);
}

void __wrap_glutSolidTorus(double inner, double outer, GLint sides, GLint rings)
{
    capture(Shape::Torus, {inner, outer, double(sides), double(rings)});
    __real_glutSolidTorus(inner, outer, sides, rings);
}

void __wrap_gluCylinder(GLUquadric* quad, GLdouble base, GLdouble top, GLdouble height, GLint slices, GLint stacks)
{
    capture(Shape::Cylinder, {base, top, height, double(slices), double(stacks)});
    __real_gluCylinder(quad, base, top, height, slices, stacks);
}

void __wrap_gluDisk(GLUquadric* quad, GLdouble inner, GLdouble outer, GLint slices, GLint loops)
{
    capture(Shape::Disk, {inner, outer, double(slices), double(loops)});
    __real_gluDisk(quad, inner, outer, slices, loops);
}

void __wrap_glBegin(GLenum mode)
{
    capture(Shape::Polygon, {double(mode)});
    insidePolygon = recording;
    __real_glBegin(mode);
}

void __wrap_glNormal3f(GLfloat x, GLfloat y, GLfloat z)
{
    if (insidePolygon) recorded.back().normals.push_back({x, y, z});
    __real_glNormal3f(x, y, z);
}

void __wrap_glVertex3f(GLfloat x, GLfloat y, GLfloat z)
{
    if (insidePolygon) {
        Primitive& polygon = recorded.back();
        polygon.vertices.push_back({x, y, z});
        polygon.normalOfVertex.push_back(static_cast<int>(polygon.normals.size()) - 1);
    }
    __real_glVertex3f(x, y, z);
}

void __wrap_glEnd()
{
    insidePolygon = false;
    __real_glEnd();
}

void __wrap_glutPostRedisplay()
{
    ++redisplayCount;
    __real_glutPostRedisplay();
}

void __wrap_glutSwapBuffers()
{
    ++swapCount;
    if (capturing) presented = readBackBuffer();
    __real_glutSwapBuffers();
}

}  // extern "C"

std::array<int, 3> Image::pixel(int x, int y) const
{
    const std::size_t at = (static_cast<std::size_t>(y) * width + x) * 3;
    return {rgb[at], rgb[at + 1], rgb[at + 2]};
}

Image capturePresented(const std::function<void()>& drawing)
{
    presented = Image{};
    capturing = true;
    drawing();
    capturing = false;
    return std::move(presented);
}

std::vector<Primitive> record(const std::function<void()>& drawing)
{
    recorded.clear();
    recording = true;
    drawing();
    recording = false;
    insidePolygon = false;
    return std::move(recorded);
}

long redisplayRequests()
{
    return redisplayCount;
}

long bufferSwaps()
{
    return swapCount;
}

Material currentMaterial(GLenum face)
{
    Material m{};
    glGetMaterialfv(face, GL_AMBIENT, m.ambient);
    glGetMaterialfv(face, GL_DIFFUSE, m.diffuse);
    glGetMaterialfv(face, GL_SPECULAR, m.specular);
    glGetMaterialfv(face, GL_SHININESS, &m.shininess);
    return m;
}

bool sameMaterial(const Material& a, const Material& b)
{
    for (int i = 0; i < 4; ++i) {
        if (std::fabs(a.ambient[i] - b.ambient[i]) > 1e-6f || std::fabs(a.diffuse[i] - b.diffuse[i]) > 1e-6f ||
            std::fabs(a.specular[i] - b.specular[i]) > 1e-6f)
            return false;
    }
    return std::fabs(a.shininess - b.shininess) <= 1e-5f;
}

int paletteIndexOf(const Material& material)
{
    for (int i = 0; i < paintCount; ++i) {
        if (sameMaterial(material, paints[i])) return i;
    }
    return -1;
}

const char* shapeName(Shape shape)
{
    switch (shape) {
    case Shape::Sphere: return "sphere";
    case Shape::Cube: return "cube";
    case Shape::Torus: return "torus";
    case Shape::Cylinder: return "cylinder";
    case Shape::Disk: return "disk";
    case Shape::Polygon: return "polygon";
    }
    return "?";
}

std::ostream& operator<<(std::ostream& out, const Primitive& p)
{
    out << shapeName(p.shape) << "(";
    for (std::size_t i = 0; i < p.arguments.size(); ++i) out << (i ? ", " : "") << p.arguments[i];
    return out << ") at " << originOf(p.modelview) << " paint " << paletteIndexOf(p.material);
}
