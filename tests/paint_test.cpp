// The palette and the six paint slots, read back from the real GL's material state.
#include "render/paint.h"
#include "render/pieces.h"
#include "state/state.h"
#include "support/harness.h"

namespace {

int* slotPaint(PaintSlot slot)
{
    int* const slots[] = {&mainPaint, &trimPaint, &shoulderPaint, &metalPaint, &weaponPaint, &eyePaint};
    return slots[slot];
}

class Palette : public DesignerTest {};

// What the user sees of each paint: its diffuse colour and its shininess.
TEST_F(Palette, ElevenPaintsInMenuOrder)
{
    struct Seen {
        float red, green, blue, shininess;
    };
    const Seen seen[paintCount] = {
        {0.0f, 0.0f, 0.0f, 4.0f},   {0.5f, 0.1f, 0.0f, 4.0f},    {0.1f, 0.2f, 0.5f, 5.0f},
        {0.6f, 0.55f, 0.0f, 4.0f},  {0.78f, 0.57f, 0.11f, 27.8f}, {0.3f, 0.3f, 0.3f, 20.0f},
        {0.3f, 0.2f, 0.1f, 4.0f},   {0.1f, 0.1f, 0.1f, 4.0f},    {1.0f, 1.0f, 1.0f, 4.0f},
        {0.0f, 0.3f, 0.0f, 4.0f},   {0.25f, 0.0f, 0.25f, 4.0f},
    };
    for (int i = 0; i < paintCount; ++i) {
        EXPECT_FLOAT_EQ(paints[i].diffuse[0], seen[i].red) << "paint " << i;
        EXPECT_FLOAT_EQ(paints[i].diffuse[1], seen[i].green) << "paint " << i;
        EXPECT_FLOAT_EQ(paints[i].diffuse[2], seen[i].blue) << "paint " << i;
        EXPECT_FLOAT_EQ(paints[i].shininess, seen[i].shininess) << "paint " << i;
        // Gunmetal alone has alpha 0; nothing blends, so no one sees it.
        const float alpha = i == 5 ? 0.0f : 1.0f;
        EXPECT_EQ(paints[i].ambient[3], alpha) << "paint " << i;
        EXPECT_EQ(paints[i].diffuse[3], alpha) << "paint " << i;
        EXPECT_EQ(paints[i].specular[3], alpha) << "paint " << i;
    }
}

class Materials : public DesignerTest {};

TEST_F(Materials, ApplyingSetsTheFrontMaterialAndLeavesTheBackAlone)
{
    const Material marker = {{0.11f, 0.12f, 0.13f, 0.14f}, {0.21f, 0.22f, 0.23f, 0.24f},
                             {0.31f, 0.32f, 0.33f, 0.34f}, 77.0f};
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, marker.ambient);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, marker.diffuse);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, marker.specular);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SHININESS, &marker.shininess);
    for (int i = 0; i < paintCount; ++i) {
        applyMaterial(paints[i]);
        EXPECT_EQ(paletteIndexOf(currentMaterial()), i);
        EXPECT_TRUE(sameMaterial(currentMaterial(GL_BACK), marker)) << "paint " << i << " reached the back material";
    }
}

// The slot's index is read when the paint is applied, so a menu choice shows at once.
TEST_F(Materials, EachSlotAppliesThePaintItHoldsNow)
{
    const PaintSlot slots[] = {MainSlot, TrimSlot, ShoulderSlot, MetalSlot, WeaponSlot, EyeSlot};
    const int initial[] = {2, 3, 2, 5, 1, 1};
    for (PaintSlot slot : slots) {
        applyPaint(slot);
        EXPECT_EQ(paletteIndexOf(currentMaterial()), initial[slot]) << "slot " << slot;
    }
    for (PaintSlot slot : slots) *slotPaint(slot) = 6 + slot % 5;
    for (PaintSlot slot : slots) {
        applyPaint(slot);
        EXPECT_EQ(paletteIndexOf(currentMaterial()), 6 + slot % 5) << "slot " << slot;
    }
}

class Painting : public DesignerTest {};

TEST_F(Painting, UserDefinedPaintIsBlackUntilMixedAndAnEditShowsNextFrame)
{
    mainPaint = userPaint;
    for (const Primitive& p : record(drawTorso)) {
        EXPECT_FLOAT_EQ(p.material.diffuse[0] + p.material.diffuse[1] + p.material.diffuse[2], 0.0f);
        EXPECT_FLOAT_EQ(p.material.shininess, 4.0f);
    }
    for (float* colour : {paints[userPaint].ambient, paints[userPaint].diffuse, paints[userPaint].specular}) {
        colour[0] = 0.35f;
        colour[1] = 0.65f;
        colour[2] = 0.05f;
    }
    paints[userPaint].shininess = 9.0f;
    for (const Primitive& p : record(drawTorso)) {
        EXPECT_TRUE(sameMaterial(p.material, paints[userPaint])) << p;
    }
}

// Every slot on one paint gives one material throughout the frame.
TEST_F(Painting, OnePaintInEverySlotPaintsTheWholeFigureAlike)
{
    for (PaintSlot slot : {MainSlot, TrimSlot, ShoulderSlot, MetalSlot, WeaponSlot, EyeSlot}) *slotPaint(slot) = 9;
    const std::vector<Primitive> figure = recordFigure();
    ASSERT_FALSE(figure.empty());
    for (const Primitive& p : figure) EXPECT_EQ(paletteIndexOf(p.material), 9) << p;
}

}  // namespace
