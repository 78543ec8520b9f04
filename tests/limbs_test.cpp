// The arms and legs as the user sees them: where each piece lies in the figure's
// frame, which paint it shows, how the joints carry it, and the continuous redraw.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "render/frame.h"
#include "render/pieces.h"
#include "state/state.h"
#include "support/harness.h"

namespace {

constexpr double tolerance = 1e-4;

void zeroPose()
{
    for (auto& piece : jointAngles) {
        for (auto& side : piece) side = Vector3{};
    }
}

// Start-up shares one paint between slots; here every slot gets its own,
// so that a primitive's paint tells its slot.
void paintEachSlotDifferently()
{
    mainPaint = 1;
    trimPaint = 3;
    shoulderPaint = 6;
    metalPaint = 5;
    weaponPaint = 9;
    eyePaint = 10;
}

bool is(const Primitive& p, Shape shape, const std::vector<double>& arguments)
{
    return p.shape == shape && p.arguments == arguments;
}

// The primitives of one kind, left side (+x) first when there are two.
std::vector<Primitive> every(const std::vector<Primitive>& frame, Shape shape, const std::vector<double>& arguments)
{
    std::vector<Primitive> found;
    for (const Primitive& p : frame) {
        if (is(p, shape, arguments)) found.push_back(p);
    }
    std::sort(found.begin(), found.end(),
              [](const Primitive& a, const Primitive& b) { return originOf(a.modelview).x > originOf(b.modelview).x; });
    return found;
}

Point centreOf(const Primitive& p)
{
    return originOf(p.modelview);
}

// Where a local step from the primitive's origin reaches, as a step in the figure's frame.
Point reach(const Primitive& p, const Point& local)
{
    return transformDirection(p.modelview, local);
}

void expectNear(const Point& actual, const Point& expected, const std::string& what)
{
    EXPECT_LT(distance(actual, expected), tolerance) << what << " at " << actual << ", expected " << expected;
}

// Half the size of a scaled sphere or cube along each of the figure's axes.
Point halfExtents(const Primitive& p, double half)
{
    const auto along = [&](int row) {
        const Matrix& m = p.modelview;
        return half * std::sqrt(m.at(row, 0) * m.at(row, 0) + m.at(row, 1) * m.at(row, 1) + m.at(row, 2) * m.at(row, 2));
    };
    return {along(0), along(1), along(2)};
}

// Points on the ideal surface of a primitive, in the figure's frame: enough to tell
// where it lies, how big it is and which way it is turned.
std::vector<Point> outline(const Primitive& p)
{
    const auto& a = p.arguments;
    std::vector<Point> local;
    const auto ring = [&](double radius, double z) {
        for (Point q : {Point{radius, 0, z}, {-radius, 0, z}, {0, radius, z}, {0, -radius, z}}) local.push_back(q);
    };
    switch (p.shape) {
    case Shape::Sphere: ring(a[0], 0.0); local.push_back({0, 0, a[0]}); local.push_back({0, 0, -a[0]}); break;
    case Shape::Cube:
        for (int corner = 0; corner < 8; ++corner) {
            local.push_back({corner & 1 ? a[0] / 2 : -a[0] / 2, corner & 2 ? a[0] / 2 : -a[0] / 2,
                             corner & 4 ? a[0] / 2 : -a[0] / 2});
        }
        break;
    case Shape::Torus: ring(a[1] + a[0], 0.0); ring(a[1] - a[0], 0.0); ring(a[1], a[0]); ring(a[1], -a[0]); break;
    case Shape::Cylinder: ring(a[0], 0.0); ring(a[1], a[2]); break;
    case Shape::Disk: ring(a[1], 0.0); local.push_back({0, 0, 0}); break;
    case Shape::Polygon: local = p.vertices; break;
    }
    std::vector<Point> points;
    for (const Point& q : local) points.push_back(transformPoint(p.modelview, q));
    return points;
}

bool sameOutline(const std::vector<Point>& a, const std::vector<Point>& b)
{
    if (a.size() != b.size()) return false;
    for (const Point& p : a) {
        if (std::none_of(b.begin(), b.end(), [&](const Point& q) { return distance(p, q) < tolerance; })) return false;
    }
    return true;
}

// The hand is the wrist disk and the two finger blocks drawn right after it; the weapon
// is everything drawn after the hand up to the upper arm's tube.
struct ArmEnd {
    std::vector<Primitive> hand;
    std::vector<Primitive> weapon;
};

ArmEnd armEnd(const std::vector<Primitive>& frame, int side)
{
    ArmEnd end;
    for (std::size_t i = 0; i < frame.size(); ++i) {
        if (!is(frame[i], Shape::Disk, {0.0, 0.25, 30.0, 1.0}) || (centreOf(frame[i]).x > 0) != (side == LeftSide)) {
            continue;
        }
        end.hand.assign(frame.begin() + i, frame.begin() + std::min(i + 3, frame.size()));
        for (std::size_t j = i + 3; j < frame.size() && !is(frame[j], Shape::Cylinder, {0.25, 0.25, 1.0, 20.0, 1.0}); ++j) {
            end.weapon.push_back(frame[j]);
        }
    }
    return end;
}

// Where the hand's origin lies: the centre of its wrist disk.
Point handOrigin(const std::vector<Primitive>& frame, int side)
{
    const ArmEnd end = armEnd(frame, side);
    if (end.hand.empty()) {
        ADD_FAILURE() << "no hand on side " << side;
        return {};
    }
    return centreOf(end.hand[0]);
}

class Arms : public DesignerTest {};

TEST_F(Arms, HangStraightDownWithEveryAngleZero)
{
    zeroPose();
    paintEachSlotDifferently();
    const auto figure = recordFigure();
    const auto wrists = every(figure, Shape::Disk, {0.0, 0.25, 30.0, 1.0});
    const auto balls = every(figure, Shape::Sphere, {0.25, 20.0, 20.0});
    ASSERT_EQ(wrists.size(), 2u);
    for (int i = 0; i < 2; ++i) {
        const double x = i == 0 ? 1.0 : -1.0;
        expectNear(centreOf(wrists[i]), {x, -0.5, 0.0}, "hand origin");
        expectNear(reach(wrists[i], {0, 0, 1}), {0.0, -1.0, 0.0}, "wrist disk facing");
    }
    // The forearm has a metal ball in the elbow; the upper arm's top is hidden in the boss.
    std::vector<Point> elbows;
    for (const Primitive& ball : balls) {
        if (paletteIndexOf(ball.material) == metalPaint) elbows.push_back(centreOf(ball));
    }
    ASSERT_EQ(elbows.size(), 2u);
    expectNear(elbows[0], {1.0, 0.5, 0.0}, "left elbow ball");
    expectNear(elbows[1], {-1.0, 0.5, 0.0}, "right elbow ball");
}

TEST_F(Arms, ShoulderPadsLieOverTheShouldersMirroredBetweenTheSides)
{
    zeroPose();
    paintEachSlotDifferently();
    const auto figure = recordFigure();
    std::vector<Primitive> bosses;
    for (const Primitive& ball : every(figure, Shape::Sphere, {0.25, 20.0, 20.0})) {
        if (paletteIndexOf(ball.material) == shoulderPaint) bosses.push_back(ball);
    }
    const auto rims = every(figure, Shape::Torus, {0.04, 0.2, 20.0, 20.0});
    const auto uprights = every(figure, Shape::Torus, {0.04, 0.225, 20.0, 20.0});
    ASSERT_EQ(rims.size(), 2u);
    ASSERT_EQ(uprights.size(), 2u);
    ASSERT_EQ(bosses.size(), 2u);
    for (int i = 0; i < 2; ++i) {
        const double s = i == 0 ? 1.0 : -1.0;
        const std::string side = i == 0 ? "left " : "right ";
        // The boss leans toward the figure's middle and rises above the joint.
        const Primitive& boss = bosses[i];
        expectNear(centreOf(boss), {s * 0.95, 1.6, 0.0}, side + "boss");
        expectNear(halfExtents(boss, 0.25), {0.45, 0.5, 0.5}, side + "boss semi-axes");
        // The rim ring lies flat round the boss's lower part, an ellipse wider front to back.
        const Primitive& rim = rims[i];
        expectNear(centreOf(rim), {s * 1.0175, 1.4, 0.0}, side + "rim ring");
        EXPECT_NEAR(std::fabs(reach(rim, {0.2, 0, 0}).x), 0.36, tolerance) << side;
        EXPECT_NEAR(std::fabs(reach(rim, {0, 0.2, 0}).z), 0.4, tolerance) << side;
        EXPECT_NEAR(std::fabs(reach(rim, {0, 0, 0.04}).y), 0.08, tolerance) << side << "rim tube, vertically";
        // The upright ring stands on the boss's inner side, a circle across the figure's x axis.
        const Primitive& upright = uprights[i];
        expectNear(centreOf(upright), {s * 0.86, 1.675, 0.0}, side + "upright ring");
        EXPECT_NEAR(std::fabs(reach(upright, {0, 0, 1}).x), 1.8, tolerance) << side << "axis along x";
        EXPECT_NEAR(length(reach(upright, {0.225, 0, 0})), 0.45, tolerance) << side;
        EXPECT_NEAR(length(reach(upright, {0, 0.225, 0})), 0.45, tolerance) << side;
    }
}

// The long finger block lies toward the figure's outside, the short one toward its middle.
TEST_F(Arms, FingerBlocksHangBelowTheWristMirroredBetweenTheHands)
{
    zeroPose();
    const auto figure = recordFigure();
    for (int side : {LeftSide, RightSide}) {
        const double s = side == LeftSide ? 1.0 : -1.0;
        const auto hand = armEnd(figure, side).hand;
        ASSERT_EQ(hand.size(), 3u);
        ASSERT_TRUE(is(hand[1], Shape::Cube, {0.5}) && is(hand[2], Shape::Cube, {0.5}));
        expectNear(centreOf(hand[1]), {s * 1.0625, -0.675, 0.0}, "long block");
        expectNear(halfExtents(hand[1], 0.25), {0.0625, 0.175, 0.2}, "long block");
        expectNear(centreOf(hand[2]), {s * 0.9375, -0.7275, 0.0}, "short block");
        expectNear(halfExtents(hand[2], 0.25), {0.0625, 0.1225, 0.2}, "short block");
    }
}

class Legs : public DesignerTest {};

TEST_F(Legs, StandStraightDownToTheAnklesWithEveryAngleZero)
{
    zeroPose();
    paintEachSlotDifferently();
    const auto figure = recordFigure();
    const auto balls = every(figure, Shape::Sphere, {0.35, 20.0, 20.0});
    const auto thighs = every(figure, Shape::Cylinder, {0.35, 0.35, 1.25, 20.0, 20.0});
    const auto shins = every(figure, Shape::Cylinder, {0.35, 0.45, 1.25, 20.0, 20.0});
    const auto ankles = every(figure, Shape::Disk, {0.0, 0.45, 20.0, 2.0});
    const auto heels = every(figure, Shape::Sphere, {0.4, 10.0, 10.0});
    ASSERT_EQ(balls.size(), 4u);
    ASSERT_EQ(thighs.size(), 2u);
    ASSERT_EQ(shins.size(), 2u);
    ASSERT_EQ(ankles.size(), 2u);
    ASSERT_EQ(heels.size(), 2u);
    for (int i = 0; i < 2; ++i) {
        const double x = i == 0 ? 0.375 : -0.375;
        expectNear(transformPoint(thighs[i].modelview, {0, 0, 0}), {x, -0.375, 0.0}, "thigh top at the hip");
        expectNear(transformPoint(thighs[i].modelview, {0, 0, 1.25}), {x, -1.625, 0.0}, "thigh bottom at the knee");
        expectNear(transformPoint(shins[i].modelview, {0, 0, 1.25}), {x, -2.875, 0.0}, "shin bottom at the ankle");
        expectNear(centreOf(ankles[i]), {x, -2.875, 0.0}, "ankle disk");
        expectNear(reach(ankles[i], {0, 0, 1}), {0.0, -1.0, 0.0}, "ankle disk facing");
        expectNear(centreOf(heels[i]), {x, -2.875, 0.0}, "heel");
    }
    // Main-paint balls fill the hips, metal ones the knees.
    for (const Primitive& ball : balls) {
        const bool hip = paletteIndexOf(ball.material) == mainPaint;
        EXPECT_TRUE(hip || paletteIndexOf(ball.material) == metalPaint) << ball;
        EXPECT_NEAR(centreOf(ball).y, hip ? -0.375 : -1.625, tolerance) << ball;
    }
}

TEST_F(Legs, KneePadSitsInFrontOfTheKneeAndTheBootPointsForwardAndDown)
{
    zeroPose();
    const auto figure = recordFigure();
    const auto pads = every(figure, Shape::Sphere, {0.385, 20.0, 20.0});
    const auto toes = every(figure, Shape::Cylinder, {14.0 / 41.0, 0.3, 0.4, 10.0, 10.0});
    const auto caps = every(figure, Shape::Sphere, {0.3, 10.0, 10.0});
    ASSERT_EQ(pads.size(), 2u);
    ASSERT_EQ(toes.size(), 2u) << "the toe tube starts at the double closest to 14/41";
    ASSERT_EQ(caps.size(), 2u);
    // 0.8 along the foot and 0.021 below its axis, on a foot tipped 8 degrees down.
    const double tilt = 8.0 * M_PI / 180.0;
    const double capDrop = -0.021 * std::cos(tilt) - 0.8 * std::sin(tilt);
    const double capReach = -0.021 * std::sin(tilt) + 0.8 * std::cos(tilt);
    for (int i = 0; i < 2; ++i) {
        const double x = i == 0 ? 0.375 : -0.375;
        expectNear(centreOf(pads[i]), {x, -1.625, 0.175}, "knee pad");
        expectNear(halfExtents(pads[i], 0.385), {0.385, 0.385, 0.308}, "knee pad, flattened front to back");
        expectNear(centreOf(caps[i]), {x, -2.875 + capDrop, capReach}, "toe cap");
        // Every height in the toe is 0.665 of the tube's own.
        EXPECT_NEAR(length(reach(toes[i], {0, 14.0 / 41.0, 0})), 0.665 * 14.0 / 41.0, tolerance);
    }
}

class LimbPaints : public DesignerTest {};

TEST_F(LimbPaints, TrimColoursTheRingsAndKneePadsAndShoulderOnlyTheBosses)
{
    paintEachSlotDifferently();
    int rings = 0;
    int kneePads = 0;
    int bosses = 0;
    for (const Primitive& p : recordFigure()) {
        const int paint = paletteIndexOf(p.material);
        if (paint == trimPaint) {
            if (p.shape == Shape::Torus && p.arguments[0] == 0.04) ++rings;
            else if (is(p, Shape::Sphere, {0.385, 20.0, 20.0})) ++kneePads;
            else ADD_FAILURE() << "trim paint on " << p;
        }
        if (paint == shoulderPaint) {
            if (is(p, Shape::Sphere, {0.25, 20.0, 20.0}) && std::fabs(centreOf(p).y - 1.6) < tolerance) ++bosses;
            else ADD_FAILURE() << "shoulder paint on " << p;
        }
    }
    EXPECT_EQ(rings, 4);
    EXPECT_EQ(kneePads, 2);
    EXPECT_EQ(bosses, 2);
}

// The ankle disk has no paint of its own: in the figure it shows the main paint
// that the boot leaves current, and drawn alone it shows whatever is current.
TEST_F(LimbPaints, AnkleDiskShowsThePaintTheBootLeft)
{
    paintEachSlotDifferently();
    const auto ankles = every(recordFigure(), Shape::Disk, {0.0, 0.45, 20.0, 2.0});
    ASSERT_EQ(ankles.size(), 2u);
    for (const Primitive& ankle : ankles) EXPECT_EQ(paletteIndexOf(ankle.material), mainPaint);

    const auto shin = record([] {
        applyPaint(EyeSlot);
        drawLowerLeg();
    });
    ASSERT_FALSE(shin.empty());
    EXPECT_TRUE(is(shin[0], Shape::Disk, {0.0, 0.45, 20.0, 2.0}));
    EXPECT_EQ(paletteIndexOf(shin[0].material), eyePaint);
}

class Posing : public DesignerTest {};

std::vector<Primitive> padOf(const std::vector<Primitive>& figure, int side)
{
    std::vector<Primitive> pad;
    for (const Primitive& p : figure) {
        const bool onSide = (centreOf(p).x > 0) == (side == LeftSide);
        if (onSide && (p.shape == Shape::Torus && p.arguments[0] == 0.04)) pad.push_back(p);
        if (onSide && paletteIndexOf(p.material) == shoulderPaint && p.shape == Shape::Sphere) pad.push_back(p);
    }
    return pad;
}

// The upper arm's tube is the one whose top stays at the shoulder.
Primitive upperArmOf(const std::vector<Primitive>& figure, int side)
{
    const Point shoulder{side == LeftSide ? 1.0 : -1.0, 1.5, 0.0};
    for (const Primitive& p : every(figure, Shape::Cylinder, {0.25, 0.25, 1.0, 20.0, 1.0})) {
        if (distance(centreOf(p), shoulder) < tolerance) return p;
    }
    ADD_FAILURE() << "no upper arm at " << shoulder;
    return {};
}

TEST_F(Posing, UpperArmTwistAndSidewaysSwingLeaveItsPadWhereItWas)
{
    paintEachSlotDifferently();
    const auto before = recordFigure();
    for (int side : {LeftSide, RightSide}) {
        for (int axis : {1, 2}) {
            Vector3& angles = jointAngles[UpperArm][side];
            const Vector3 start = angles;
            (axis == 1 ? angles.y : angles.z) += 30.0f;
            const auto after = recordFigure();
            angles = start;
            const auto padBefore = padOf(before, side);
            const auto padAfter = padOf(after, side);
            ASSERT_EQ(padBefore.size(), 3u);
            ASSERT_EQ(padAfter.size(), 3u);
            for (int i = 0; i < 3; ++i) EXPECT_TRUE(nearlyEqual(padBefore[i].modelview, padAfter[i].modelview));
            EXPECT_GT(distance(handOrigin(before, side), handOrigin(after, side)), 0.1)
                << "the hand did not move, side " << side << " axis " << axis;
        }
    }
}

TEST_F(Posing, UpperArmForwardSwingTurnsPadAndArmTogether)
{
    paintEachSlotDifferently();
    const auto before = recordFigure();
    jointAngles[UpperArm][LeftSide].x = -40.0f;
    const auto after = recordFigure();
    const auto padBefore = padOf(before, LeftSide);
    const auto padAfter = padOf(after, LeftSide);
    ASSERT_EQ(padBefore.size(), 3u);
    ASSERT_EQ(padAfter.size(), 3u);
    const Matrix armBefore = affineInverse(upperArmOf(before, LeftSide).modelview);
    const Matrix armAfter = affineInverse(upperArmOf(after, LeftSide).modelview);
    for (int i = 0; i < 3; ++i) {
        EXPECT_GT(distance(centreOf(padBefore[i]), centreOf(padAfter[i])), 0.05) << padAfter[i];
        EXPECT_TRUE(nearlyEqual(armBefore * padBefore[i].modelview, armAfter * padAfter[i].modelview))
            << padAfter[i] << " did not turn with the upper arm";
    }
    // The arm's far end swings forward, the boss above the joint a little back.
    EXPECT_GT(handOrigin(after, LeftSide).z, handOrigin(before, LeftSide).z);
    EXPECT_LT(centreOf(padAfter.back()).z, 0.0);
}

// The hand and the weapon are both fixed to the forearm: however the elbow turns,
// they never move relative to each other.
TEST_F(Posing, ForearmCarriesHandAndWeaponTogether)
{
    const auto before = recordFigure();
    for (int side : {LeftSide, RightSide}) {
        jointAngles[Forearm][side] = {-40.0f, 25.0f, 15.0f};
    }
    const auto after = recordFigure();
    for (int side : {LeftSide, RightSide}) {
        const ArmEnd endBefore = armEnd(before, side);
        const ArmEnd endAfter = armEnd(after, side);
        ASSERT_EQ(endBefore.hand.size(), 3u);
        ASSERT_EQ(endAfter.hand.size(), 3u);
        ASSERT_FALSE(endAfter.weapon.empty()) << "side " << side << " holds a gun at start-up";
        ASSERT_EQ(endBefore.weapon.size(), endAfter.weapon.size());
        EXPECT_GT(distance(centreOf(endBefore.hand[0]), centreOf(endAfter.hand[0])), 0.5);
        const Matrix handBefore = affineInverse(endBefore.hand[0].modelview);
        const Matrix handAfter = affineInverse(endAfter.hand[0].modelview);
        for (std::size_t i = 0; i < endAfter.weapon.size(); ++i) {
            EXPECT_TRUE(nearlyEqual(handBefore * endBefore.weapon[i].modelview,
                                    handAfter * endAfter.weapon[i].modelview))
                << endAfter.weapon[i] << " moved against the hand, side " << side;
        }
    }
}

// Weapons are the same in either hand, so the check is made empty-handed.
TEST_F(Posing, InitialPoseIsMirrorSymmetric)
{
    weaponBySide[LeftSide] = NoWeapon;
    weaponBySide[RightSide] = NoWeapon;
    paintEachSlotDifferently();
    const auto figure = recordFigure();
    int limbs = 0;
    for (const Primitive& p : figure) {
        std::vector<Point> image;
        for (const Point& q : outline(p)) image.push_back({-q.x, q.y, q.z});
        const bool found = std::any_of(figure.begin(), figure.end(), [&](const Primitive& q) {
            return q.shape == p.shape && q.arguments == p.arguments &&
                   paletteIndexOf(q.material) == paletteIndexOf(p.material) && sameOutline(image, outline(q));
        });
        EXPECT_TRUE(found) << p << " has no mirror image";
        if (std::fabs(centreOf(p).x) > 0.3) ++limbs;
    }
    EXPECT_GT(limbs, 30) << "the limbs are missing";
}

class Redraw : public DesignerTest {};

TEST_F(Redraw, EveryFrameRequestsTheNextOncePerHand)
{
    for (int frame = 0; frame < 3; ++frame) {
        const long before = redisplayRequests();
        display();
        EXPECT_EQ(redisplayRequests() - before, 2) << "frame " << frame;
    }
}

// With no input at all, each pass of the event loop draws another frame.
TEST_F(Redraw, WindowKeepsRedrawingWithNoInput)
{
    ASSERT_EQ(idleEnabled, 0);
    display();
    const long before = redisplayRequests();
    constexpr int passes = 60;
    pumpEvents(passes);
    EXPECT_EQ(redisplayRequests() - before, 2 * passes) << "one frame, two hands, per pass";
}

}  // namespace
