#include <GL/freeglut.h>

#include "render/paint.h"
#include "render/pieces.h"
#include "state/state.h"

namespace {

constexpr float weaponLift = 0.2f;  // every weapon sits this far toward the weapon's top
constexpr float gunRear = 1.6f;     // elbow to the gun's own origin, 0.6 past the hand
constexpr float knifeReach = 1.1f;  // elbow to the guard's centre, 0.1 past the hand

// One face of the knife's blade: its normal, then its corners in drawing order.
struct BladeFace {
    Vector3 normal;
    int cornerCount;
    Vector3 corners[4];
};

// The blade stands on the guard's middle plane: flats at x = +-0.05, back at z = -0.1,
// the cutting edge at z = 0.2, narrowing above y = 1 to its point at y = 1.3.
// Each slanted normal is the cross product of two of its face's edges, taken outward.
const BladeFace bladeFaces[] = {
    // back
    {{0.0f, 0.0f, -1.0f}, 4,
     {{-0.05f, 0.0f, -0.1f}, {-0.05f, 1.0f, -0.1f}, {0.05f, 1.0f, -0.1f}, {0.05f, 0.0f, -0.1f}}},
    // back of the point
    {{0.0f, 0.0f, -1.0f}, 3, {{0.0f, 1.3f, -0.1f}, {-0.05f, 1.0f, -0.1f}, {0.05f, 1.0f, -0.1f}}},
    // left flat
    {{-1.0f, 0.0f, 0.0f}, 4,
     {{-0.05f, 0.0f, -0.1f}, {-0.05f, 0.0f, 0.1f}, {-0.05f, 1.0f, 0.1f}, {-0.05f, 1.0f, -0.1f}}},
    // right flat
    {{1.0f, 0.0f, 0.0f}, 4,
     {{0.05f, 0.0f, -0.1f}, {0.05f, 0.0f, 0.1f}, {0.05f, 1.0f, 0.1f}, {0.05f, 1.0f, -0.1f}}},
    // left flank of the point: down from the point to the shoulder, then across the blade
    {cross({-0.05f, -0.3f, 0.0f}, {0.0f, 0.0f, 1.0f}), 4,
     {{0.0f, 1.3f, -0.1f}, {0.0f, 1.3f, 0.1f}, {-0.05f, 1.0f, 0.1f}, {-0.05f, 1.0f, -0.1f}}},
    // right flank of the point
    {cross({0.0f, 0.0f, 1.0f}, {0.05f, -0.3f, 0.0f}), 4,
     {{0.0f, 1.3f, -0.1f}, {0.0f, 1.3f, 0.1f}, {0.05f, 1.0f, 0.1f}, {0.05f, 1.0f, -0.1f}}},
    // left bevel of the edge: down the blade, then from the flat out to the ridge
    {cross({0.0f, -1.0f, 0.0f}, {0.05f, 0.0f, 0.1f}), 4,
     {{-0.05f, 0.0f, 0.1f}, {0.0f, 0.0f, 0.2f}, {0.0f, 1.0f, 0.2f}, {-0.05f, 1.0f, 0.1f}}},
    // right bevel of the edge
    {cross({-0.05f, 0.0f, 0.1f}, {0.0f, -1.0f, 0.0f}), 4,
     {{0.05f, 0.0f, 0.1f}, {0.0f, 0.0f, 0.2f}, {0.0f, 1.0f, 0.2f}, {0.05f, 1.0f, 0.1f}}},
    // left bevel of the point: out to the ridge, then from the shoulder up to the point
    {cross({0.05f, 0.0f, 0.1f}, {0.05f, 0.3f, 0.0f}), 3,
     {{-0.05f, 1.0f, 0.1f}, {0.0f, 1.0f, 0.2f}, {0.0f, 1.3f, 0.1f}}},
    // right bevel of the point
    {cross({-0.05f, 0.3f, 0.0f}, {-0.05f, 0.0f, 0.1f}), 3,
     {{0.05f, 1.0f, 0.1f}, {0.0f, 1.0f, 0.2f}, {0.0f, 1.3f, 0.1f}}},
};

// The long box on the weapon's top side.
void drawGunBody()
{
    glPushMatrix();
    {
        glScalef(0.25f, 0.65f, 2.0f);
        glTranslatef(0.0f, 0.5f, 0.0f);
        applyPaint(WeaponSlot);
        glutSolidCube(1.0);
    }
    glPopMatrix();
}

// The grip hangs below the body, leaning back as it rises, with the butt plate at its foot.
void drawGunGrip(Vector3 offset, Vector3 size)
{
    glPushMatrix();
    {
        applyPaint(MetalSlot);
        glTranslatef(offset.x, offset.y, offset.z);
        glRotatef(-10.0f, 1.0f, 0.0f, 0.0f);
        glScalef(size.x, size.y, size.z);
        glPushMatrix();
        {
            glScalef(1.1f, 0.1f, 1.2f);
            glTranslatef(0.0f, -0.5f, 0.0f);
            glutSolidCube(1.0);
        }
        glPopMatrix();
        glTranslatef(0.0f, 0.5f, 0.0f);
        glutSolidCube(1.0);
    }
    glPopMatrix();
}

// The front block above a short barrel, which starts at the body's front face
// and is capped only at its far end.
void drawGunMuzzle()
{
    glPushMatrix();
    {
        applyPaint(MetalSlot);
        glTranslatef(0.0f, 0.0f, 1.0f);
        glPushMatrix();
        {
            glScalef(0.175f, 0.05f, 0.1625f);
            glTranslatef(0.0f, 2.6f, 0.5f);
            glutSolidCube(1.0);
        }
        glPopMatrix();
        glPushMatrix();
        {
            glScalef(0.1f, 0.1f, 0.125f);
            glTranslatef(0.0f, 2.275f, 0.0f);
            gluCylinder(quadric, 1.0, 1.0, 1.0, 20, 1);
            glTranslatef(0.0f, 0.0f, 1.0f);
            gluDisk(quadric, 0.0, 1.0, 30, 1);
        }
        glPopMatrix();
    }
    glPopMatrix();
}

// Both guns are built alike; only the grip's placement and length tell them apart here.
void drawGun(Vector3 gripOffset, Vector3 gripSize)
{
    drawGunBody();
    drawGunGrip(gripOffset, gripSize);
    drawGunMuzzle();
}

void drawKnifeGuard()
{
    applyMaterial(paints[brassPaint]);
    glPushMatrix();
    {
        glScalef(0.2f, 0.05f, 0.5f);
        glutSolidCube(1.0);
    }
    glPopMatrix();
}

// The blade's base is left open inside the guard.
void drawBlade()
{
    applyPaint(MetalSlot);
    for (const BladeFace& face : bladeFaces) {
        glBegin(GL_POLYGON);
        glNormal3f(face.normal.x, face.normal.y, face.normal.z);
        for (int i = 0; i < face.cornerCount; ++i) {
            glVertex3f(face.corners[i].x, face.corners[i].y, face.corners[i].z);
        }
        glEnd();
    }
}

}  // namespace

