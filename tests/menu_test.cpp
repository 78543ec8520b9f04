// The right-button menu as the toolkit holds it, and what each choice does.
#include <algorithm>
#include <array>
#include <iterator>
#include <string>
#include <vector>

#include "app/menu.h"
#include "render/paint.h"
#include "state/state.h"
#include "support/harness.h"
#include "support/menu_recorder.h"

namespace {

const std::vector<std::string> paintLabels = {
    "User defined", "Blood Red",   "Ultramarines Blue", "Sunburst Yellow", "Brass",      "Gunmetal",
    "Bestial brown", "Chaos Black", "Skull White",      "Emerald Green",   "Lich Purple",
};
const std::vector<std::string> weaponLabels = {"No weapon", "Bolter", "Bolt pistol", "Knife facing up",
                                               "Knife facing down"};
const std::vector<std::string> slotLabels = {"Main Color",  "Trim Color",   "Shoulder Color",
                                             "Metal Color", "Weapon Color", "Eye color"};

std::vector<std::string> labelsOf(const BuiltMenu& menu)
{
    std::vector<std::string> labels;
    for (const MenuEntry& entry : menu.entries) labels.push_back(entry.label);
    return labels;
}

std::vector<int> valuesOf(const BuiltMenu& menu)
{
    std::vector<int> values;
    for (const MenuEntry& entry : menu.entries) values.push_back(entry.value);
    return values;
}

std::vector<int> countingFromZero(int count)
{
    std::vector<int> values;
    for (int i = 0; i < count; ++i) values.push_back(i);
    return values;
}

const MenuEntry* entryOf(const BuiltMenu& menu, const std::string& label)
{
    for (const MenuEntry& entry : menu.entries) {
        if (entry.label == label) return &entry;
    }
    return nullptr;
}

// The designer's menus, built afresh and read back as the toolkit received them.
class Menus : public DesignerTest {
protected:
    void SetUp() override
    {
        DesignerTest::SetUp();
        tree = recordMenus(buildMenus);
    }

    // The menu the right button opens.
    const BuiltMenu* top() const
    {
        return tree.attachments.empty() ? nullptr : tree.find(tree.attachments.back().menu);
    }

    // Follows the submenu labels from the top menu; nullptr where the path breaks.
    const BuiltMenu* menuAt(const std::vector<std::string>& path) const
    {
        const BuiltMenu* menu = top();
        for (const std::string& label : path) {
            const MenuEntry* entry = menu ? entryOf(*menu, label) : nullptr;
            menu = entry && entry->isSubmenu ? tree.find(entry->value) : nullptr;
        }
        return menu;
    }

    // Picks the last label of the path as the toolkit would: the handler of the menu
    // holding the entry receives the entry's value.
    void choose(std::vector<std::string> path) const
    {
        const std::string label = path.back();
        path.pop_back();
        const BuiltMenu* menu = menuAt(path);
        const MenuEntry* entry = menu ? entryOf(*menu, label) : nullptr;
        ASSERT_TRUE(entry && !entry->isSubmenu) << "no entry \"" << label << "\" there";
        menu->handler(entry->value);
    }

