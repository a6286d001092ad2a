#include "ControlKeys.h"
#include "KeyDefinition.h"
#include "VirtualKeys.h"

#include <gtest/gtest.h>

#include <string>

namespace wz {
namespace {

TEST(ControlKeys, UnboundSlotMatchesNoKey) {
    ControlKeys keys = defaultControlKeys;
    keys[kLeftSlot] = 0;
    EXPECT_FALSE(KeyMatches(keys, kLeftSlot, 0));
    EXPECT_TRUE(KeyMatches(keys, kRightSlot, VK_RIGHT));
    // Codes are compared over the whole range; a wider code never matches an 8-bit binding.
    keys[kRightSlot] = 0xBA;
    EXPECT_TRUE(KeyMatches(keys, kRightSlot, 0xBA));
    EXPECT_FALSE(KeyMatches(keys, kRightSlot, 0x1BA));
}

TEST(KeyName, NamedKeysAndOneCharacterNames) {
    const struct {
        std::uint8_t code;
        std::string name;
    } cases[] = {
        {0x00, "-----"}, {0x08, "BACK"},    {0x09, "TAB"},    {0x10, "SHIFT"}, {0x11, "CONTROL"},
        {0x12, "ALT"},   {0x14, "CAPITAL"}, {0x1B, "ESCAPE"}, {0x20, "SPACE"}, {0x25, "LEFT"},
        {0x26, "UP"},    {0x27, "RIGHT"},   {0x28, "DOWN"},   {'Q', "Q"},      {'7', "7"},
        {0xBA, "\xBA"},  {0xFF, "\xFF"},    {0x01, "\x01"},
    };
    for (const auto& test : cases) {
        EXPECT_EQ(KeyName(test.code), test.name) << int(test.code);
    }
}

TEST(KeyDefinition, BindsLeftRightRotateDropDownInTurn) {
    ControlKeys keys = defaultControlKeys;
    KeyDefinition definition;
    ASSERT_TRUE(definition.Begin(keys));
    EXPECT_EQ(keys, (ControlKeys{0, 0, 0, 0, 0}));
    EXPECT_EQ(KeyName(keys[kLeftSlot]), "-----");

    const char pressed[] = {'Q', 'W', 'E', 'R', 'T'};
    for (int step = 0; step < 5; ++step) {
        EXPECT_EQ(definition.Prompt(), definePrompts[step]);
        EXPECT_TRUE(definition.OnKeyEvent(keys, pressed[step], false, false));
    }
    EXPECT_EQ(definition.Prompt(), "Definition completed");
    EXPECT_EQ(definition.definingKeys, 0);
    EXPECT_EQ(keys[kLeftSlot], 'Q');
    EXPECT_EQ(keys[kRightSlot], 'W');
    EXPECT_EQ(keys[kRotateSlot], 'E');
    EXPECT_EQ(keys[kDropSlot], 'R');
    EXPECT_EQ(keys[kDownSlot], 'T');
    // Once done, further keys change nothing.
    EXPECT_FALSE(definition.OnKeyEvent(keys, 'Z', false, false));
    EXPECT_EQ(keys[kDownSlot], 'T');
}

TEST(KeyDefinition, IgnoresReleasesAutoRepeatsAndSecondStarts) {
    ControlKeys keys = defaultControlKeys;
    KeyDefinition definition;
    definition.Begin(keys);
    EXPECT_TRUE(definition.OnKeyEvent(keys, 'A', false, false));
    EXPECT_FALSE(definition.OnKeyEvent(keys, 'A', false, true)); // held down
    EXPECT_FALSE(definition.OnKeyEvent(keys, 'A', true, false)); // released
    EXPECT_EQ(definition.defineStep, 1);
    EXPECT_EQ(keys[kRightSlot], 0);

    keys[kRightSlot] = 'X';
    EXPECT_FALSE(definition.Begin(keys)) << "Define Keys is ignored while defining";
    EXPECT_EQ(keys[kRightSlot], 'X');
    EXPECT_EQ(definition.defineStep, 1);
}

// Default Keys in the middle of a definition shows the defaults, and the next key captured
// overwrites the slot of the current prompt.
TEST(KeyDefinition, DefaultKeysMidwayLeavesTheDefinitionRunning) {
    ControlKeys keys{};
    KeyDefinition definition;
    definition.Begin(keys);
    definition.OnKeyEvent(keys, 'Q', false, false);
    definition.OnKeyEvent(keys, 'W', false, false);
    RestoreDefaultKeys(keys);
    EXPECT_EQ(keys, defaultControlKeys);
    EXPECT_EQ(definition.Prompt(), "Press Rotate key");
    definition.OnKeyEvent(keys, 0x1E5, false, false); // only the low 8 bits are kept
    EXPECT_EQ(keys[kRotateSlot], 0xE5);
    EXPECT_EQ(keys[kLeftSlot], VK_LEFT);
}

TEST(KeyDefinition, AbandonedCaptureLeavesKeysCleared) {
    ControlKeys keys = defaultControlKeys;
    KeyDefinition definition;
    definition.Begin(keys);
    definition.Abandon();
    EXPECT_EQ(definition.definingKeys, 0);
    EXPECT_FALSE(definition.OnKeyEvent(keys, 'Q', false, false));
    EXPECT_EQ(keys, (ControlKeys{0, 0, 0, 0, 0}));
    EXPECT_TRUE(definition.Begin(keys)) << "a new definition may start";
}

} // namespace
} // namespace wz
