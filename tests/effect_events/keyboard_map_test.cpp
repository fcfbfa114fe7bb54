// The keyboard map: the first matching row decides, conditions that fail pass the key on,
// and the brush keys follow the keyboard layout.

#include "effect/keyboard_map.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <iterator>

#include "effect/preview_tool_state.h"

namespace {

constexpr int32_t kSmaller = 0xDB;  // '[' on a US layout
constexpr int32_t kLarger = 0xDD;   // ']'

KeyboardSnapshot Keys(int32_t key) {
    KeyboardSnapshot k = {};
    k.key = key;
    k.brushSmallerKey = kSmaller;
    k.brushLargerKey = kLarger;
    return k;
}

struct KeyCase {
    const char* what;
    KeyboardSnapshot keys;
    KeyReaction expected;
};

KeyboardSnapshot With(KeyboardSnapshot k, void (*change)(KeyboardSnapshot&)) {
    change(k);
    return k;
}

TEST(KeyboardMap, TheFirstMatchingRowDecides) {
    const KeyCase cases[] = {
        {"Ctrl+Z undoes",
         With(Keys('Z'), [](KeyboardSnapshot& k) { k.ctrlHeld = k.altOrCtrlState = true; }),
         KEY_UNDO},
        {"Ctrl+Y redoes",
         With(Keys('Y'), [](KeyboardSnapshot& k) { k.ctrlHeld = k.altOrCtrlState = true; }),
         KEY_REDO},
        {"Z alone goes on", Keys('Z'), KEY_PASS},
        {"Y alone goes on", Keys('Y'), KEY_PASS},
        {"Ctrl+Z in the focused preset list still undoes",
         With(Keys('Z'),
              [](KeyboardSnapshot& k) {
                  k.ctrlHeld = k.altOrCtrlState = k.presetListFocused = true;
              }),
         KEY_UNDO},
        {"letters search the focused preset list",
         With(Keys('H'), [](KeyboardSnapshot& k) { k.presetListFocused = true; }), KEY_PASS},
        {"N in the focused preset list jumps",
         With(Keys('N'), [](KeyboardSnapshot& k) { k.presetListFocused = true; }),
         KEY_FIRST_PRESET},
        {"N elsewhere goes on", Keys('N'), KEY_PASS},
        {"H selects the hand", Keys('H'), KEY_HAND},
        {"I the eyedropper", Keys('I'), KEY_EYEDROPPER},
        {"V the cross", Keys('V'), KEY_CROSS},
        {"E the eraser", Keys('E'), KEY_ERASER},
        {"B the brush", Keys('B'), KEY_BRUSH},
        {"X swaps brush and eraser", Keys('X'), KEY_SWAP_BRUSH},
        {"R resets", Keys('R'), KEY_RESET},
        {"P toggles the preview", Keys('P'), KEY_PREVIEW_TOGGLE},
        {"S selects the split tool", Keys('S'), KEY_SPLIT_TOOL},
        {"S with the split view on but another tool selects it",
         With(Keys('S'), [](KeyboardSnapshot& k) { k.splitViewOn = true; }), KEY_SPLIT_TOOL},
        {"S with the split view and its tool turns the view off",
         With(Keys('S'),
              [](KeyboardSnapshot& k) {
                  k.splitViewOn = true;
                  k.currentTool = TOOL_SPLIT_DRAG;
              }),
         KEY_SPLIT_OFF},
        {"M shows the mask", Keys('M'), KEY_MASK_SHOW},
        {"M with the mask shown hides it",
         With(Keys('M'), [](KeyboardSnapshot& k) { k.maskShown = true; }), KEY_MASK_HIDE},
        {"numeric + without Ctrl goes on", Keys(VK_ADD), KEY_PASS},
        {"Ctrl and numeric + zoom in",
         With(Keys(VK_ADD), [](KeyboardSnapshot& k) { k.ctrlHeld = true; }), KEY_ZOOM_IN},
        {"Ctrl and numeric - zoom out",
         With(Keys(VK_SUBTRACT), [](KeyboardSnapshot& k) { k.ctrlHeld = true; }), KEY_ZOOM_OUT},
        {"Space off the preview goes on", Keys(VK_SPACE), KEY_PASS},
        {"Space over the preview selects the hand",
         With(Keys(VK_SPACE), [](KeyboardSnapshot& k) { k.cursorOverPreview = true; }), KEY_HAND},
        {"Delete off the curve goes on", Keys(VK_DELETE), KEY_PASS},
        {"Delete over the curve on Main deletes its point",
         With(Keys(VK_DELETE),
              [](KeyboardSnapshot& k) { k.mainSheetShown = k.curveTargeted = true; }),
         KEY_DELETE_CURVE_POINT},
        {"Backspace on another sheet goes on",
         With(Keys(VK_BACK), [](KeyboardSnapshot& k) { k.curveTargeted = true; }), KEY_PASS},
        {"[ makes the brush smaller", Keys(kSmaller), KEY_SIZE_DOWN},
        {"] larger", Keys(kLarger), KEY_SIZE_UP},
        {"Shift+[ softens", With(Keys(kSmaller), [](KeyboardSnapshot& k) { k.shiftHeld = true; }),
         KEY_HARDNESS_DOWN},
        {"Shift+] hardens", With(Keys(kLarger), [](KeyboardSnapshot& k) { k.shiftHeld = true; }),
         KEY_HARDNESS_UP},
        {"a shifted brush character never matches a plain key",
         With(Keys(kSmaller), [](KeyboardSnapshot& k) { k.brushSmallerKey = 0x100 | kSmaller; }),
         KEY_PASS},
        {"other keys go on", Keys(VK_F5), KEY_PASS},
    };
    for (const KeyCase& c : cases) EXPECT_EQ(KeyboardReactionFor(c.keys), c.expected) << c.what;
}

TEST(KeyboardMap, BrushKeysFollowTheLayout) {
    EXPECT_EQ(BrushKeysForLayout("00000407").smaller, char(0xF6));
    EXPECT_EQ(BrushKeysForLayout("00000407").larger, '#');
    for (const char* layout : {"00000409", "00000809", "0000040C", ""}) {
        EXPECT_EQ(BrushKeysForLayout(layout).smaller, '[') << layout;
        EXPECT_EQ(BrushKeysForLayout(layout).larger, ']') << layout;
    }
    EXPECT_EQ(BrushKeysForLayout(nullptr).smaller, '[');
}

}  // namespace