    MenuTree tree;
};

// Every value a menu choice can change.
std::array<int, 11> choices()
{
    return {mainPaint,    trimPaint,    shoulderPaint, metalPaint,    weaponPaint, eyePaint,
            weaponBySide[RightSide], weaponBySide[LeftSide], selectedPiece, selectedSide, idleEnabled};
}

TEST_F(Menus, TheRightButtonOpensTheTopMenu)
{
    ASSERT_EQ(tree.attachments.size(), 1u);
    EXPECT_EQ(tree.attachments[0].button, GLUT_RIGHT_BUTTON);
    ASSERT_NE(top(), nullptr);
    EXPECT_EQ(top()->handler, topMenu);
    EXPECT_EQ(labelsOf(*top()),
              (std::vector<std::string>{"Pieces", "Colors", "Weapons", "Right side", "Left side", "Toggle idle"}));
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(top()->entries[i].isSubmenu) << top()->entries[i].label;
    for (int i = 3; i < 6; ++i) {
        EXPECT_FALSE(top()->entries[i].isSubmenu);
        EXPECT_EQ(top()->entries[i].value, i - 3) << top()->entries[i].label;
    }
}

TEST_F(Menus, PiecesListTheUpperArmBeforeTheForearm)
{
    const BuiltMenu* pieces = menuAt({"Pieces"});
    ASSERT_NE(pieces, nullptr);
    EXPECT_EQ(pieces->handler, piecesMenu);
    EXPECT_EQ(labelsOf(*pieces), (std::vector<std::string>{"Head", "Body", "Upper arm", "Forearm", "Upper leg",
                                                           "Lower leg", "Foot"}));
    EXPECT_EQ(valuesOf(*pieces), (std::vector<int>{0, 1, 3, 2, 4, 5, 6}));
}

// Six paint lists and two weapon lists, each a menu of its own with its own handler.
TEST_F(Menus, EverySlotAndHandHasAListOfItsOwn)
{
    const BuiltMenu* colors = menuAt({"Colors"});
    ASSERT_NE(colors, nullptr);
    EXPECT_EQ(colors->handler, colorsMenu);
    EXPECT_EQ(labelsOf(*colors), slotLabels);
    void (*const slotHandlers[])(int) = {mainColorMenu,  trimColorMenu,   shoulderColorMenu,
                                         metalColorMenu, weaponColorMenu, eyeColorMenu};
    for (std::size_t i = 0; i < slotLabels.size(); ++i) {
        const BuiltMenu* list = menuAt({"Colors", slotLabels[i]});
        ASSERT_NE(list, nullptr) << slotLabels[i];
        EXPECT_EQ(list->handler, slotHandlers[i]) << slotLabels[i];
        EXPECT_EQ(labelsOf(*list), paintLabels) << slotLabels[i];
        EXPECT_EQ(valuesOf(*list), countingFromZero(paintCount)) << slotLabels[i];
    }

    const BuiltMenu* weapons = menuAt({"Weapons"});
    ASSERT_NE(weapons, nullptr);
    EXPECT_EQ(weapons->handler, weaponsMenu);
    EXPECT_EQ(labelsOf(*weapons), (std::vector<std::string>{"Left weapon", "Right weapon"}));
    for (const char* hand : {"Left weapon", "Right weapon"}) {
        const BuiltMenu* list = menuAt({"Weapons", hand});
        ASSERT_NE(list, nullptr) << hand;
        EXPECT_EQ(labelsOf(*list), weaponLabels) << hand;
        EXPECT_EQ(valuesOf(*list), countingFromZero(5)) << hand;
    }
    EXPECT_EQ(menuAt({"Weapons", "Left weapon"})->handler, leftWeaponMenu);
    EXPECT_EQ(menuAt({"Weapons", "Right weapon"})->handler, rightWeaponMenu);
}

// A submenu must exist before its parent takes it; every menu is reached exactly once.
TEST_F(Menus, TheTreeIsBuiltFromTheLeavesUp)
{
    void (*const order[])(int) = {mainColorMenu,   trimColorMenu,  shoulderColorMenu, metalColorMenu,
                                  weaponColorMenu, eyeColorMenu,   rightWeaponMenu,   leftWeaponMenu,
                                  weaponsMenu,     colorsMenu,     piecesMenu,        topMenu};
    ASSERT_EQ(tree.menus.size(), std::size(order));
    for (std::size_t i = 0; i < std::size(order); ++i) EXPECT_EQ(tree.menus[i].handler, order[i]) << "menu " << i;

    std::vector<int> reached;
    for (std::size_t i = 0; i < tree.menus.size(); ++i) {
        for (const MenuEntry& entry : tree.menus[i].entries) {
            if (!entry.isSubmenu) continue;
            reached.push_back(entry.value);
            for (std::size_t j = i; j < tree.menus.size(); ++j) {
                EXPECT_NE(tree.menus[j].id, entry.value) << "\"" << entry.label << "\" added before it was built";
            }
        }
    }
    EXPECT_EQ(reached.size(), tree.menus.size() - 1);
    for (std::size_t i = 0; i + 1 < tree.menus.size(); ++i) {
        EXPECT_EQ(std::count(reached.begin(), reached.end(), tree.menus[i].id), 1) << "menu " << i;
    }
}

// The toolkit's own count of entries agrees with what it was handed.
TEST_F(Menus, TheToolkitHoldsEveryEntry)
{
    const int current = glutGetMenu();
    for (const BuiltMenu& menu : tree.menus) {
        glutSetMenu(menu.id);
        EXPECT_EQ(glutGet(GLUT_MENU_NUM_ITEMS), static_cast<int>(menu.entries.size())) << "menu " << menu.id;
    }
    glutSetMenu(current);
}

class MenuChoices : public Menus {};

TEST_F(MenuChoices, APieceChoosesTheJointAndHeadOrBodyTheRightSide)
{
    const std::vector<std::string> pieces = {"Head", "Body", "Upper arm", "Forearm", "Upper leg", "Lower leg", "Foot"};
    const int values[] = {Head, Body, UpperArm, Forearm, UpperLeg, LowerLeg, Foot};
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        selectedSide = LeftSide;
        choose({"Pieces", pieces[i]});
        EXPECT_EQ(selectedPiece, values[i]) << pieces[i];
        EXPECT_EQ(selectedSide, i < 2 ? RightSide : LeftSide) << pieces[i];
    }
}

