#include <gtest/gtest.h>

#include "gui/font.h"

namespace {

TEST(Font, MetricAliasesCountAsExisting)
{
    const gui::Font arial("Arial", 12, 0);
    EXPECT_TRUE(arial.Exists());
    EXPECT_TRUE(arial.IsUsable());
    EXPECT_EQ(arial.ResolvedFamily(), "Liberation Sans");

    const gui::Font courier("Courier New", 12, 0);
    EXPECT_TRUE(courier.Exists());
    EXPECT_EQ(courier.ResolvedFamily(), "Liberation Mono");
}

TEST(Font, FamilyNamesIgnoreCase)
{
    EXPECT_TRUE(gui::Font("arial", 12, 0).Exists());
    EXPECT_TRUE(gui::Font("COURIER NEW", 12, 0).Exists());
}

TEST(Font, AFamilyThatIsOnlyAFallBackDoesNotExist)
{
    const gui::Font bogus("No Such Family Tolvanger", 12, 0);
    EXPECT_FALSE(bogus.Exists());
    EXPECT_FALSE(bogus.IsUsable());
    EXPECT_EQ(bogus.ResolvedFamily(), "");
    EXPECT_EQ(bogus.MeasureText("abc"), -1);
    EXPECT_FALSE(gui::Font("", 12, 0).Exists());
}

TEST(Font, ASizeOfZeroExistsButIsNotUsable)
{
    const gui::Font zero("Arial", 0, 0);
    EXPECT_TRUE(zero.Exists());
    EXPECT_FALSE(zero.IsUsable());
    EXPECT_EQ(zero.MeasureText("abc"), -1);
}

TEST(Font, UnderlineWinsOverItalicOverBold)
{
    struct Case {
        int style;
        bool bold, italic, underline;
    };
    for (const Case c : {Case{0, false, false, false}, Case{1, true, false, false}, Case{2, false, true, false},
                         Case{3, false, true, false}, Case{4, false, false, true}, Case{5, false, false, true},
                         Case{6, false, false, true}, Case{7, false, false, true}}) {
        const gui::Font font("Arial", 12, c.style);
        EXPECT_EQ(font.IsBold(), c.bold) << c.style;
        EXPECT_EQ(font.IsItalic(), c.italic) << c.style;
        EXPECT_EQ(font.IsUnderlined(), c.underline) << c.style;
    }
}

TEST(Font, StylesKeepTheFamily)
{
    for (int style : {1, 2, 4}) {
        const gui::Font font("Arial", 12, style);
        EXPECT_TRUE(font.IsUsable()) << style;
        EXPECT_EQ(font.ResolvedFamily(), "Liberation Sans") << style;
    }
}

} // namespace
