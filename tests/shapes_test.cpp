// The browser build's own solids, quadrics and look-at against the desktop's toolkit and GLU
// on real Mesa, drawn as the browser build draws them: through the frame's batches, in eye
// space. The GL's feedback tells what each makes it draw, triangle by triangle, and the
// lights are set so that a corner's colour spells out its normal: the two must agree in
// count, order, corner order (winding), window position and normal. A whole scene of shapes,
// batched, paints the desktop's picture and leaves the GL's state as the desktop's draws do.
#include <GL/freeglut.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "state/state.h"
#include "support/harness.h"
#include "web/gl/batch.h"
#include "web/glu/shapes.h"

namespace {

constexpr double pixelTolerance = 1e-3;
constexpr double colourTolerance = 1.0 / 255.0;
constexpr double matrixTolerance = 1e-6;
constexpr GLsizei feedbackCapacity = 1 << 20;

// A corner as the GL drew it: its window position, then its colour lit by red, green and blue
// lights along +x, +y and +z of the eye, then along -x, -y and -z: together, its normal.
using Corner = std::array<double, 9>;
using Triangle = std::array<Corner, 3>;
// One pass's view of a triangle: each corner's window x, y, z and red, green, blue.
using LitTriangle = std::array<std::array<float, 6>, 3>;

// Lights whose colours are the normal's parts along the eye's axes, on a white matte surface.
void lightAlongAxes(float sign)
{
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    const float none[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    for (int axis = 0; axis < 3; ++axis) {
        float direction[4] = {0.0f, 0.0f, 0.0f, 0.0f};
        float colour[4] = {0.0f, 0.0f, 0.0f, 1.0f};
        direction[axis] = sign;
        colour[axis] = 1.0f;
        const GLenum light = GL_LIGHT0 + static_cast<GLenum>(axis);
        glEnable(light);
        glLightfv(light, GL_POSITION, direction);
        glLightfv(light, GL_DIFFUSE, colour);
        glLightfv(light, GL_AMBIENT, none);
        glLightfv(light, GL_SPECULAR, none);
    }
    glPopMatrix();
}

// The triangles a drawing makes the GL draw, with the lights along the axes facing `sign`.
std::vector<LitTriangle> feedback(const std::function<void()>& drawing, float sign)
{
    static std::vector<float> buffer(feedbackCapacity);
    lightAlongAxes(sign);
    glFeedbackBuffer(feedbackCapacity, GL_3D_COLOR, buffer.data());
    glRenderMode(GL_FEEDBACK);
    drawing();
    const int used = glRenderMode(GL_RENDER);
    EXPECT_GE(used, 0) << "the feedback buffer overflowed";
    std::vector<LitTriangle> triangles;
    constexpr int cornerValues = 7;  // x, y, z, then red, green, blue, alpha
    for (int at = 0; at + 1 < used;) {
        const int token = static_cast<int>(buffer[at]);
        const int count = static_cast<int>(buffer[at + 1]);
        if (token != GL_POLYGON_TOKEN || count != 3) {
            ADD_FAILURE() << "feedback holds something other than a triangle: token " << token;
            break;
        }
        at += 2;
        LitTriangle triangle{};
        for (auto& corner : triangle) {
            std::copy_n(&buffer[at], 6, corner.begin());
            at += cornerValues;
        }
        triangles.push_back(triangle);
    }
    return triangles;
}

std::vector<Triangle> drawnTriangles(const std::function<void()>& drawing)
{
    const auto towards = feedback(drawing, 1.0f);
    const auto away = feedback(drawing, -1.0f);
    EXPECT_EQ(towards.size(), away.size());
    std::vector<Triangle> triangles(std::min(towards.size(), away.size()));
    for (std::size_t t = 0; t < triangles.size(); ++t) {
        for (int c = 0; c < 3; ++c) {
            const auto& lit = towards[t][c];
            const auto& back = away[t][c];
            triangles[t][c] = {lit[0], lit[1], lit[2], lit[3], lit[4], lit[5], back[3], back[4], back[5]};
        }
    }
    return triangles;
}

// The window z of the GL runs over [0, 1]: in pixels, it counts as much as a step across the view.
double positionDifference(const Corner& a, const Corner& b)
{
    return std::max({std::fabs(a[0] - b[0]), std::fabs(a[1] - b[1]), std::fabs(a[2] - b[2]) * initialWindowSize});
}

double colourDifference(const Corner& a, const Corner& b)
{
    double worst = 0.0;
    for (int i = 3; i < 9; ++i) worst = std::max(worst, std::fabs(a[i] - b[i]));
    return worst;
}

// One shape both ways: through the desktop's library, and through the browser build's own code.
struct ShapeCase {
    const char* shape;
    std::vector<double> arguments;
    std::function<void()> desktop;
    std::function<void()> ours;
};

std::ostream& operator<<(std::ostream& out, const ShapeCase& c)
{
    out << c.shape;
    for (std::size_t i = 0; i < c.arguments.size(); ++i) out << (i == 0 ? "(" : ", ") << c.arguments[i];
    return out << ")";
}

ShapeCase sphere(double radius, int slices, int stacks)
{
    return {"sphere", {radius, double(slices), double(stacks)}, [=] { glutSolidSphere(radius, slices, stacks); },
            [=] { drawSolidSphere(radius, slices, stacks); }};
}

ShapeCase cube(double size)
{
    return {"cube", {size}, [=] { glutSolidCube(size); }, [=] { drawSolidCube(size); }};
}

ShapeCase torus(double inner, double outer, int sides, int rings)
{
    return {"torus", {inner, outer, double(sides), double(rings)}, [=] { glutSolidTorus(inner, outer, sides, rings); },
            [=] { drawSolidTorus(inner, outer, sides, rings); }};
}

ShapeCase cylinder(double base, double top, double height, int slices, int stacks)
{
    return {"cylinder", {base, top, height, double(slices), double(stacks)},
            [=] { gluCylinder(quadric, base, top, height, slices, stacks); },
            [=] { drawCylinder(base, top, height, slices, stacks); }};
}

ShapeCase disk(double inner, double outer, int slices, int loops)
{
    return {"disk", {inner, outer, double(slices), double(loops)},
            [=] { gluDisk(quadric, inner, outer, slices, loops); },
            [=] { drawDisk(inner, outer, slices, loops); }};
}

// Every call the designer makes, a few shapes with uneven counts, and arguments the libraries
// refuse, clamp or take to extremes.
const ShapeCase shapeCases[] = {
    sphere(1.0, 20, 20), sphere(0.75, 20, 20), sphere(0.385, 20, 20), sphere(0.4, 10, 10), sphere(1.0, 10, 10),
    sphere(0.5, 7, 3), sphere(0.5, 1, 4), sphere(-0.5, 5, 4), sphere(1.0, 0, 4), sphere(1.0, 4, 1),

    cube(1.3), cube(0.5), cube(1.0), cube(-0.5),

    torus(0.04, 0.2, 20, 20), torus(0.04, 0.225, 20, 20), torus(0.3, 0.525, 20, 20), torus(0.2, 0.6, 5, 9),
    torus(-0.2, 0.6, 3, 4), torus(0.2, 0.6, 1, 4), torus(0.2, 0.6, 4, 1),

    cylinder(0.35, 0.35, 1.25, 20, 20), cylinder(0.35, 0.45, 1.25, 20, 20), cylinder(1.0, 0.75, 1.5, 20, 20),
    cylinder(0.39, 0.39, 1.3, 20, 20), cylinder(0.4, 0.35, 0.4, 10, 10), cylinder(0.25, 0.2, 0.25, 20, 20),
    cylinder(0.125, 0.1, 0.25, 10, 10), cylinder(0.3, 0.3, 0.8, 20, 1), cylinder(1.0, 1.0, 1.0, 20, 1),
    cylinder(0.5, 0.0, 1.0, 7, 3), cylinder(0.0, 0.0, 1.0, 3, 1), cylinder(0.6, 0.3, 0.0, 9, 2),
    cylinder(0.5, 0.5, 1.0, 300, 1), cylinder(0.5, 0.5, 1.0, 1, 1), cylinder(0.5, 0.5, 1.0, 4, 0),
    cylinder(-0.5, 0.5, 1.0, 4, 1), cylinder(0.5, -0.5, 1.0, 4, 1), cylinder(0.5, 0.5, -1.0, 4, 1),
    cylinder(0.5, 0.5, 0.0, 4, 1),

    disk(0.0, 0.45, 20, 2), disk(0.0, 0.35, 20, 20), disk(0.0, 0.39, 20, 20), disk(0.0, 0.195, 10, 10),
    disk(0.0, 0.3, 30, 1), disk(0.0, 1.0, 30, 1), disk(0.3, 0.9, 12, 3), disk(0.5, 0.5, 6, 2),
    disk(0.0, 0.8, 300, 2), disk(0.0, 0.8, 1, 2), disk(0.0, 0.8, 6, 0), disk(-0.1, 0.8, 6, 2), disk(0.0, 0.0, 6, 2),
    disk(0.9, 0.3, 6, 2),
};

// Keeps the GL state and both matrices for a test, with the projection `project` sets up and
// an identity modelview; restoreView gives them back.
void saveView(const std::function<void()>& project)
{
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    project();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
}

void restoreView()
{
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glPopAttrib();
}

// An orthographic view of the shape, turned off every axis.
class ShapesTest : public DesignerTest, public ::testing::WithParamInterface<ShapeCase> {
protected:
    void SetUp() override
    {
        DesignerTest::SetUp();
        saveView([] { glOrtho(-2.0, 2.0, -2.0, 2.0, -4.0, 4.0); });
        glTranslatef(0.1f, -0.05f, 0.2f);
        glRotatef(37.0f, 0.3f, 0.8f, 0.5f);
        // Raw normals, lit on one side only, with nothing but the axis lights: the colour is the normal.
        glEnable(GL_LIGHTING);
        glDisable(GL_NORMALIZE);
        glDisable(GL_RESCALE_NORMAL);
        glDisable(GL_COLOR_MATERIAL);
        glDisable(GL_CULL_FACE);
        glShadeModel(GL_SMOOTH);
        const float none[4] = {0.0f, 0.0f, 0.0f, 1.0f};
        const float white[4] = {1.0f, 1.0f, 1.0f, 1.0f};
        glLightModelfv(GL_LIGHT_MODEL_AMBIENT, none);
        glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_FALSE);
        glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, GL_FALSE);
        glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, none);
        glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, white);
        glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, none);
        glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, none);
        for (GLenum light = GL_LIGHT3; light <= GL_LIGHT7; ++light) glDisable(light);
    }

    void TearDown() override
    {
        restoreView();
        DesignerTest::TearDown();
    }
};

