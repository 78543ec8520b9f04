// The designer state: every value the user can change, one global instance,
// and the small types the rest of the designer shares.
#pragma once

#include <GL/glu.h>

struct Vector3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

Vector3 cross(const Vector3& a, const Vector3& b);

// The pieces the keyboard can pose; the values index jointAngles.
enum PieceId : int { Head = 0, Body = 1, Forearm = 2, UpperArm = 3, UpperLeg = 4, LowerLeg = 5, Foot = 6 };
constexpr int pieceCount = 7;

// The figure's right side is drawn at negative x, its left side at positive x.
enum Side : int { RightSide = 0, LeftSide = 1 };
constexpr int sideCount = 2;

enum WeaponKind : int { NoWeapon = 0, Bolter = 1, BoltPistol = 2, KnifeUp = 3, KnifeDown = 4 };

enum PaintSlot : int { MainSlot, TrimSlot, ShoulderSlot, MetalSlot, WeaponSlot, EyeSlot };

constexpr int axisCount = 2;  // the idle animation swings x (0) and y (1)

constexpr int initialWindowSize = 700;  // pixels, both ways

// Paint index (into paints) of each paint slot.
extern int mainPaint;
extern int trimPaint;
extern int shoulderPaint;
extern int metalPaint;
extern int weaponPaint;
extern int eyePaint;

extern int weaponBySide[sideCount];  // a WeaponKind for each hand, indexed by Side

extern int selectedPiece;  // the PieceId the keyboard poses
extern int selectedSide;   // and its Side

extern Vector3 jointAngles[pieceCount][sideCount];  // degrees
extern int motionState[pieceCount][sideCount][axisCount];    // 0 still, 1 positive swing, 2 negative swing
extern float motionPhase[pieceCount][sideCount][axisCount];  // radians
extern int idleEnabled;

extern float customRed;
extern float customGreen;
extern float customBlue;

extern int lastMouseX;
extern int lastMouseY;
extern float cameraYaw;    // radians
extern float cameraPitch;  // radians
constexpr double cameraStartYaw = 1.5705;  // the yaw at start-up, with the eye on the +z axis
constexpr double orbitRadius = 6.0;        // the eye's distance from the figure's origin
extern Vector3 cameraEye;
extern Vector3 cameraUp;
extern float fieldOfView;  // degrees, vertical

extern int windowWidth;
extern int windowHeight;

extern GLUquadric* quadric;  // the one quadric that draws every cylinder and disk

// Gives every variable above, except the quadric, its start-up value.
void assignInitialState();
