// The figure's skeleton: where the pivots lie, what each joint turns, and the
// matrix discipline of every drawer, read back from real frames on real Mesa.
#include <functional>
#include <string>
#include <utility>

#include "render/figure.h"
#include "render/pieces.h"
#include "state/state.h"
#include "support/harness.h"

namespace {

void zeroPose()
{
    for (auto& piece : jointAngles) {
        for (auto& side : piece) side = Vector3{};
    }
}

// The one primitive of this shape and size in the frame.
Primitive only(const std::vector<Primitive>& frame, Shape shape, const std::vector<double>& arguments)
{
    std::vector<Primitive> found;
    for (const Primitive& p : frame) {
        if (p.shape == shape && p.arguments == arguments) found.push_back(p);
    }
    EXPECT_EQ(found.size(), 1u) << shapeName(shape) << " drawn " << found.size() << " times";
    return found.empty() ? Primitive{shape, arguments, Matrix{}, Material{}, {}, {}, {}} : found.front();
}

void expectAt(const Point& actual, const Point& expected, const std::string& what)
{
    EXPECT_LT(distance(actual, expected), 1e-5) << what << " lies at " << actual << ", not " << expected;
}

Point along(const Primitive& p, Point local)
{
    return transformPoint(p.modelview, local);
}

Point direction(const Primitive& p, Point local)
{
    return transformDirection(p.modelview, local);
}

// The rigid motion that carries a primitive from one frame's place to another's.
Matrix motionOf(const Primitive& before, const Primitive& after)
{
    return after.modelview * affineInverse(before.modelview);
}

bool isLeg(const Primitive& p)
{
    return originOf(p.modelview).y < -0.3;  // the hips lie at y = -0.375
}

const std::vector<double> waistRing = {0.3, 0.525, 20, 20};
const std::vector<double> waistBall = {0.75, 20, 20};
const std::vector<double> neckTube = {0.25, 0.2, 0.25, 20, 20};
const std::vector<double> helmet = {0.5, 20, 20};

class Skeleton : public DesignerTest {
protected:
    void SetUp() override
    {
        DesignerTest::SetUp();
        zeroPose();
    }
};

TEST_F(Skeleton, WaistRingAndBallLieFlattenedAroundTheWaistPivot)
{
    const std::vector<Primitive> frame = recordFigure();
    for (const Primitive& p : {only(frame, Shape::Torus, waistRing), only(frame, Shape::Sphere, waistBall)}) {
        expectAt(originOf(p.modelview), {0.0, 0.0, 0.0}, shapeName(p.shape));
        // The ring's axis stands upright; ring and ball are 0.7 high and deep, full width across.
        expectAt(direction(p, {0.0, 0.0, 1.0}), {0.0, -0.7, 0.0}, "the ring's axis");
        expectAt(direction(p, {1.0, 0.0, 0.0}), {1.0, 0.0, 0.0}, "the ring's x");
        expectAt(direction(p, {0.0, 1.0, 0.0}), {0.0, 0.0, 0.7}, "the ring's y");
        EXPECT_EQ(paletteIndexOf(p.material), mainPaint);
    }
}

TEST_F(Skeleton, NeckTubeStandsOnTheNeckPivotWithTheHeadBallAbove)
{
    const std::vector<Primitive> frame = recordFigure();
    const Primitive tube = only(frame, Shape::Cylinder, neckTube);
    expectAt(along(tube, {0.0, 0.0, 0.0}), {0.0, 1.9, 0.0}, "the neck tube's foot");
    expectAt(along(tube, {0.0, 0.0, 0.25}), {0.0, 2.15, 0.0}, "the neck tube's top");
    EXPECT_EQ(paletteIndexOf(tube.material), metalPaint);
    const Primitive ball = only(frame, Shape::Sphere, helmet);
    expectAt(originOf(ball.modelview), {0.0, 2.45, 0.0}, "the head ball's centre");
    EXPECT_NEAR(0.5 * axisScale(ball.modelview, 0), 0.45, 1e-6) << "the head is narrowed to 0.9 across";
    EXPECT_NEAR(0.5 * axisScale(ball.modelview, 1), 0.5, 1e-6);
    EXPECT_NEAR(0.5 * axisScale(ball.modelview, 2), 0.5, 1e-6);
}

// The wrist disk closes the arm at the hand's origin.
TEST_F(Skeleton, ArmsHangStraightDownToTheHands)
{
    std::vector<Point> hands;
    for (const Primitive& p : recordFigure()) {
        if (p.shape == Shape::Disk && p.arguments[1] == 0.25) hands.push_back(originOf(p.modelview));
    }
    ASSERT_EQ(hands.size(), 2u);
    expectAt(hands[0], {1.0, -0.5, 0.0}, "the left hand");
    expectAt(hands[1], {-1.0, -0.5, 0.0}, "the right hand");
}

TEST_F(Skeleton, TorsoHangsFromTheShoulderLineWithTheBackpackBehindIt)
{
    const std::vector<Primitive> frame = recordFigure();
    const Primitive shell = only(frame, Shape::Cylinder, {1.0, 0.75, 1.5, 20, 20});
    expectAt(along(shell, {0.0, 0.0, 0.0}), {0.0, 1.5, 0.0}, "the shell's top");
    expectAt(along(shell, {0.0, 0.0, 1.5}), {0.0, 0.0, 0.0}, "the shell's bottom");
    const Primitive drum = only(frame, Shape::Cylinder, {0.39, 0.39, 1.3, 20, 20});
    expectAt(along(drum, {0.0, 0.0, 0.65}), {0.0, 2.1, -0.8}, "the drum's middle");
}

class Joints : public DesignerTest {};

// Pairs two frames' primitives in drawing order; both frames draw the same pieces.
std::vector<std::pair<Primitive, Primitive>> paired(const std::vector<Primitive>& before,
                                                    const std::vector<Primitive>& after)
{
    EXPECT_EQ(before.size(), after.size());
    std::vector<std::pair<Primitive, Primitive>> pairs;
    for (std::size_t i = 0; i < before.size() && i < after.size(); ++i) pairs.emplace_back(before[i], after[i]);
    return pairs;
}

TEST_F(Joints, TurningTheBodyTurnsEverythingAboveTheHipsAboutTheWaist)
{
    // Arms held straight out in front keep everything they carry well above the hips.
    jointAngles[UpperArm][RightSide] = jointAngles[UpperArm][LeftSide] = {-90.0f, 0.0f, 0.0f};
    jointAngles[Forearm][RightSide] = jointAngles[Forearm][LeftSide] = {};
    const std::vector<Primitive> still = recordFigure();
    for (const Vector3 angles : {Vector3{0.0f, 90.0f, 0.0f}, Vector3{25.0f, -40.0f, 15.0f}}) {
        jointAngles[Body][RightSide] = angles;
        const std::vector<Primitive> turned = recordFigure();
        const Matrix bodyTurn =
            motionOf(only(still, Shape::Torus, waistRing), only(turned, Shape::Torus, waistRing));
        expectAt(transformPoint(bodyTurn, {0.0, 0.0, 0.0}), {0.0, 0.0, 0.0}, "the waist pivot");
        EXPECT_FALSE(nearlyEqual(bodyTurn, Matrix::identity()));
        for (const auto& [before, after] : paired(still, turned)) {
            const Matrix expected = isLeg(before) ? before.modelview : bodyTurn * before.modelview;
            EXPECT_TRUE(nearlyEqual(after.modelview, expected, 1e-5))
                << before << (isLeg(before) ? " moved with the body" : " did not turn with the body");
        }
    }
    // A quarter turn to the figure's left brings the backpack round to its right side.
    jointAngles[Body][RightSide] = {0.0f, 90.0f, 0.0f};
    const Primitive drum = only(recordFigure(), Shape::Cylinder, {0.39, 0.39, 1.3, 20, 20});
    expectAt(along(drum, {0.0, 0.0, 0.65}), {-0.8, 2.1, 0.0}, "the turned drum's middle");
}

// Turns one joint of the still figure and returns how many primitives moved; whatever
// moves must move as one rigid body about the pivot, and everything else stay put.
int expectTurnsAbout(int piece, int side, Vector3 angles, Point pivot, const std::string& joint)
{
    const std::vector<Primitive> still = recordFigure();
    jointAngles[piece][side] = angles;
    const std::vector<Primitive> turned = recordFigure();
    jointAngles[piece][side] = {};
    Matrix turn = Matrix::identity();
    int moved = 0;
    for (const auto& [before, after] : paired(still, turned)) {
        if (nearlyEqual(after.modelview, before.modelview, 1e-6)) continue;
        if (moved++ == 0) turn = motionOf(before, after);
        EXPECT_TRUE(nearlyEqual(after.modelview, turn * before.modelview, 1e-5))
            << joint << " tore off " << before;
    }
    EXPECT_GT(moved, 0) << joint << " turns nothing";
    expectAt(transformPoint(turn, pivot), pivot, "the pivot of the " + joint);
    return moved;
}

// The neck tube, the helmet, the grille's three parts, two face tubes and two eyes.
TEST_F(Joints, TurningTheNeckTurnsOnlyTheNeckTubeAndTheHeadAboutTheNeckPivot)
{
    EXPECT_EQ(expectTurnsAbout(Head, RightSide, {20.0f, 35.0f, -10.0f}, {0.0, 1.9, 0.0}, "neck"), 9);
}

// With every angle zero, each limb joint turns what hangs from it about the tabled pivot.
// A pure x swing of the upper arm carries its shoulder pad along about the same pivot.
TEST_F(Joints, LimbJointsTurnAboutTheirPivots)
{
    zeroPose();
    const Vector3 swing = {25.0f, 30.0f, -20.0f};
    for (int side : {RightSide, LeftSide}) {
        const double x = side == LeftSide ? 1.0 : -1.0;
        const std::string name = side == LeftSide ? "left " : "right ";
        expectTurnsAbout(UpperArm, side, {-40.0f, 0.0f, 0.0f}, {x, 1.5, 0.0}, name + "shoulder");
        expectTurnsAbout(Forearm, side, swing, {x, 0.5, 0.0}, name + "elbow");
        expectTurnsAbout(UpperLeg, side, swing, {0.375 * x, -0.375, 0.0}, name + "hip");
        expectTurnsAbout(LowerLeg, side, swing, {0.375 * x, -1.625, 0.0}, name + "knee");
        expectTurnsAbout(Foot, side, swing, {0.375 * x, -2.875, 0.0}, name + "ankle");
    }
}

TEST_F(Joints, SideOneEntriesOfHeadAndBodyChangeNothing)
{
    const std::vector<Primitive> before = recordFigure();
    jointAngles[Head][LeftSide] = {30.0f, 45.0f, 60.0f};
    jointAngles[Body][LeftSide] = {-50.0f, 120.0f, 15.0f};
    for (const auto& [b, a] : paired(before, recordFigure())) {
        EXPECT_TRUE(nearlyEqual(a.modelview, b.modelview, 1e-9)) << b;
    }
}

class Discipline : public DesignerTest {};

// Whatever the pose and whatever matrix a drawer starts from, it leaves it as it found it.
TEST_F(Discipline, EveryDrawerLeavesTheModelviewAsItFoundIt)
{
    for (auto& piece : jointAngles) {
        for (auto& side : piece) side = {-35.0f, 70.0f, 20.0f};
    }
    const std::vector<std::pair<std::string, std::function<void()>>> drawers = {
        {"drawFigure", drawFigure},
        {"drawArm(right)", [] { drawArm(RightSide); }},
        {"drawArm(left)", [] { drawArm(LeftSide); }},
        {"drawTorso", drawTorso},
        {"drawBackpack", drawBackpack},
        {"drawBackpackFitting(+1)", [] { drawBackpackFitting(1); }},
        {"drawBackpackFitting(-1)", [] { drawBackpackFitting(-1); }},
        {"drawHead", drawHead},
        {"drawEye(-1)", [] { drawEye(-1); }},
        {"drawEye(+1)", [] { drawEye(1); }},
    };
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glTranslatef(0.3f, -1.2f, -6.0f);
    glRotatef(33.0f, 0.2f, 1.0f, 0.4f);
    glScalef(1.5f, 0.8f, 1.1f);
    for (const auto& [name, draw] : drawers) {
        const MatrixState before = matrixState();
        draw();
        EXPECT_TRUE(matrixState() == before) << name;
        EXPECT_TRUE(glErrors().empty()) << name;
    }
    glPopMatrix();
}

}  // namespace
