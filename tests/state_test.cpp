// The designer state before start-up and the values start-up gives it.
#include <gtest/gtest.h>

#include "state/state.h"

namespace {

void expectVector(const Vector3& v, float x, float y, float z)
{
    EXPECT_FLOAT_EQ(v.x, x);
    EXPECT_FLOAT_EQ(v.y, y);
    EXPECT_FLOAT_EQ(v.z, z);
}

// Runs first in this process: nothing has assigned the state yet.
TEST(DesignerStateBeforeStartUp, EveryValueIsZero)
{
    EXPECT_EQ(mainPaint + trimPaint + shoulderPaint + metalPaint + weaponPaint + eyePaint, 0);
    EXPECT_EQ(weaponBySide[RightSide], 0);
    EXPECT_EQ(weaponBySide[LeftSide], 0);
    EXPECT_EQ(selectedPiece, 0);
    EXPECT_EQ(selectedSide, 0);
    EXPECT_EQ(idleEnabled, 0);
    EXPECT_EQ(windowWidth, 0);
    EXPECT_EQ(windowHeight, 0);
    EXPECT_EQ(fieldOfView, 0.0f);
    EXPECT_EQ(cameraYaw, 0.0f);
    EXPECT_EQ(quadric, nullptr);
    for (const auto& piece : jointAngles) {
        for (const Vector3& angles : piece) expectVector(angles, 0, 0, 0);
    }
    expectVector(cameraEye, 0, 0, 0);
    expectVector(cameraUp, 0, 0, 0);
}

TEST(DesignerStateAtStartUp, PaintsWeaponsSelectionAndCamera)
{
    assignInitialState();
    EXPECT_EQ(mainPaint, 2);
    EXPECT_EQ(trimPaint, 3);
    EXPECT_EQ(shoulderPaint, 2);
    EXPECT_EQ(metalPaint, 5);
    EXPECT_EQ(weaponPaint, 1);
    EXPECT_EQ(eyePaint, 1);
    EXPECT_EQ(weaponBySide[RightSide], Bolter);
    EXPECT_EQ(weaponBySide[LeftSide], BoltPistol);
    EXPECT_EQ(selectedPiece, UpperArm);
    EXPECT_EQ(selectedSide, LeftSide);
    EXPECT_EQ(idleEnabled, 0);
    EXPECT_EQ(customRed + customGreen + customBlue, 0.0f);
    EXPECT_EQ(windowWidth, 700);
    EXPECT_EQ(windowHeight, 700);
    EXPECT_EQ(fieldOfView, 80.0f);
    EXPECT_EQ(cameraYaw, 1.5705f);
    EXPECT_EQ(cameraPitch, 0.0f);
    expectVector(cameraEye, 0, 0, 6);
    expectVector(cameraUp, 0, 1, 0);
}

TEST(DesignerStateAtStartUp, PoseIsMirrorSymmetricWithForearmsRaised)
{
    assignInitialState();
    expectVector(jointAngles[Forearm][RightSide], -95, 0, 0);
    expectVector(jointAngles[UpperArm][RightSide], 0, 0, -10);
    expectVector(jointAngles[UpperLeg][RightSide], -5, 0, -5);
    expectVector(jointAngles[LowerLeg][RightSide], 15, 0, 0);
    expectVector(jointAngles[Foot][RightSide], -15, 0, 0);
    for (int piece = Head; piece <= Foot; ++piece) {
        const Vector3& right = jointAngles[piece][RightSide];
        const Vector3& left = jointAngles[piece][LeftSide];
        EXPECT_EQ(left.x, right.x) << "piece " << piece;
        EXPECT_EQ(left.y, right.y) << "piece " << piece;
        EXPECT_EQ(left.z, -right.z) << "piece " << piece;
    }
    expectVector(jointAngles[Body][RightSide], 0, 0, 0);
    expectVector(jointAngles[Head][LeftSide], 0, 0, 0);
}

TEST(Vector3, CrossProductFollowsTheRightHandRule)
{
    expectVector(Vector3{}, 0, 0, 0);
    expectVector(cross({1, 0, 0}, {0, 1, 0}), 0, 0, 1);
    expectVector(cross({0, 1, 0}, {1, 0, 0}), 0, 0, -1);
    // A slanted face normal of the knife's point, as the knife drawer computes it.
    const Vector3 flank = cross({-0.05f, -0.3f, 0.0f}, {0.0f, 0.0f, 1.0f});
    EXPECT_NEAR(flank.x, -0.3f, 1e-7);
    EXPECT_NEAR(flank.y, 0.05f, 1e-7);
    EXPECT_NEAR(flank.z, 0.0f, 1e-7);
}

}  // namespace
