#include <GL/freeglut.h>

#include "render/paint.h"
#include "render/pieces.h"
#include "state/state.h"

namespace {

constexpr double legRadius = 0.35;    // thigh, knee ball and the top of the shin
constexpr double ankleRadius = 0.45;  // the bottom of the shin and the ankle disk
constexpr float legSegment = 1.25f;   // hip to knee, knee to ankle
constexpr float footTilt = 8.0f;      // degrees the boot points below the forward direction
constexpr double toeBaseRadius = 0.34146341463414637;  // the double closest to 14/41

}  // namespace

// A ball in the hip and a straight tube down to the knee.
void drawUpperLeg()
{
    glPushMatrix();
    {
        applyPaint(MainSlot);
        glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
        glutSolidSphere(legRadius, 20, 20);
        gluCylinder(quadric, legRadius, legRadius, legSegment, 20, 20);
    }
    glPopMatrix();
}

// The shin widens from the knee to the ankle, with a ball in the knee and a pad in front of it.
void drawLowerLeg()
{
    glPushMatrix();
    {
        // The ankle disk has no paint of its own: it shows the paint the foot left current.
        glPushMatrix();
        {
            glTranslatef(0.0f, -legSegment, 0.0f);
            glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
            gluDisk(quadric, 0.0, ankleRadius, 20, 2);
        }
        glPopMatrix();
        glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
        applyPaint(MetalSlot);
        glutSolidSphere(legRadius, 20, 20);
        glPushMatrix();
        {
            applyPaint(TrimSlot);
            glTranslatef(0.0f, 0.175f, 0.0f);
            glScalef(1.0f, 0.8f, 1.0f);
            glutSolidSphere(0.385, 20, 20);
        }
        glPopMatrix();
        applyPaint(MainSlot);
        gluCylinder(quadric, legRadius, ankleRadius, legSegment, 20, 20);
    }
    glPopMatrix();
}

// A boot pointing forward and a little down: heel, instep, a lower toe and a toe cap.
void drawFoot()
{
    glPushMatrix();
    {
        applyPaint(MainSlot);
        glPushMatrix();
        {
            glRotatef(footTilt, 1.0f, 0.0f, 0.0f);
            glScalef(1.0f, 0.7f, 1.0f);
            glPushMatrix();
            {
                glScalef(1.0f, 1.0f, 0.6f);
                glutSolidSphere(0.4, 10, 10);
            }
            glPopMatrix();
            gluCylinder(quadric, 0.4, 0.35, 0.4, 10, 10);
            glTranslatef(0.0f, 0.0f, 0.4f);
            gluDisk(quadric, 0.0, 0.35, 20, 20);
            glTranslatef(0.0f, -0.03f, 0.0f);
            glScalef(1.0f, 0.95f, 1.0f);
            gluCylinder(quadric, toeBaseRadius, 0.3, 0.4, 10, 10);
            glTranslatef(0.0f, 0.0f, 0.4f);
            glScalef(1.0f, 1.0f, 0.8f);
            glutSolidSphere(0.3, 10, 10);
        }
        glPopMatrix();
    }
    glPopMatrix();
}