// The shape alone in the batches, drawn.
std::function<void()> batchedAlone(const std::function<void()>& drawing)
{
    return [drawing] {
        drawing();
        flushBatches();
    };
}

TEST_P(ShapesTest, MakesTheGlDrawTheDesktopsTrianglesInItsOrder)
{
    const std::vector<Triangle> desktop = drawnTriangles(GetParam().desktop);
    const std::vector<Triangle> ours = drawnTriangles(batchedAlone(GetParam().ours));
    ASSERT_EQ(ours.size(), desktop.size());
    double worstPosition = 0.0;
    double worstColour = 0.0;
    std::string firstStray;
    for (std::size_t t = 0; t < ours.size(); ++t) {
        for (int c = 0; c < 3; ++c) {
            const double position = positionDifference(ours[t][c], desktop[t][c]);
            const double colour = colourDifference(ours[t][c], desktop[t][c]);
            if (firstStray.empty() && (position > pixelTolerance || colour > colourTolerance)) {
                firstStray = "triangle " + std::to_string(t) + ", corner " + std::to_string(c);
            }
            worstPosition = std::max(worstPosition, position);
            worstColour = std::max(worstColour, colour);
        }
    }
    RecordProperty("triangles", static_cast<int>(ours.size()));
    RecordProperty("worstPixels", std::to_string(worstPosition));
    RecordProperty("worstColour", std::to_string(worstColour));
    EXPECT_LE(worstPosition, pixelTolerance) << "first at " << firstStray;
    EXPECT_LE(worstColour, colourTolerance) << "first at " << firstStray;
}

