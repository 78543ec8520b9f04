// The weapons, drawn alone in the weapon frame and in both hands of the figure.
#include <algorithm>
#include <cmath>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>

#include "render/paint.h"
#include "render/pieces.h"
#include "state/state.h"
#include "support/harness.h"

namespace {

constexpr double tolerance = 1e-5;

struct Box {
    Point low;
    Point high;
};

std::ostream& operator<<(std::ostream& out, const Box& box)
{
    return out << box.low << " to " << box.high;
}

bool near(const Point& a, const Point& b)
{
    return distance(a, b) < tolerance;
}

bool sameBox(const Box& a, const Box& b)
{
    return near(a.low, b.low) && near(a.high, b.high);
}

double dot(const Point& a, const Point& b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

// Every kind but the knife facing down is drawn 0.2 toward the weapon's top.
const Matrix weaponToDrawing = [] {
    Matrix m = Matrix::identity();
    m.at(1, 3) = -0.2;
    return m;
}();

// With the identity current, the recorded matrices are in the weapon frame.
std::vector<Primitive> drawnInWeaponFrame(int kind)
{
    glLoadIdentity();
    return record([kind] { drawWeapon(kind); });
}

std::vector<Primitive> ofShape(const std::vector<Primitive>& drawn, Shape shape)
{
    std::vector<Primitive> found;
    std::copy_if(drawn.begin(), drawn.end(), std::back_inserter(found),
                 [shape](const Primitive& p) { return p.shape == shape; });
    return found;
}

// The points that bound a primitive in its own frame: a cube's corners, the rims of a
// cylinder's two ends, a disk's rim, a polygon's vertices. Rims are sampled every
// 45 degrees, which includes their extremes along the local axes.
std::vector<Point> outline(const Primitive& p)
{
    std::vector<Point> points;
    const auto rim = [&points](double radius, double z) {
        for (int step = 0; step < 8; ++step) {
            const double angle = step * M_PI / 4.0;
            points.push_back({radius * std::cos(angle), radius * std::sin(angle), z});
        }
    };
    switch (p.shape) {
    case Shape::Cube: {
        const double half = p.arguments[0] / 2.0;
        for (int corner = 0; corner < 8; ++corner) {
            points.push_back({corner & 1 ? half : -half, corner & 2 ? half : -half, corner & 4 ? half : -half});
        }
        break;
    }
    case Shape::Cylinder:
        rim(p.arguments[0], 0.0);
        rim(p.arguments[1], p.arguments[2]);
        break;
    case Shape::Disk: rim(p.arguments[1], 0.0); break;
    default: points = p.vertices; break;
    }
    return points;
}

Box boxAround(const std::vector<Point>& points)
{
    Box box{{HUGE_VAL, HUGE_VAL, HUGE_VAL}, {-HUGE_VAL, -HUGE_VAL, -HUGE_VAL}};
    for (const Point& q : points) {
        box.low = {std::min(box.low.x, q.x), std::min(box.low.y, q.y), std::min(box.low.z, q.z)};
        box.high = {std::max(box.high.x, q.x), std::max(box.high.y, q.y), std::max(box.high.z, q.z)};
    }
    return box;
}

// Where a point of a primitive's own frame lies in the drawing frame.
Point inDrawingFrame(const Primitive& p, const Point& local)
{
    return transformPoint(weaponToDrawing * p.modelview, local);
}

// The axis-aligned extent of one primitive in the drawing frame.
Box extentInDrawingFrame(const Primitive& p)
{
    std::vector<Point> points;
    for (const Point& q : outline(p)) points.push_back(inDrawingFrame(p, q));
    return boxAround(points);
}

struct Part {
    const char* name;
    Shape shape;
    Box extent;  // in the drawing frame
};

// Each part is drawn exactly once where it belongs.
void expectParts(const std::vector<Primitive>& drawn, const std::vector<Part>& parts)
{
    for (const Part& part : parts) {
        int matches = 0;
        std::ostringstream seen;
        for (const Primitive& p : ofShape(drawn, part.shape)) {
            const Box box = extentInDrawingFrame(p);
            if (sameBox(box, part.extent)) ++matches;
            seen << "\n  " << shapeName(p.shape) << " " << box;
        }
        EXPECT_EQ(matches, 1) << part.name << " should span " << part.extent << "; drawn:" << seen.str();
    }
}

// The muzzle cap is the one disk, facing away from the elbow.
void expectMuzzleCapFacesForward(const std::vector<Primitive>& drawn)
{
    const std::vector<Primitive> disks = ofShape(drawn, Shape::Disk);
    ASSERT_EQ(disks.size(), 1u) << "the barrel is capped at its far end only";
    const Point facing = transformDirection(disks[0].modelview, {0.0, 0.0, 1.0});
    EXPECT_GT(facing.z, 0.0);
    EXPECT_NEAR(facing.x, 0.0, tolerance);
    EXPECT_NEAR(facing.y, 0.0, tolerance);
}

void expectCounts(const std::vector<Primitive>& drawn, std::size_t cubes, std::size_t cylinders,
                  std::size_t disks, std::size_t polygons)
{
    EXPECT_EQ(ofShape(drawn, Shape::Cube).size(), cubes);
    EXPECT_EQ(ofShape(drawn, Shape::Cylinder).size(), cylinders);
    EXPECT_EQ(ofShape(drawn, Shape::Disk).size(), disks);
    EXPECT_EQ(ofShape(drawn, Shape::Polygon).size(), polygons);
    EXPECT_EQ(drawn.size(), cubes + cylinders + disks + polygons) << "nothing else is drawn";
}

// The cube one of whose points (in its own frame) lies at `at` in the drawing frame.
const Primitive* cubeWithPointAt(const std::vector<Primitive>& drawn, const Point& local, const Point& at)
{
    for (const Primitive& p : drawn) {
        if (p.shape == Shape::Cube && near(inDrawingFrame(p, local), at)) return &p;
    }
    return nullptr;
}

// The cosine of the angle between two of a cube's edges as drawn: 0 for a true box.
double edgeCosine(const Primitive& cube, int axisA, int axisB)
{
    const Point axes[3] = {{1.0, 0.0, 0.0}, {0.0, 1.0, 0.0}, {0.0, 0.0, 1.0}};
    const Point a = transformDirection(cube.modelview, axes[axisA]);
    const Point b = transformDirection(cube.modelview, axes[axisB]);
    return dot(a, b) / (length(a) * length(b));
}

void expectEdges(const Primitive& cube, const Point& expected)
{
    EXPECT_NEAR(axisScale(cube.modelview, 0), expected.x, tolerance);
    EXPECT_NEAR(axisScale(cube.modelview, 1), expected.y, tolerance);
    EXPECT_NEAR(axisScale(cube.modelview, 2), expected.z, tolerance);
}

const Point cubeTop{0.0, 0.5, 0.0};
const Point cubeBottom{0.0, -0.5, 0.0};

const Box bolterBody{{-0.125, 0.0, 0.6}, {0.125, 0.65, 2.6}};
const Box pistolBody{{-0.1, 0.0, 0.83}, {0.1, 0.455, 1.93}};

bool inside(const Point& q, const Box& box)
{
    return q.x > box.low.x && q.x < box.high.x && q.y > box.low.y && q.y < box.high.y && q.z > box.low.z &&
           q.z < box.high.z;
}

class TheBolter : public DesignerTest {};

TEST_F(TheBolter, BodyFrontBlockBarrelAndMuzzleCapSpanTheirPlaces)
{
    const std::vector<Primitive> drawn = drawnInWeaponFrame(Bolter);
    expectCounts(drawn, 4, 1, 1, 0);
    expectParts(drawn, {
        {"body", Shape::Cube, bolterBody},
        {"front block", Shape::Cube, {{-0.0875, 0.105, 2.6}, {0.0875, 0.155, 2.7625}}},
        {"barrel", Shape::Cylinder, {{-0.1, 0.1275, 2.6}, {0.1, 0.3275, 2.725}}},
        {"muzzle cap", Shape::Disk, {{-0.1, 0.1275, 2.725}, {0.1, 0.3275, 2.725}}},
    });
    expectMuzzleCapFacesForward(drawn);
}

// The grip rises from (0, -0.585, 1.76) along (0, cos 10, -sin 10), up into the body.
TEST_F(TheBolter, GripLeansBackIntoTheBodyWithTheButtPlateBelowIt)
{
    const std::vector<Primitive> drawn = drawnInWeaponFrame(Bolter);
    const Point gripFoot{0.0, -0.585, 1.76};
    const Primitive* grip = cubeWithPointAt(drawn, cubeBottom, gripFoot);
    const Primitive* buttPlate = cubeWithPointAt(drawn, cubeTop, gripFoot);
    ASSERT_NE(grip, nullptr) << "no grip block stands on " << gripFoot;
    ASSERT_NE(buttPlate, nullptr) << "no butt plate hangs from " << gripFoot;

    expectEdges(*grip, {0.2, 0.845, 0.5});
    const Point gripTop = inDrawingFrame(*grip, cubeTop);
    EXPECT_TRUE(near(gripTop, {0.0, 0.247163, 1.613267})) << gripTop;
    EXPECT_TRUE(inside(gripTop, bolterBody));
    EXPECT_NEAR(edgeCosine(*grip, 1, 2), 0.0, tolerance) << "the bolter's grip is a true box";

    expectEdges(*buttPlate, {0.22, 0.0845, 0.6});
    EXPECT_TRUE(near(inDrawingFrame(*buttPlate, cubeBottom), {0.0, -0.668216, 1.774673}));
}

class TheBoltPistol : public DesignerTest {};

TEST_F(TheBoltPistol, IsAShorterSmallerBolterWithAnEllipticalBarrel)
{
    const std::vector<Primitive> drawn = drawnInWeaponFrame(BoltPistol);
    expectCounts(drawn, 4, 1, 1, 0);
    expectParts(drawn, {
        {"body", Shape::Cube, pistolBody},
        {"front block", Shape::Cube, {{-0.07, 0.0735, 1.93}, {0.07, 0.1085, 2.019375}}},
        // Semi-axes 0.08 across and 0.07 up, about x = 0, y = 0.15925.
        {"barrel", Shape::Cylinder, {{-0.08, 0.08925, 1.93}, {0.08, 0.22925, 1.99875}}},
        {"muzzle cap", Shape::Disk, {{-0.08, 0.08925, 1.99875}, {0.08, 0.22925, 1.99875}}},
    });
    expectMuzzleCapFacesForward(drawn);
}

// The squat scale encloses the grip's turn, so the grip is sheared rather than turned.
TEST_F(TheBoltPistol, GripIsASlantedBlockStandingOnItsButtPlate)
{
    const std::vector<Primitive> drawn = drawnInWeaponFrame(BoltPistol);
    const Point gripFoot{0.0, -0.364, 1.6};
    const Primitive* grip = cubeWithPointAt(drawn, cubeBottom, gripFoot);
    const Primitive* buttPlate = cubeWithPointAt(drawn, cubeTop, gripFoot);
    ASSERT_NE(grip, nullptr) << "no grip block stands on " << gripFoot;
    ASSERT_NE(buttPlate, nullptr) << "no butt plate hangs from " << gripFoot;

    const Point gripTop = inDrawingFrame(*grip, cubeTop);
    EXPECT_TRUE(near(gripTop, {0.0, 0.084088, 1.537921})) << gripTop;
    EXPECT_TRUE(inside(gripTop, pistolBody));
    EXPECT_GT(std::fabs(edgeCosine(*grip, 1, 2)), 0.05) << "the pistol's grip keeps square corners";
}

class TheKnife : public DesignerTest {};

// The guard sits 0.1 past the hand; facing down, the whole knife turns about the forearm.
TEST_F(TheKnife, GuardCentreAndBladeReachFacingUpAndDown)
{
    struct Case {
        int kind;
        const char* name;
        Point guardCentre;
        Box blade;  // in the weapon frame
    };
    const Case cases[] = {
        {KnifeUp, "Knife facing up", {0.0, 0.2, 1.1}, {{-0.05, 0.2, 1.0}, {0.05, 1.5, 1.3}}},
        {KnifeDown, "Knife facing down", {0.0, -0.2, 1.1}, {{-0.05, -1.5, 1.0}, {0.05, -0.2, 1.3}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<Primitive> drawn = drawnInWeaponFrame(c.kind);
        expectCounts(drawn, 1, 0, 0, 10);
        const std::vector<Primitive> guards = ofShape(drawn, Shape::Cube);
        ASSERT_EQ(guards.size(), 1u);
        EXPECT_TRUE(near(originOf(guards[0].modelview), c.guardCentre)) << originOf(guards[0].modelview);
        expectEdges(guards[0], {0.2, 0.05, 0.5});

        std::vector<Point> bladePoints;
        for (const Primitive& face : ofShape(drawn, Shape::Polygon)) {
            for (const Point& q : face.vertices) bladePoints.push_back(transformPoint(face.modelview, q));
        }
        const Box blade = boxAround(bladePoints);
        EXPECT_TRUE(sameBox(blade, c.blade)) << blade;
    }
}

// Lit as a solid: every face is flat, takes one normal before its first vertex, and that
// normal points away from every other corner of the (convex) blade; only the base inside
// the guard is open.
TEST_F(TheKnife, BladeIsAClosedFacetedSolidWithOutwardNormals)
{
    const std::vector<Primitive> faces = ofShape(drawnInWeaponFrame(KnifeUp), Shape::Polygon);
    ASSERT_EQ(faces.size(), 10u);
    std::vector<Point> corners;
    for (const Primitive& face : faces) corners.insert(corners.end(), face.vertices.begin(), face.vertices.end());

    const auto key = [](const Point& q) {
        return std::make_tuple(std::lround(q.x * 1000), std::lround(q.y * 1000), std::lround(q.z * 1000));
    };
    std::map<std::pair<decltype(key(Point{})), decltype(key(Point{}))>, int> edgeUses;
    for (std::size_t i = 0; i < faces.size(); ++i) {
        const Primitive& face = faces[i];
        SCOPED_TRACE("face " + std::to_string(i + 1));
        EXPECT_EQ(face.arguments[0], double(GL_POLYGON));
        ASSERT_EQ(face.normals.size(), 1u);
        ASSERT_GE(face.vertices.size(), 3u);
        EXPECT_TRUE(std::all_of(face.normalOfVertex.begin(), face.normalOfVertex.end(), [](int n) { return n == 0; }));
        const Point normal = face.normals[0];
        const Point unit{normal.x / length(normal), normal.y / length(normal), normal.z / length(normal)};
        for (const Point& q : face.vertices) {
            EXPECT_NEAR(dot(unit, q - face.vertices[0]), 0.0, tolerance) << "corner " << q << " is off the face";
        }
        for (const Point& q : corners) {
            EXPECT_LT(dot(unit, q - face.vertices[0]), tolerance) << "normal " << normal << " faces inward";
        }
        for (std::size_t v = 0; v < face.vertices.size(); ++v) {
            auto a = key(face.vertices[v]);
            auto b = key(face.vertices[(v + 1) % face.vertices.size()]);
            ++edgeUses[std::minmax(a, b)];
        }
    }
    int baseEdges = 0;
    for (const auto& [edge, uses] : edgeUses) {
        const bool onBase = std::get<1>(edge.first) == 0 && std::get<1>(edge.second) == 0;
        baseEdges += onBase;
        EXPECT_EQ(uses, onBase ? 1 : 2) << "an edge of the blade is " << (uses < 2 ? "open" : "overlapped");
    }
    EXPECT_EQ(baseEdges, 5) << "the base is the blade's five-sided section";
}

class WeaponPaints : public DesignerTest {};

// Green weapon paint and brown metal, neither shared with another primitive's paint.
TEST_F(WeaponPaints, WeaponPaintOnTheGunBodiesAloneMetalOnTheRest)
{
    weaponPaint = 9;
    metalPaint = 6;
    const std::pair<int, Box> guns[] = {{Bolter, bolterBody}, {BoltPistol, pistolBody}};
    for (const auto& [kind, body] : guns) {
        SCOPED_TRACE(kind == Bolter ? "bolter" : "bolt pistol");
        int weaponPainted = 0;
        for (const Primitive& p : drawnInWeaponFrame(kind)) {
            const int paint = paletteIndexOf(p.material);
            if (p.shape == Shape::Cube && sameBox(extentInDrawingFrame(p), body)) {
                EXPECT_EQ(paint, 9) << "the body";
                ++weaponPainted;
            } else {
                EXPECT_EQ(paint, 6) << p;
            }
        }
        EXPECT_EQ(weaponPainted, 1);
    }
    for (int kind : {KnifeUp, KnifeDown}) {
        for (const Primitive& p : drawnInWeaponFrame(kind)) {
            EXPECT_EQ(paletteIndexOf(p.material), p.shape == Shape::Polygon ? 6 : brassPaint) << p;
        }
    }
}

// The guard takes the palette's brass directly: neither the slots nor the mixed paint reach it.
TEST_F(WeaponPaints, KnifeGuardStaysBrassWhateverTheSlotsAndTheMixedPaint)
{
    paints[userPaint] = {{0.9f, 0.1f, 0.6f, 1.0f}, {0.8f, 0.2f, 0.7f, 1.0f}, {0.3f, 0.3f, 0.3f, 1.0f}, 60.0f};
    mainPaint = trimPaint = shoulderPaint = metalPaint = weaponPaint = eyePaint = userPaint;
    for (int kind : {KnifeUp, KnifeDown}) {
        for (const Primitive& p : drawnInWeaponFrame(kind)) {
            if (p.shape == Shape::Cube) {
                EXPECT_EQ(paletteIndexOf(p.material), brassPaint) << "the guard";
            } else {
                EXPECT_TRUE(sameMaterial(p.material, paints[userPaint])) << "the blade takes the mixed metal paint";
            }
        }
    }
}

class EitherHand : public DesignerTest {};

bool sameDrawing(const Primitive& a, const Primitive& b)
{
    if (a.shape != b.shape || a.arguments != b.arguments || a.vertices.size() != b.vertices.size()) return false;
    for (std::size_t i = 0; i < a.vertices.size(); ++i) {
        if (!near(a.vertices[i], b.vertices[i])) return false;
    }
    return nearlyEqual(a.modelview, b.modelview);
}

// What a frame with weapons draws beyond the same frame with empty hands, in drawing order.
std::vector<Primitive> weaponsInFigure(int kind)
{
    weaponBySide[RightSide] = weaponBySide[LeftSide] = NoWeapon;
    const std::vector<Primitive> unarmed = recordFigure();
    weaponBySide[RightSide] = weaponBySide[LeftSide] = kind;
    const std::vector<Primitive> armed = recordFigure();
    std::vector<Primitive> extra;
    std::size_t next = 0;
    for (const Primitive& p : armed) {
        if (next < unarmed.size() && sameDrawing(p, unarmed[next])) {
            ++next;
        } else {
            extra.push_back(p);
        }
    }
    EXPECT_EQ(next, unarmed.size()) << "arming the hands changed the rest of the figure";
    return extra;
}

double determinant3(const Matrix& m)
{
    return m.at(0, 0) * (m.at(1, 1) * m.at(2, 2) - m.at(1, 2) * m.at(2, 1)) -
           m.at(0, 1) * (m.at(1, 0) * m.at(2, 2) - m.at(1, 2) * m.at(2, 0)) +
           m.at(0, 2) * (m.at(1, 0) * m.at(2, 1) - m.at(1, 1) * m.at(2, 0));
}

// Each hand's weapon is the weapon drawn alone, carried by one rigid, unmirrored frame:
// same primitives, same paints, same placement relative to that hand's weapon frame.
TEST_F(EitherHand, BothHandsHoldTheSameWeaponForEachKind)
{
    for (int kind : {Bolter, BoltPistol, KnifeUp, KnifeDown}) {
        SCOPED_TRACE("kind " + std::to_string(kind));
        const std::vector<Primitive> alone = drawnInWeaponFrame(kind);
        const std::vector<Primitive> held = weaponsInFigure(kind);
        ASSERT_FALSE(alone.empty());
        ASSERT_EQ(held.size(), 2 * alone.size()) << "each hand holds one weapon";
        double handX[2] = {0.0, 0.0};
        for (std::size_t hand = 0; hand < 2; ++hand) {
            const Primitive* first = &held[hand * alone.size()];
            const Matrix frame = first->modelview * affineInverse(alone[0].modelview);
            handX[hand] = originOf(frame).x;
            for (int axis = 0; axis < 3; ++axis) EXPECT_NEAR(axisScale(frame, axis), 1.0, tolerance);
            EXPECT_NEAR(determinant3(frame), 1.0, tolerance) << "the weapon is mirrored";
            for (std::size_t i = 0; i < alone.size(); ++i) {
                Primitive expected = alone[i];
                expected.modelview = frame * alone[i].modelview;
                EXPECT_TRUE(sameDrawing(first[i], expected)) << first[i] << " instead of " << expected;
                EXPECT_EQ(paletteIndexOf(first[i].material), paletteIndexOf(alone[i].material)) << first[i];
            }
        }
        EXPECT_LT(handX[0] * handX[1], 0.0) << "the two weapons are not in opposite hands";
    }
}

class DrawWeapon : public DesignerTest {};

TEST_F(DrawWeapon, NoWeaponAndUnknownKindsDrawNothingAndChangeNothing)
{
    for (int kind : {int(NoWeapon), 5, -1, 1000}) {
        SCOPED_TRACE("kind " + std::to_string(kind));
        glLoadIdentity();
        glTranslatef(0.3f, -1.2f, 2.0f);
        glRotatef(30.0f, 1.0f, 1.0f, 0.0f);
        applyMaterial(paints[7]);
        const MatrixState before = matrixState();
        EXPECT_TRUE(record([kind] { drawWeapon(kind); }).empty());
        EXPECT_TRUE(matrixState() == before);
        EXPECT_EQ(paletteIndexOf(currentMaterial()), 7);
    }
}

// The knife leaves its own translation for drawWeapon's bracket to undo.
TEST_F(DrawWeapon, EveryKindLeavesTheMatrixAsItFoundIt)
{
    for (int kind : {Bolter, BoltPistol, KnifeUp, KnifeDown}) {
        SCOPED_TRACE("kind " + std::to_string(kind));
        glLoadIdentity();
        glTranslatef(-0.5f, 0.75f, 1.0f);
        glRotatef(-40.0f, 0.0f, 1.0f, 1.0f);
        const MatrixState before = matrixState();
        drawWeapon(kind);
        EXPECT_TRUE(matrixState() == before);
        EXPECT_TRUE(glErrors().empty());
    }
}

}  // namespace
