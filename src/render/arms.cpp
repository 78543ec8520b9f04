#include <GL/freeglut.h>

#include "render/paint.h"
#include "render/pieces.h"
#include "state/state.h"

namespace {

constexpr float bossRadius = 0.25f;
constexpr float bossInset = bossRadius * 0.2f;   // the boss leans toward the figure's middle
constexpr float rimOutset = bossRadius * 0.15f;  // the rim ring leans outward
constexpr double armRadius = 0.25;               // arm tubes, elbow ball and wrist disk
constexpr double armSegment = 1.0;               // shoulder to elbow, elbow to wrist

}  // namespace

// A domed boss over the shoulder joint, with a flat rim ring round its lower part
// and an upright ring on the side toward the figure's middle.
void drawShoulderPad(int sign)
{
    glPushMatrix();
    {
        glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
        glTranslatef(-sign * bossInset, 0.0f, -0.1f);
        glScalef(1.8f, 2.0f, 2.0f);
        glPushMatrix();
        {
            glTranslatef(sign * rimOutset, 0.0f, 0.1f);
            applyPaint(TrimSlot);
            glutSolidTorus(0.04, 0.2, 20, 20);
        }
        glPopMatrix();
        glPushMatrix();
        {
            glTranslatef(-sign * bossInset, 0.0f, -0.0375f);
            glRotatef(-90.0f, 0.0f, 1.0f, 0.0f);
            applyPaint(TrimSlot);
            glutSolidTorus(0.04, 0.225, 20, 20);
        }
        glPopMatrix();
        applyPaint(ShoulderSlot);
        glutSolidSphere(bossRadius, 20, 20);
    }
    glPopMatrix();
}

// An open tube hanging from its joint; the forearm also has a ball in the elbow.
// Both sides draw the same segment.
void drawArmSegment(int piece, int)
{
    glPushMatrix();
    {
        applyPaint(MainSlot);
        glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
        gluCylinder(quadric, armRadius, armRadius, armSegment, 20, 1);
        if (piece == Forearm) {
            applyPaint(MetalSlot);
            glutSolidSphere(armRadius, 20, 20);
        }
    }
    glPopMatrix();
}

// A disk closing the wrist and two finger blocks below it; the long block lies
// toward the figure's outside, so the two hands are mirror images.
void drawHand(int side)
{
    const float sign = side != RightSide ? 1.0f : -1.0f;
    applyPaint(MainSlot);
    gluDisk(quadric, 0.0, armRadius, 30, 1);
    glPushMatrix();
    {
        glScalef(0.25f, 0.8f, 0.7f);
        glPushMatrix();
        {
            glTranslatef(0.25f * sign, 0.0f, 0.25f);
            glutSolidCube(0.5);
        }
        glPopMatrix();
        glPushMatrix();
        {
            glTranslatef(0.0f, 0.0f, 0.5f);
            glScalef(1.0f, 1.0f, 0.7f);
            glTranslatef(-0.25f * sign, 0.0f, -0.25f);
            glutSolidCube(0.5);
        }
        glPopMatrix();
    }
    glPopMatrix();
    // Both hands are drawn in every frame, so every frame asks for the next one:
    // the window keeps redrawing, and the menu's changes show without a request of their own.
    glutPostRedisplay();
}
