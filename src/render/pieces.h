// The piece drawers. Each draws in the frame the figure assembly has set up,
// reads only the paint slots and the quadric, and leaves the modelview matrix
// as it found it. A sign is +1 for the figure's left side (+x), -1 for its right.
#pragma once

// Torso, backpack and head.
void drawTorso();
void drawBackpack();
void drawBackpackFitting(int sign);
void drawHead();
void drawEye(int sign);

// Arms.
void drawShoulderPad(int sign);
void drawArmSegment(int piece, int side);
void drawHand(int side);  // also requests the next frame

// Legs; both legs are the same.
void drawUpperLeg();
void drawLowerLeg();
void drawFoot();

// Weapons, placed from the elbow along the forearm.
void drawWeapon(int kind);
void drawBolter();
void drawBoltPistol();
void drawKnife();
