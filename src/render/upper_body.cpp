// The upper body's pieces without joints of their own: the torso shell, the backpack
// across the back and the helmeted head.
#include <GL/freeglut.h>

#include "render/paint.h"
#include "render/pieces.h"
#include "state/state.h"

namespace {

constexpr double drumLength = 1.3;  // the backpack's drum, across the back
constexpr double eyeSpacing = 0.35;  // between the two eyes' centres
constexpr int blockCount = 3;        // stacked below the drum, each 0.9 of the one above

}  // namespace

// A tapering shell hanging from the shoulder line down to the waist, capped at the top.
void drawTorso()
{
    applyPaint(MainSlot);
    glPushMatrix();
    {
        glScalef(1.0f, 1.0f, 0.7f);
        glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
        glPushMatrix();
        {
            glScalef(1.0f, 1.0f, 0.5f);
            glutSolidSphere(1.0, 20, 20);
        }
        glPopMatrix();
        gluCylinder(quadric, 1.0, 0.75, 1.5, 20, 20);
    }
    glPopMatrix();
}

void drawBackpack()
{
    glPushMatrix();
    {
        // The drum lies along x, closed by two end disks that both face +x.
        glPushMatrix();
        {
            applyPaint(MainSlot);
            glRotatef(90.0f, 0.0f, 1.0f, 0.0f);
            glTranslatef(0.0f, 0.0f, static_cast<float>(-0.5 * drumLength));
            gluCylinder(quadric, 0.39, 0.39, drumLength, 20, 20);
            gluDisk(quadric, 0.0, 0.39, 20, 20);
            glTranslatef(0.0f, 0.0f, static_cast<float>(drumLength));
            gluDisk(quadric, 0.0, 0.39, 20, 20);
        }
        glPopMatrix();
        glPushMatrix();
        {
            applyPaint(MetalSlot);
            drawBackpackFitting(1);
            drawBackpackFitting(-1);
        }
        glPopMatrix();
        // Each block steps further down and forward than the last, and shrinks.
        glPushMatrix();
        {
            applyPaint(MetalSlot);
            glScalef(0.9f, 0.5f, 0.5f);
            glTranslatef(0.0f, 0.065f, 0.0f);
            for (int block = 0; block < blockCount; ++block) {
                glTranslatef(0.0f, -1.17f, 0.065f);
                glScalef(0.9f, 0.9f, 0.9f);
                glutSolidCube(1.3);
            }
        }
        glPopMatrix();
    }
    glPopMatrix();
}

// A stub out of the drum's end, and a ball with a vent pointing down and back.
void drawBackpackFitting(int sign)
{
    glPushMatrix();
    {
        applyPaint(MetalSlot);
        glTranslatef(static_cast<float>(sign * drumLength * 0.5), 0.0f, 0.0f);
        glPushMatrix();
        {
            glRotatef(static_cast<float>(sign * 90.0), 0.0f, 1.0f, 0.0f);
            gluCylinder(quadric, 0.221, 0.221, 0.325, 10, 10);
        }
        glPopMatrix();
        glRotatef(135.0f, 1.0f, 0.0f, 0.0f);
        applyPaint(MainSlot);
        glTranslatef(static_cast<float>(sign * drumLength * 0.3), 0.0f, 0.0f);
        glutSolidSphere(0.325, 10, 10);
        gluCylinder(quadric, 0.195, 0.195, 0.39, 10, 10);
        applyPaint(MetalSlot);
        glTranslatef(0.0f, 0.0f, 0.39f);
        gluDisk(quadric, 0.0, 0.195, 10, 10);
    }
    glPopMatrix();
}

void drawHead()
{
    glPushMatrix();
    {
        glTranslatef(0.0f, 0.55f, 0.0f);
        applyPaint(MainSlot);
        glutSolidSphere(0.5, 20, 20);
        // The face: a grille below the eyes, and a tube out to each side in the grille's metal.
        glPushMatrix();
        {
            glTranslatef(0.0f, -0.325f, 0.4f);
            glScalef(1.0f, 1.0f, 0.7f);
            glPushMatrix();
            {
                glRotatef(-65.0f, 1.0f, 0.0f, 0.0f);
                glScalef(1.0f, 0.4f, 1.0f);
                applyPaint(MetalSlot);
                gluDisk(quadric, 0.0, 0.125, 10, 10);
                gluCylinder(quadric, 0.125, 0.1, 0.25, 10, 10);
                glTranslatef(0.0f, 0.0f, 0.25f);
                gluDisk(quadric, 0.0, 0.1, 10, 10);
            }
            glPopMatrix();
            glPushMatrix();
            {
                glTranslatef(0.05f, 0.025f, 0.025f);
                glRotatef(125.0f, 0.0f, 1.0f, 0.1f);
                gluCylinder(quadric, 0.05, 0.05, 0.3, 10, 10);
            }
            glPopMatrix();
            glPushMatrix();
            {
                glTranslatef(-0.05f, 0.025f, 0.025f);
                glRotatef(-125.0f, 0.0f, 1.0f, 0.1f);
                gluCylinder(quadric, 0.05, 0.05, 0.3, 10, 10);
            }
            glPopMatrix();
        }
        glPopMatrix();
        glPushMatrix();
        {
            glTranslatef(0.0f, 0.02f, 0.45f);
            drawEye(-1);
            drawEye(1);
        }
        glPopMatrix();
    }
    glPopMatrix();
}

// A lens sunk partly into the helmet, tilted the opposite way on each side.
void drawEye(int sign)
{
    glPushMatrix();
    {
        glTranslatef(static_cast<float>(sign * 0.5 * eyeSpacing), 0.0f, 0.0f);
        glRotatef(static_cast<float>(sign * 30.0), 0.0f, 0.5f, 0.4f);
        glScalef(0.11f, 0.05f, 0.05f);
        applyPaint(EyeSlot);
        glutSolidSphere(1.0, 10, 10);
    }
    glPopMatrix();
}
