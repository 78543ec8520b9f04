// The torso, backpack and head, each recorded in its own frame (x to the figure's left,
// y up, z forward), and their paints.
#include <cmath>
#include <map>
#include <string>
#include <utility>

#include "render/pieces.h"
#include "state/state.h"
#include "support/harness.h"

namespace {

void expectAt(const Point& actual, const Point& expected, const std::string& what)
{
    EXPECT_LT(distance(actual, expected), 1e-5) << what << " lies at " << actual << ", not " << expected;
}

std::vector<Primitive> ofShape(const std::vector<Primitive>& drawn, Shape shape, double firstArgument)
{
    std::vector<Primitive> found;
    for (const Primitive& p : drawn) {
        if (p.shape == shape && std::fabs(p.arguments[0] - firstArgument) < 1e-9) found.push_back(p);
    }
    return found;
}

// Reflection in the plane x = 0; every primitive here is its own mirror image in its local x.
Matrix mirrored(const Matrix& a)
{
    Matrix flip = Matrix::identity();
    flip.at(0, 0) = -1.0;
    return flip * a * flip;
}

void expectMirrorImages(const Primitive& left, const Primitive& right, const std::string& what)
{
    EXPECT_GT(originOf(left.modelview).x, 0.0) << what;
    EXPECT_TRUE(nearlyEqual(right.modelview, mirrored(left.modelview), 1e-6))
        << what << ": left\n" << left.modelview << "\nright\n" << right.modelview;
}

void drawUpperBodyPieces()
{
    drawTorso();
    drawBackpack();
    drawHead();
}

class Torso : public DesignerTest {};

TEST_F(Torso, CapAndShellTaperFromTheShoulderLineToTheWaist)
{
    const std::vector<Primitive> torso = record(drawTorso);
    ASSERT_EQ(torso.size(), 2u);
    const Matrix& cap = torso[0].modelview;
    expectAt(originOf(cap), {0.0, 0.0, 0.0}, "the cap's centre");
    expectAt(transformDirection(cap, {1.0, 0.0, 0.0}), {1.0, 0.0, 0.0}, "the cap's half-width");
    expectAt(transformDirection(cap, {0.0, 0.0, 1.0}), {0.0, -0.5, 0.0}, "the cap's half-height");
    expectAt(transformDirection(cap, {0.0, 1.0, 0.0}), {0.0, 0.0, 0.7}, "the cap's half-depth");
    const Matrix& shell = torso[1].modelview;
    expectAt(transformPoint(shell, {1.0, 0.0, 0.0}), {1.0, 0.0, 0.0}, "the shell's top side");
    expectAt(transformPoint(shell, {0.0, 1.0, 0.0}), {0.0, 0.0, 0.7}, "the shell's top front");
    expectAt(transformPoint(shell, {0.75, 0.0, 1.5}), {0.75, -1.5, 0.0}, "the shell's bottom side");
    expectAt(transformPoint(shell, {0.0, 0.75, 1.5}), {0.0, -1.5, 0.525}, "the shell's bottom front");
}

class Backpack : public DesignerTest {};

TEST_F(Backpack, DrumLiesAcrossTheBackClosedByTwoDisksFacingLeft)
{
    const std::vector<Primitive> backpack = record(drawBackpack);
    const std::vector<Primitive> drum = ofShape(backpack, Shape::Cylinder, 0.39);
    ASSERT_EQ(drum.size(), 1u);
    expectAt(transformPoint(drum[0].modelview, {0.0, 0.0, 0.0}), {-0.65, 0.0, 0.0}, "the drum's right end");
    expectAt(transformPoint(drum[0].modelview, {0.0, 0.0, 1.3}), {0.65, 0.0, 0.0}, "the drum's left end");
    std::vector<Point> ends;
    for (const Primitive& end : ofShape(backpack, Shape::Disk, 0.0)) {
        if (std::fabs(end.arguments[1] - 0.39) > 1e-9) continue;
        ends.push_back(originOf(end.modelview));
        expectAt(transformDirection(end.modelview, {0.0, 0.0, 1.0}), {1.0, 0.0, 0.0}, "a drum end's facing");
    }
    ASSERT_EQ(ends.size(), 2u);
    expectAt(ends[0], {-0.65, 0.0, 0.0}, "the right end disk");
    expectAt(ends[1], {0.65, 0.0, 0.0}, "the left end disk");
}

TEST_F(Backpack, BlocksHangBelowTheDrumShrinkingAndSteppingForward)
{
    const std::vector<Primitive> blocks = ofShape(record(drawBackpack), Shape::Cube, 1.3);
    ASSERT_EQ(blocks.size(), 3u);
    const Point centres[] = {{0.0, -0.5525, 0.0325}, {0.0, -1.079, 0.06175}, {0.0, -1.55285, 0.088075}};
    const double edges[][3] = {{1.053, 0.585, 0.585}, {0.9477, 0.5265, 0.5265}, {0.85293, 0.47385, 0.47385}};
    for (int b = 0; b < 3; ++b) {
        expectAt(originOf(blocks[b].modelview), centres[b], "block " + std::to_string(b + 1));
        for (int axis = 0; axis < 3; ++axis) {
            EXPECT_NEAR(1.3 * axisScale(blocks[b].modelview, axis), edges[b][axis], 1e-5)
                << "block " << b + 1 << " axis " << axis;
        }
    }
}

TEST_F(Backpack, FittingsAreMirrorImagesOutAtTheDrumsEnds)
{
    const std::vector<Primitive> left = record([] { drawBackpackFitting(1); });
    const std::vector<Primitive> right = record([] { drawBackpackFitting(-1); });
    ASSERT_EQ(left.size(), 4u);
    ASSERT_EQ(right.size(), 4u);
    for (int i = 0; i < 4; ++i) expectMirrorImages(left[i], right[i], shapeName(left[i].shape));
    const Matrix& stub = left[0].modelview;
    expectAt(transformPoint(stub, {0.0, 0.0, 0.0}), {0.65, 0.0, 0.0}, "the stub's root");
    expectAt(transformPoint(stub, {0.0, 0.0, 0.325}), {0.975, 0.0, 0.0}, "the stub's end");
    expectAt(originOf(left[1].modelview), {1.04, 0.0, 0.0}, "the ball's centre");
    // The vent runs down and back from the ball's centre; its cap closes its end, facing out.
    const Point downAndBack = {0.0, -std::sqrt(0.5), -std::sqrt(0.5)};
    expectAt(transformDirection(left[2].modelview, {0.0, 0.0, 1.0}), downAndBack, "the vent's direction");
    expectAt(originOf(left[3].modelview), transformPoint(left[2].modelview, {0.0, 0.0, 0.39}), "the vent cap");
    expectAt(transformDirection(left[3].modelview, {0.0, 0.0, 1.0}), downAndBack, "the vent cap's facing");
}

class Head : public DesignerTest {};

TEST_F(Head, GrilleUnderTheFaceWithMirroredTubesRunningOutAndBack)
{
    const std::vector<Primitive> head = record(drawHead);
    const std::vector<Primitive> grille = ofShape(head, Shape::Cylinder, 0.125);
    ASSERT_EQ(grille.size(), 1u);
    const Point axis = transformDirection(grille[0].modelview, {0.0, 0.0, 1.0});
    EXPECT_NEAR(originOf(grille[0].modelview).x, 0.0, 1e-9);
    EXPECT_LT(originOf(grille[0].modelview).y, 0.55) << "the grille sits on the helmet's lower half";
    EXPECT_GT(axis.y, 2.0 * axis.z) << "the grille points up and a little forward";
    EXPECT_GT(axis.z, 0.0);
    const std::vector<Primitive> tubes = ofShape(head, Shape::Cylinder, 0.05);
    ASSERT_EQ(tubes.size(), 2u);
    expectMirrorImages(tubes[0], tubes[1], "the tubes");
    const Point out = transformDirection(tubes[0].modelview, {0.0, 0.0, 1.0});
    EXPECT_GT(out.x, 0.0);
    EXPECT_GT(out.y, 0.0);
    EXPECT_LT(out.z, 0.0);
}

TEST_F(Head, EyesAreMirroredLensesSunkIntoTheHelmetFront)
{
    const std::vector<Primitive> eyes = ofShape(record(drawHead), Shape::Sphere, 1.0);
    ASSERT_EQ(eyes.size(), 2u);
    expectMirrorImages(eyes[1], eyes[0], "the eyes, right drawn first");
    for (const Primitive& eye : eyes) {
        const Point centre = originOf(eye.modelview);
        EXPECT_NEAR(distance(centre, {0.0, 0.55, 0.0}), 0.48325, 1e-4) << "inside the helmet's 0.5";
        EXPECT_NEAR(std::fabs(centre.x), 0.175, 1e-6);
        EXPECT_NEAR(centre.z, 0.45, 1e-6);
        EXPECT_NEAR(2.0 * axisScale(eye.modelview, 0), 0.22, 1e-6) << "lens length";
        EXPECT_NEAR(2.0 * axisScale(eye.modelview, 1), 0.1, 1e-6) << "lens thickness";
    }
}

// Every surface by its shape and size, and the slot whose paint it wears.
struct Surface {
    const char* name;
    Shape shape;
    std::vector<double> arguments;
    PaintSlot slot;
    int count;
};

const std::vector<Surface> surfaces = {
    {"torso cap", Shape::Sphere, {1.0, 20, 20}, MainSlot, 1},
    {"torso shell", Shape::Cylinder, {1.0, 0.75, 1.5, 20, 20}, MainSlot, 1},
    {"drum", Shape::Cylinder, {0.39, 0.39, 1.3, 20, 20}, MainSlot, 1},
    {"drum end", Shape::Disk, {0.0, 0.39, 20, 20}, MainSlot, 2},
    {"block", Shape::Cube, {1.3}, MetalSlot, 3},
    {"fitting stub", Shape::Cylinder, {0.221, 0.221, 0.325, 10, 10}, MetalSlot, 2},
    {"fitting ball", Shape::Sphere, {0.325, 10, 10}, MainSlot, 2},
    {"vent", Shape::Cylinder, {0.195, 0.195, 0.39, 10, 10}, MainSlot, 2},
    {"vent cap", Shape::Disk, {0.0, 0.195, 10, 10}, MetalSlot, 2},
    {"helmet", Shape::Sphere, {0.5, 20, 20}, MainSlot, 1},
    {"grille base", Shape::Disk, {0.0, 0.125, 10, 10}, MetalSlot, 1},
    {"grille", Shape::Cylinder, {0.125, 0.1, 0.25, 10, 10}, MetalSlot, 1},
    {"grille top", Shape::Disk, {0.0, 0.1, 10, 10}, MetalSlot, 1},
    {"face tube", Shape::Cylinder, {0.05, 0.05, 0.3, 10, 10}, MetalSlot, 2},
    {"eye", Shape::Sphere, {1.0, 10, 10}, EyeSlot, 2},
};

const Surface* surfaceOf(const Primitive& p)
{
    for (const Surface& s : surfaces) {
        if (p.shape == s.shape && p.arguments == s.arguments) return &s;
    }
    return nullptr;
}

class UpperBodyPaint : public DesignerTest {};

TEST_F(UpperBodyPaint, EverySurfaceHasItsSizeAndCount)
{
    std::map<std::string, int> drawn;
    for (const Primitive& p : record(drawUpperBodyPieces)) {
        const Surface* s = surfaceOf(p);
        ASSERT_NE(s, nullptr) << "unexpected " << p;
        ++drawn[s->name];
    }
    for (const Surface& s : surfaces) EXPECT_EQ(drawn[s.name], s.count) << s.name;
}

// A new paint in one slot recolours exactly that slot's surfaces, and nothing else.
TEST_F(UpperBodyPaint, ANewMainMetalOrEyePaintRecoloursExactlyItsSurfaces)
{
    const std::vector<Primitive> before = record(drawUpperBodyPieces);
    const std::pair<PaintSlot, int*> slots[] = {
        {MainSlot, &mainPaint}, {MetalSlot, &metalPaint}, {EyeSlot, &eyePaint}};
    for (const auto& [slot, paint] : slots) {
        const int old = *paint;
        *paint = 10;
        const std::vector<Primitive> after = record(drawUpperBodyPieces);
        ASSERT_EQ(after.size(), before.size());
        for (std::size_t i = 0; i < after.size(); ++i) {
            const Surface* s = surfaceOf(after[i]);
            ASSERT_NE(s, nullptr) << "unexpected " << after[i];
            EXPECT_EQ(paletteIndexOf(after[i].material), s->slot == slot ? 10 : paletteIndexOf(before[i].material))
                << s->name << " with a new paint in slot " << slot;
        }
        *paint = old;
    }
}

}  // namespace
