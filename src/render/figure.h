// The figure's hierarchy: every pivot, every joint, and the piece drawers hung from them.
#pragma once

void drawFigure();

// Turns the current frame by a joint's angles: about y, then x, then z
// (waist, neck, hips, knees, ankles).
void rotateJoint(int piece, int side);

// The same angles in the arm's order: about x, then z, then y (shoulders, elbows).
void rotateArmJoint(int piece, int side);

// One arm chain, upper arm to weapon, in the shoulder frame of that side.
void drawArm(int side);
