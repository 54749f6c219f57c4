// The presets in the editor's title strip, driven as its clicks drive it, with the menus
// answered by the test: the bank and the user's presets in the menu, a load heard by the host
// as one gesture per changed parameter, "Save as…" (asking before replacing), previous and
// next, A/B and copy. (Through a real window: editor_x11_drag_test.cpp.)

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/factory_presets.h"
#include "core/plugin.h"
#include "core/preset_strip.h"
#include "effect/parameter_table.h"
#include "gui/input.h"
#include "gui/popup_menu.h"
#include "tests/config_folder.h"
#include "tests/quiet_host.h"

namespace {

using testing_support::ConfigFolder;
using testing_support::QuietHost;

// A strip whose menus the test answers: each shown menu is kept, and the next answer given.
struct Strip {
    QuietHost host;
    Plugin plugin{host};
    PresetStrip strip{plugin, plugin.EditorPresets()};
    std::vector<std::vector<gui::MenuItem>> menus;
    std::vector<int> answers;

    Strip()
    {
        strip.SetWindowCalls(
            [this](double, double, const std::vector<gui::MenuItem>& items) {
                menus.push_back(items);
                if (answers.empty()) return -1;
                const int answer = answers.front();
                answers.erase(answers.begin());
                return answer;
            },
            {}, {});
    }
    void Click(PresetStrip::Box box) { strip.MouseDown((box.left + box.right) / 2, 15, gui::kLeftButton); }
    void Type(const std::string& text)
    {
        for (char c : text) {
            gui::Key key;
            key.character = static_cast<unsigned char>(c);
            key.text = true;
            strip.KeyDown(key);
        }
        gui::Key enter;
        enter.name = gui::KeyName::kEnter;
        strip.KeyDown(enter);
    }
    double Value(Param p) { return plugin.GetValue(ParameterIndex(p)); }
};

TEST(PresetStrip, AFactoryPresetFromTheMenuLoadsAsOneGesturePerChangedParameter)
{
    ConfigFolder config;
    Strip s;
    EXPECT_EQ(s.strip.ShownName(), "(no preset)");
    const int wanted = 4; // "Drum Punch"
    s.answers = {wanted};
    s.Click(PresetStrip::kName);
    ASSERT_EQ(s.menus.size(), 1u);
    const std::vector<gui::MenuItem>& menu = s.menus[0];
    for (int i = 0; i < kFactoryPresetCount; ++i)
        EXPECT_EQ(menu[static_cast<size_t>(i)].text, kFactoryPresets[i].name);
    EXPECT_TRUE(menu[kFactoryPresetCount].separator);
    EXPECT_EQ(menu.back().text, "Save as\xE2\x80\xA6");

    int changed = 0;
    for (int i = 0; i < kParameterTableSize; ++i) {
        EXPECT_EQ(s.plugin.GetValue(i), kFactoryPresets[wanted].values[i]) << kParameterTable[i].name;
        changed += kFactoryPresets[wanted].values[i] != kParameterTable[i].defaultValue;
    }
    std::string expected;
    for (int i = 0; i < changed; ++i)
        expected += "BAE";
    EXPECT_EQ(s.host.edits, expected);
    EXPECT_EQ(s.strip.ShownName(), kFactoryPresets[wanted].name);
    EXPECT_EQ(s.plugin.ProgramName(), kFactoryPresets[wanted].name);
    // Edited since it was loaded: marked.
    s.plugin.SetValue(ParameterIndex(Param::Output), 3.0);
    EXPECT_EQ(s.strip.ShownName(), std::string(kFactoryPresets[wanted].name) + " *");
    // Next and previous go round the bank.
    s.Click(PresetStrip::kNext);
    EXPECT_EQ(s.strip.ShownName(), kFactoryPresets[wanted + 1].name);
    s.Click(PresetStrip::kPrevious);
    s.Click(PresetStrip::kPrevious);
    EXPECT_EQ(s.strip.ShownName(), kFactoryPresets[wanted - 1].name);
}

TEST(PresetStrip, SaveAsWritesAPresetANewInstanceListsAndAsksBeforeReplacing)
{
    ConfigFolder config;
    {
        Strip s;
        s.plugin.SetValue(ParameterIndex(Param::LoGain), 4.5);
        s.Click(PresetStrip::kSaveAs);
        EXPECT_TRUE(s.strip.Naming());
        s.Type("Night Bus");
        EXPECT_FALSE(s.strip.Naming());
        EXPECT_EQ(s.strip.ShownName(), "Night Bus");
        // The same name again: the user is asked, and Cancel keeps the first.
        s.plugin.SetValue(ParameterIndex(Param::LoGain), -2.0);
        s.answers = {1};
        s.Click(PresetStrip::kSaveAs);
        s.Type("night bus");
        ASSERT_EQ(s.menus.size(), 1u);
        EXPECT_EQ(s.menus[0][1].text, "Cancel");
    }
    // A damaged file beside it is listed, but cannot be picked.
    std::ofstream(config.Path() + "/tolvanger/presets/Broken.fxp") << "not a preset";
    Strip fresh;
    fresh.answers = {kFactoryPresetCount + 2};
    fresh.Click(PresetStrip::kName);
    ASSERT_EQ(fresh.menus.size(), 1u);
    const std::vector<gui::MenuItem>& menu = fresh.menus[0];
    ASSERT_GT(menu.size(), static_cast<size_t>(kFactoryPresetCount + 2));
    EXPECT_EQ(menu[kFactoryPresetCount + 1].text, "Broken (unreadable)");
    EXPECT_FALSE(menu[kFactoryPresetCount + 1].Pickable());
    EXPECT_EQ(menu[kFactoryPresetCount + 2].text, "Night Bus");
    EXPECT_EQ(fresh.Value(Param::LoGain), 4.5) << "the first save, kept";

    // Replace, when the user says so.
    fresh.plugin.SetValue(ParameterIndex(Param::LoGain), -6.0);
    fresh.answers = {0};
    fresh.Click(PresetStrip::kSaveAs);
    fresh.Type("Night Bus");
    Strip third;
    third.answers = {kFactoryPresetCount + 2};
    third.Click(PresetStrip::kName);
    EXPECT_EQ(third.Value(Param::LoGain), -6.0);
}

// A folder that cannot be made (a file stands where it would be; as root a read-only folder
// is no obstacle) is told in the strip and changes nothing.
TEST(PresetStrip, AFolderThatCannotBeWrittenIsToldNotFatal)
{
    ConfigFolder config;
    std::ofstream(config.Path() + "/tolvanger") << "a file where the folder would be";
    Strip s;
    s.Click(PresetStrip::kSaveAs);
    s.Type("Anything");
    EXPECT_NE(s.strip.Message().find("Not saved"), std::string::npos) << s.strip.Message();
    EXPECT_EQ(s.strip.ShownName(), "(no preset)");
}

TEST(PresetStrip, AAndBAreTwoSettingsToSwitchBetweenAndCopy)
{
    ConfigFolder config;
    Strip s;
    s.plugin.SetValue(ParameterIndex(Param::LoGain), 3.0);
    s.Click(PresetStrip::kSlotB);
    EXPECT_EQ(s.Value(Param::LoGain), 3.0) << "B starts as A";
    s.plugin.SetValue(ParameterIndex(Param::LoGain), -5.0);
    s.plugin.SetValue(ParameterIndex(Param::Punch), 1.0);
    s.host.edits.clear();
    s.Click(PresetStrip::kSlotA);
    EXPECT_EQ(s.Value(Param::LoGain), 3.0);
    EXPECT_EQ(s.Value(Param::Punch), 0.0);
    EXPECT_EQ(s.host.edits, "BAEBAE") << "one gesture per changed parameter";
    s.Click(PresetStrip::kSlotB);
    EXPECT_EQ(s.Value(Param::LoGain), -5.0);
    // Copy A to B while on B: B becomes A, heard at once.
    s.Click(PresetStrip::kCopy);
    EXPECT_EQ(s.Value(Param::LoGain), 3.0);
    s.Click(PresetStrip::kSlotA);
    s.Click(PresetStrip::kSlotB);
    EXPECT_EQ(s.Value(Param::Punch), 0.0);
}

} // namespace