TEST_F(MenuChoices, SideEntriesPickTheSideWhateverThePiece)
{
    choose({"Right side"});
    EXPECT_EQ(selectedSide, RightSide);
    choose({"Pieces", "Head"});
    choose({"Left side"});
    EXPECT_EQ(selectedSide, LeftSide) << "the head's unseen side 1 is still chosen";
    EXPECT_EQ(selectedPiece, Head);
}

TEST_F(MenuChoices, ToggleIdleFlipsAndTwiceRestores)
{
    choose({"Toggle idle"});
    EXPECT_EQ(idleEnabled, 1);
    choose({"Toggle idle"});
    EXPECT_EQ(idleEnabled, 0);
}

TEST_F(MenuChoices, APaintGoesToItsOwnSlotOnly)
{
    int* const slots[] = {&mainPaint, &trimPaint, &shoulderPaint, &metalPaint, &weaponPaint, &eyePaint};
    for (std::size_t slot = 0; slot < slotLabels.size(); ++slot) {
        for (int paint = 0; paint < paintCount; ++paint) {
            resetDesigner();
            std::array<int, 11> expected = choices();
            expected[slot] = paint;
            choose({"Colors", slotLabels[slot], paintLabels[paint]});
            EXPECT_EQ(*slots[slot], paint);
            EXPECT_EQ(choices(), expected) << slotLabels[slot] << " > " << paintLabels[paint];
        }
    }
}

TEST_F(MenuChoices, AWeaponGoesToItsOwnHandOnly)
{
    for (int kind = NoWeapon; kind <= KnifeDown; ++kind) {
        resetDesigner();
        choose({"Weapons", "Left weapon", weaponLabels[kind]});
        EXPECT_EQ(weaponBySide[LeftSide], kind);
        EXPECT_EQ(weaponBySide[RightSide], Bolter);
        resetDesigner();
        choose({"Weapons", "Right weapon", weaponLabels[kind]});
        EXPECT_EQ(weaponBySide[RightSide], kind);
        EXPECT_EQ(weaponBySide[LeftSide], BoltPistol);
    }
}

// The menus holding only submenus, and values no entry carries, change nothing.
TEST_F(MenuChoices, HoldersAndUnknownValuesChangeNothing)
{
    const std::array<int, 11> before = choices();
    for (int value : {-1, 0, 1, 2, 3, 100}) {
        colorsMenu(value);
        weaponsMenu(value);
    }
    topMenu(3);
    topMenu(-1);
    EXPECT_EQ(choices(), before);
}

// The window redraws by itself, so no choice asks for a frame.
TEST_F(MenuChoices, NoChoiceAsksForARedisplay)
{
    const long redisplays = redisplayRequests();
    choose({"Pieces", "Foot"});
    choose({"Left side"});
    choose({"Toggle idle"});
    choose({"Colors", "Eye color", "Brass"});
    choose({"Weapons", "Right weapon", "Knife facing up"});
    EXPECT_EQ(redisplayRequests(), redisplays);
}

int primitivesInPaint(const std::vector<Primitive>& frame, int paint)
{
    int count = 0;
    for (const Primitive& p : frame) count += paletteIndexOf(p.material) == paint;
    return count;
}

// The user's road: "Colors" > "Main Color" > "Blood Red" turns the armour dark red on the next frame.
TEST_F(MenuChoices, BloodRedMainColourShowsOnTheNextFrame)
{
    const std::vector<Primitive> before = recordFigure();
    choose({"Colors", "Main Color", "Blood Red"});
    EXPECT_EQ(mainPaint, 1);
    const std::vector<Primitive> after = recordFigure();
    ASSERT_EQ(after.size(), before.size());
    const int moved = primitivesInPaint(before, 2) - primitivesInPaint(after, 2);
    EXPECT_GT(moved, 0);
    EXPECT_EQ(primitivesInPaint(after, 1) - primitivesInPaint(before, 1), moved)
        << "what left the blue went to the red";
}

}  // namespace
