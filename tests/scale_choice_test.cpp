// Where the editor's scale comes from: the user's kept choice first, then the host's, then
// the desktop's.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "gui/scale_choice.h"
#include "tests/config_folder.h"

namespace {

using testing_support::ConfigFolder;

TEST(ScaleChoice, TheFirstSourceThatSaysSomethingWinsWithinOneToThree)
{
    EXPECT_EQ(gui::ChooseScale(1.5, 2.0, 3.0), 1.5);
    EXPECT_EQ(gui::ChooseScale(0, 2.0, 3.0), 2.0);
    EXPECT_EQ(gui::ChooseScale(0, 0, 1.25), 1.25);
    EXPECT_EQ(gui::ChooseScale(0, 0, 0), 1.0);
    EXPECT_EQ(gui::ChooseScale(0, 0.5, 2), 1.0); // a host's scale below 1 still wins, kept at 1
    EXPECT_EQ(gui::ChooseScale(0, 4.0, 0), 3.0);
    EXPECT_EQ(gui::ChooseScale(std::nan(""), 0, 2), 2.0);
}

// The choice lives in the user's configuration folder, so a new instance (or a new
// process) finds it; "Automatic" and a damaged file both mean no choice.
TEST(ScaleChoice, TheUsersChoiceIsKeptInTheConfigurationFolder)
{
    ConfigFolder config;
    EXPECT_EQ(gui::UserScaleFile(), config.Path() + "/tolvanger/scale");
    EXPECT_EQ(gui::StoredUserScale(), 0.0);

    ASSERT_TRUE(gui::StoreUserScale(1.75));
    EXPECT_EQ(gui::StoredUserScale(), 1.75);
    ASSERT_TRUE(gui::StoreUserScale(0));
    EXPECT_EQ(gui::StoredUserScale(), 0.0);

    std::ofstream(gui::UserScaleFile()) << "1,5\n";
    EXPECT_EQ(gui::StoredUserScale(), 0.0);
    std::ofstream(gui::UserScaleFile()) << "9\n";
    EXPECT_EQ(gui::StoredUserScale(), 3.0);
}

} // namespace