// A knife facing down is the knife facing up turned half round the forearm, lift included.
void drawWeapon(int kind)
{
    glPushMatrix();
    {
        if (kind == KnifeDown) glRotatef(180.0f, 0.0f, 0.0f, 1.0f);
        glTranslatef(0.0f, weaponLift, 0.0f);
        switch (kind) {
        case Bolter: drawBolter(); break;
        case BoltPistol: drawBoltPistol(); break;
        case KnifeUp:
        case KnifeDown: drawKnife(); break;
        }
    }
    glPopMatrix();
}

void drawBolter()
{
    glPushMatrix();
    {
        glTranslatef(0.0f, 0.0f, gunRear);
        drawGun({0.0f, -0.585f, 0.16f}, {0.2f, 0.845f, 0.5f});
    }
    glPopMatrix();
}

// The bolter's steps under a squat scale, shifted back. The scale is not uniform and
// encloses the grip's turn, so the grip is slanted and the barrel's section elliptical.
void drawBoltPistol()
{
    glPushMatrix();
    {
        glTranslatef(0.0f, 0.0f, gunRear);
        glScalef(0.8f, 0.7f, 0.55f);
        glTranslatef(0.0f, 0.0f, -0.4f);
        drawGun({0.0f, -0.52f, 0.4f}, {0.2f, 0.65f, 0.5f});
    }
    glPopMatrix();
}

// Called only inside drawWeapon's bracket, which undoes this translation.
void drawKnife()
{
    glTranslatef(0.0f, 0.0f, knifeReach);
    drawKnifeGuard();
    drawBlade();
}
