#include "render/figure.h"

#include <GL/freeglut.h>

#include "render/paint.h"
#include "render/pieces.h"
#include "state/state.h"

namespace {

constexpr float shoulderHeight = 1.5f;  // waist pivot to the shoulder line
constexpr float shoulderOffset = 1.0f;  // torso centre to each shoulder
constexpr float neckHeight = 0.4f;      // shoulder line to the neck pivot
constexpr float hipDrop = 0.375f;       // waist pivot to the hip line
constexpr float hipOffset = 0.375f;     // figure centre to each hip
constexpr float legSegment = 1.25f;     // hip to knee, knee to ankle
constexpr float armSegment = 1.0f;      // shoulder to elbow, elbow to wrist

int sideSign(int side)
{
    return side == LeftSide ? 1 : -1;
}

void drawWaist()
{
    glPushMatrix();
    {
        glScalef(1.0f, 0.7f, 0.7f);
        glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
        applyPaint(MainSlot);
        glutSolidTorus(0.3, 0.525, 20, 20);
        glutSolidSphere(0.75, 20, 20);
    }
    glPopMatrix();
}

void drawNeckAndHead()
{
    glPushMatrix();
    {
        glTranslatef(0.0f, neckHeight, 0.0f);
        rotateJoint(Head, RightSide);
        glPushMatrix();
        {
            glRotatef(-90.0f, 1.0f, 0.0f, 0.0f);
            applyPaint(MetalSlot);
            gluCylinder(quadric, 0.25, 0.2, 0.25, 20, 20);
        }
        glPopMatrix();
        glScalef(0.9f, 1.0f, 1.0f);
        drawHead();
    }
    glPopMatrix();
}

// The pad follows only the upper arm's forward and backward swing.
void drawShoulderAndArm(int side)
{
    glPushMatrix();
    {
        glTranslatef(sideSign(side) * shoulderOffset, 0.0f, 0.0f);
        glPushMatrix();
        {
            glRotatef(jointAngles[UpperArm][side].x, 1.0f, 0.0f, 0.0f);
            drawShoulderPad(sideSign(side));
        }
        glPopMatrix();
        drawArm(side);
    }
    glPopMatrix();
}

// Everything above the waist turns with the body joint.
void drawUpperBody()
{
    glPushMatrix();
    {
        rotateJoint(Body, RightSide);
        drawWaist();
        glTranslatef(0.0f, shoulderHeight, 0.0f);
        drawTorso();
        glPushMatrix();
        {
            glTranslatef(0.0f, 0.6f, -0.8f);
            drawBackpack();
        }
        glPopMatrix();
        drawNeckAndHead();
        drawShoulderAndArm(LeftSide);
        drawShoulderAndArm(RightSide);
    }
    glPopMatrix();
}

// Hip, knee and ankle; each piece is drawn after the pieces hanging from it.
void drawLeg(int side)
{
    glPushMatrix();
    {
        glTranslatef(sideSign(side) * hipOffset, 0.0f, 0.0f);
        rotateJoint(UpperLeg, side);
        glPushMatrix();
        {
            glTranslatef(0.0f, -legSegment, 0.0f);
            rotateJoint(LowerLeg, side);
            glPushMatrix();
            {
                glTranslatef(0.0f, -legSegment, 0.0f);
                rotateJoint(Foot, side);
                drawFoot();
            }
            glPopMatrix();
            drawLowerLeg();
        }
        glPopMatrix();
        drawUpperLeg();
    }
    glPopMatrix();
}

void drawLegs()
{
    glPushMatrix();
    {
        glTranslatef(0.0f, -hipDrop, 0.0f);
        drawLeg(LeftSide);
        drawLeg(RightSide);
    }
    glPopMatrix();
}

}  // namespace

void rotateJoint(int piece, int side)
{
    const Vector3& angles = jointAngles[piece][side];
    glRotatef(angles.y, 0.0f, 1.0f, 0.0f);
    glRotatef(angles.x, 1.0f, 0.0f, 0.0f);
    glRotatef(angles.z, 0.0f, 0.0f, 1.0f);
}

void rotateArmJoint(int piece, int side)
{
    const Vector3& angles = jointAngles[piece][side];
    glRotatef(angles.x, 1.0f, 0.0f, 0.0f);
    glRotatef(angles.z, 0.0f, 0.0f, 1.0f);
    glRotatef(angles.y, 0.0f, 1.0f, 0.0f);
}

void drawArm(int side)
{
    glPushMatrix();
    {
        rotateArmJoint(UpperArm, side);
        glPushMatrix();
        {
            glTranslatef(0.0f, -armSegment, 0.0f);
            rotateArmJoint(Forearm, side);
            drawArmSegment(Forearm, side);
            glPushMatrix();
            {
                glTranslatef(0.0f, -armSegment, 0.0f);
                glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
                drawHand(side);
            }
            glPopMatrix();
            // The weapon is placed from the elbow; the hand lies at (0, 0, 1) of its frame.
            glPushMatrix();
            {
                glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
                drawWeapon(weaponBySide[side]);
            }
            glPopMatrix();
        }
        glPopMatrix();
        drawArmSegment(UpperArm, side);
    }
    glPopMatrix();
}

void drawFigure()
{
    glPushMatrix();
    {
        drawUpperBody();
        drawLegs();
    }
    glPopMatrix();
}