// Rasterised, they give the same picture, even where the GL splits GLU's quads: the window
// positions, well under a thousandth of a pixel apart, only ever move a colour by one level.
TEST_P(ShapesTest, PaintsTheDesktopsPixels)
{
    lightAlongAxes(1.0f);
    glEnable(GL_DEPTH_TEST);
    const auto picture = [](const std::function<void()>& drawing) {
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        drawing();
        std::vector<unsigned char> rgb(static_cast<std::size_t>(initialWindowSize) * initialWindowSize * 3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadBuffer(GL_BACK);
        glReadPixels(0, 0, initialWindowSize, initialWindowSize, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
        return rgb;
    };
    const std::vector<unsigned char> desktop = picture(GetParam().desktop);
    const std::vector<unsigned char> ours = picture(batchedAlone(GetParam().ours));
    int worstLevels = 0;
    for (std::size_t i = 0; i < ours.size(); ++i) worstLevels = std::max(worstLevels, std::abs(ours[i] - desktop[i]));
    RecordProperty("worstLevels", worstLevels);
    EXPECT_LE(worstLevels, 1) << "levels apart on some channel";
}

INSTANTIATE_TEST_SUITE_P(Shapes, ShapesTest, ::testing::ValuesIn(shapeCases));

// Counts on which the desktop toolkit gives up the whole process, which would keep the GL
// busy for good, or which overflow the browser's glBegin: the layer draws nothing for them.
TEST_F(DesignerTest, ShapesWithImpossibleCountsDrawNothing)
{
    const std::function<void()> drawings[] = {
        [] { drawSolidSphere(1.0, -3, 4); },
        [] { drawSolidSphere(1.0, INT_MAX, INT_MAX); },
        [] { drawSolidTorus(0.2, 0.6, -4, 4); },
        [] { drawSolidTorus(0.2, 0.6, INT_MAX, INT_MAX); },
        [] { drawCylinder(0.5, 0.5, 1.0, 20, INT_MAX); },
        [] { drawDisk(0.0, 0.5, 20, INT_MAX); },
        [] { drawCylinder(0.5, 0.5, 1.0, 200, 60); },  // more than the browser's glBegin holds
    };
    static std::vector<float> buffer(feedbackCapacity);
    for (const auto& drawing : drawings) {
        glFeedbackBuffer(feedbackCapacity, GL_3D, buffer.data());
        glRenderMode(GL_FEEDBACK);
        drawing();
        flushBatches();
        EXPECT_EQ(glRenderMode(GL_RENDER), 0);
    }
}

// Four materials of the designer's kind: ambient, diffuse, specular and shininess.
void useMaterial(int which)
{
    const float shades[4][4] = {
        {0.5f, 0.1f, 0.0f, 1.0f}, {0.1f, 0.2f, 0.5f, 1.0f}, {0.4f, 0.4f, 0.4f, 0.0f}, {0.0f, 0.3f, 0.0f, 1.0f}};
    const float specular[4] = {0.8f, 0.8f, 0.8f, 1.0f};
    const float shininess = 4.0f + 8.0f * static_cast<float>(which);
    glMaterialfv(GL_FRONT, GL_AMBIENT, shades[which]);
    glMaterialfv(GL_FRONT, GL_DIFFUSE, shades[which]);
    glMaterialfv(GL_FRONT, GL_SPECULAR, specular);
    glMaterialfv(GL_FRONT, GL_SHININESS, &shininess);
}

void placed(float x, float y, float angle, const std::function<void()>& drawing)
{
    glPushMatrix();
    glTranslatef(x, y, 0.0f);
    glRotatef(angle, 0.6f, 0.8f, 0.0f);
    drawing();
    glPopMatrix();
}

// A frame's worth of shapes, either way: scaled unevenly, mirrored, one material coming back,
// a projection changed on the way, a shape scaled to a point, and more points than one draw
// holds. Batched, two more shapes cannot be drawn and must leave the others whole: one with
// more points than a draw holds, one that its matrix takes beyond the floats' range.
void drawScene(bool batched)
{
    const auto draw = [batched](const ShapeCase& shape) { (batched ? shape.ours : shape.desktop)(); };
    glMatrixMode(GL_MODELVIEW);
    useMaterial(0);
    placed(-1.2f, 0.9f, 30.0f, [&] {
        glScalef(1.0f, 0.6f, 1.4f);
        draw(sphere(0.5, 20, 20));
    });
    useMaterial(1);
    placed(0.0f, 0.9f, 60.0f, [&] { draw(torus(0.15, 0.4, 20, 20)); });
    useMaterial(0);
    placed(1.2f, 0.9f, -40.0f, [&] {
        glScalef(-1.0f, 1.0f, 1.0f);
        draw(cylinder(0.4, 0.2, 0.7, 20, 5));
    });
    useMaterial(2);
    placed(-1.2f, -0.3f, 0.0f, [&] {
        glScalef(0.0f, 0.0f, 0.0f);
        draw(sphere(0.5, 20, 20));
    });
    if (batched) {
        // A triangle across the view among one point too many, and a sphere whose far side
        // lies beyond the floats' range.
        static MeshPoint tooMany[batchPointLimit + 1];
        tooMany[0] = {{0.0f, 0.0f, 1.0f}, {-2.0f, -2.0f, 0.0f}};
        tooMany[1] = {{0.0f, 0.0f, 1.0f}, {2.0f, -2.0f, 0.0f}};
        tooMany[2] = {{0.0f, 0.0f, 1.0f}, {0.0f, 2.0f, 0.0f}};
        const GLushort corners[3] = {0, 1, 2};
        addTriangles(tooMany, batchPointLimit + 1, corners, 3);
        placed(1.2f, -0.3f, 0.0f, [] {
            glScalef(1.0f, 1.0f, 3e38f);
            drawSolidSphere(2.0, 10, 10);
        });
    }
    placed(-1.2f, -0.3f, 20.0f, [&] { draw(cube(0.6)); });
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(-3.0, 3.0, -3.0, 3.0, -10.0, 10.0);
    glMatrixMode(GL_MODELVIEW);
    useMaterial(3);
    placed(0.0f, -0.3f, 10.0f, [&] { draw(disk(0.1, 0.5, 20, 3)); });
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    // Far more points than one draw holds, in two materials.
    for (int i = 0; i < 160; ++i) {
        useMaterial(i % 2);
        placed(-1.9f + 0.24f * static_cast<float>(i % 16), -0.8f - 0.12f * static_cast<float>(i / 16), 0.0f,
               [&] { draw(sphere(0.1, 20, 20)); });
    }
}

// The GL state that the designer sees.
struct SeenState {
    MatrixState matrices;
    std::array<float, 16> projection;
    std::array<float, 13> material;
};

SeenState seenState()
{
    SeenState seen{matrixState(), {}, {}};
    glGetFloatv(GL_PROJECTION_MATRIX, seen.projection.data());
    glGetMaterialfv(GL_FRONT, GL_AMBIENT, &seen.material[0]);
    glGetMaterialfv(GL_FRONT, GL_DIFFUSE, &seen.material[4]);
    glGetMaterialfv(GL_FRONT, GL_SPECULAR, &seen.material[8]);
    glGetMaterialfv(GL_FRONT, GL_SHININESS, &seen.material[12]);
    return seen;
}

bool operator==(const SeenState& a, const SeenState& b)
{
    return a.matrices == b.matrices && a.projection == b.projection && a.material == b.material;
}

// The designer's light and view: one directional light from the viewer's side, renormalised
// normals, the depth test, and a perspective projection.
class BatchTest : public DesignerTest {
protected:
    void SetUp() override
    {
        DesignerTest::SetUp();
        saveView([] { gluPerspective(45.0, 1.0, 1.0, 20.0); });
        const float direction[4] = {0.0f, 0.5f, 1.0f, 0.0f};
        glLightfv(GL_LIGHT0, GL_POSITION, direction);
        glTranslatef(0.0f, 0.0f, -6.0f);
        glEnable(GL_LIGHTING);
        glEnable(GL_LIGHT0);
        glEnable(GL_NORMALIZE);
        glEnable(GL_DEPTH_TEST);
    }

    void TearDown() override
    {
        restoreView();
        DesignerTest::TearDown();
    }

    static std::vector<unsigned char> picture(bool batched)
    {
        glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        drawScene(batched);
        flushBatches();
        std::vector<unsigned char> rgb(static_cast<std::size_t>(initialWindowSize) * initialWindowSize * 3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadBuffer(GL_BACK);
        glReadPixels(0, 0, initialWindowSize, initialWindowSize, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
        return rgb;
    }
};

// True when some pixel of `other` within one pixel of (x, y) is at most a level from `picture`'s there.
bool matchesNearby(const std::vector<unsigned char>& picture, const std::vector<unsigned char>& other, int x, int y)
{
    const int size = initialWindowSize;
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            const int nx = x + dx;
            const int ny = y + dy;
            if (nx < 0 || ny < 0 || nx >= size || ny >= size) continue;
            bool alike = true;
            for (int c = 0; c < 3; ++c) {
                alike = alike && std::abs(picture[(y * size + x) * 3 + c] - other[(ny * size + nx) * 3 + c]) <= 1;
            }
            if (alike) return true;
        }
    }
    return false;
}

// Each shape in the place, colours and depth its own draw gives it, whatever batch it joined:
// window positions a rounding apart can only move an edge by a pixel, and the lighting a level.
TEST_F(BatchTest, ASceneBatchedPaintsTheDesktopsPicture)
{
    const std::vector<unsigned char> desktop = picture(false);
    const std::vector<unsigned char> batched = picture(true);
    int unlike = 0;
    int drawn = 0;
    for (int y = 0; y < initialWindowSize; ++y) {
        for (int x = 0; x < initialWindowSize; ++x) {
            if (!matchesNearby(batched, desktop, x, y) || !matchesNearby(desktop, batched, x, y)) ++unlike;
            if (batched[(y * initialWindowSize + x) * 3] < 200) ++drawn;
        }
    }
    EXPECT_EQ(unlike, 0) << "pixels differ beyond an edge moved by one pixel";
    EXPECT_GT(drawn, 30000) << "the scene is not in the picture";
    EXPECT_TRUE(glErrors().empty());
}

TEST_F(BatchTest, LeavesTheStateTheDesignerSeesAsItWasAndNothingForTheNextFrame)
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    useMaterial(1);
    const SeenState before = seenState();
    drawScene(true);
    glMatrixMode(GL_TEXTURE);
    const SeenState drawn = seenState();
    drawScene(false);
    glMatrixMode(GL_TEXTURE);
    EXPECT_TRUE(drawn == seenState()) << "collecting shapes changed what the designer sees";
    flushBatches();
    EXPECT_TRUE(drawn == seenState()) << "drawing the batches changed what the designer sees";
    glMatrixMode(GL_MODELVIEW);
    EXPECT_FALSE(before == drawn);

    // Drawn once, the batches are empty: another flush draws nothing, and a frame of no shapes neither.
    static std::vector<float> buffer(feedbackCapacity);
    glFeedbackBuffer(feedbackCapacity, GL_3D, buffer.data());
    glRenderMode(GL_FEEDBACK);
    flushBatches();
    EXPECT_EQ(glRenderMode(GL_RENDER), 0);
    EXPECT_TRUE(glErrors().empty());
}

using LookAt = void (*)(double, double, double, double, double, double, double, double, double);

// The modelview matrix a look-at leaves after a turn and a move, which it must multiply rather than replace.
Matrix viewAfter(LookAt lookAt, const std::array<double, 9>& a)
{
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glRotatef(-23.0f, 0.6f, 0.2f, 0.7f);
    glTranslatef(0.5f, -0.25f, 1.0f);
    lookAt(a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8]);
    const Matrix result = matrixState().modelview;
    glPopMatrix();
    return result;
}

