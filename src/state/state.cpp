#include "state/state.h"

Vector3 cross(const Vector3& a, const Vector3& b)
{
    return Vector3{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

// Zero until start-up assigns the initial values.
int mainPaint;
int trimPaint;
int shoulderPaint;
int metalPaint;
int weaponPaint;
int eyePaint;
int weaponBySide[sideCount];
int selectedPiece;
int selectedSide;
Vector3 jointAngles[pieceCount][sideCount];
int motionState[pieceCount][sideCount][axisCount];
float motionPhase[pieceCount][sideCount][axisCount];
int idleEnabled;
float customRed;
float customGreen;
float customBlue;
int lastMouseX;
int lastMouseY;
float cameraYaw;
float cameraPitch;
Vector3 cameraEye;
Vector3 cameraUp;
float fieldOfView;
int windowWidth;
int windowHeight;
GLUquadric* quadric;

namespace {

// The pose the figure starts in, degrees. Left and right differ only in the sign of z.
void assignInitialPose()
{
    for (int side = RightSide; side <= LeftSide; ++side) {
        const float outward = side == LeftSide ? 1.0f : -1.0f;
        jointAngles[Head][side] = {0.0f, 0.0f, 0.0f};
        jointAngles[Forearm][side] = {-95.0f, 0.0f, 0.0f};
        jointAngles[UpperArm][side] = {0.0f, 0.0f, 10.0f * outward};
        jointAngles[UpperLeg][side] = {-5.0f, 0.0f, 5.0f * outward};
        jointAngles[LowerLeg][side] = {15.0f, 0.0f, 0.0f};
        jointAngles[Foot][side] = {-15.0f, 0.0f, 0.0f};
    }
}

}  // namespace

void assignInitialState()
{
    windowWidth = initialWindowSize;
    windowHeight = initialWindowSize;
    fieldOfView = 80.0f;
    idleEnabled = 0;
    customBlue = 0.0f;
    customGreen = 0.0f;
    customRed = 0.0f;
    selectedPiece = UpperArm;
    selectedSide = LeftSide;
    mainPaint = 2;
    trimPaint = 3;
    shoulderPaint = 2;
    metalPaint = 5;
    weaponPaint = 1;
    eyePaint = 1;
    weaponBySide[RightSide] = Bolter;
    weaponBySide[LeftSide] = BoltPistol;
    assignInitialPose();
    cameraEye = {0.0f, 0.0f, static_cast<float>(orbitRadius)};
    cameraUp = {0.0f, 1.0f, 0.0f};
    cameraPitch = 0.0f;
    cameraYaw = static_cast<float>(cameraStartYaw);
}