// Eye, centre and up: the designer's own views, views at odd angles, and views without a direction or an up.
const std::array<double, 9> lookAtCases[] = {
    {0.0, 0.0, 6.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0},     {4.1, 5.9087, -1.3, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0},
    {-0.7, -5.9, 0.9, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0},   {1.0, 2.0, 3.0, 4.0, -5.0, 6.0, 0.3, 2.0, -1.0},
    {-2.5, 0.25, 7.0, 0.5, 1.0, -1.0, 1.0, 1.0, 1.0},  {0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0},
    {0.0, 6.0, 0.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0},     {1.0, 2.0, 3.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0},
};

TEST_F(DesignerTest, LookAtMultipliesByTheDesktopsViewMatrix)
{
    for (const auto& a : lookAtCases) {
        const Matrix desktop = viewAfter(gluLookAt, a);
        const Matrix ours = viewAfter(multiplyLookAt, a);
        EXPECT_TRUE(nearlyEqual(ours, desktop, matrixTolerance))
            << "from (" << a[0] << ", " << a[1] << ", " << a[2] << ") towards (" << a[3] << ", " << a[4] << ", "
            << a[5] << ") up (" << a[6] << ", " << a[7] << ", " << a[8] << "):\n"
            << ours << "\ndesktop:\n"
            << desktop;
    }
}

}  // namespace
