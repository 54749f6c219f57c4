// The value formatter of the editor: each conversion letter, text around conversions,
// and formats that are cut off, ask for more values than given or are not valid C.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "effect/format_string.h"
#include "tests/editor_frames.h"

namespace {

class FormatStringTest : public ::testing::Test {
protected:
    std::string Format(const std::string& format, std::vector<double> values)
    {
        e().SetString(kFormat, format);
        EXPECT_EQ(FormatString(e(), kTarget, kFormat, values), kTarget);
        return e().String(kTarget);
    }
    std::string Format(const std::string& format, double value) { return Format(format, std::vector<double>{value}); }
    TVexlEffect& e() { return f.e(); }

    static constexpr double kFormat = 5000, kTarget = 190000;
    testing_support::EditorFrames f;
};

TEST_F(FormatStringTest, FloatingConversionsPrintTheValue)
{
    EXPECT_EQ(Format("%.1f", 15), "15.0");
    EXPECT_EQ(Format("%.1f", -2.5), "-2.5");
    EXPECT_EQ(Format("%.1f", 0.19999999999999929), "0.2");
    EXPECT_EQ(Format("%e", 1234.5), "1.234500e+03");
    EXPECT_EQ(Format("%.2E", 1234.5), "1.23E+03");
    EXPECT_EQ(Format("%g", 0.0001), "0.0001");
    EXPECT_EQ(Format("%G", 1e-10), "1E-10");
    EXPECT_EQ(Format("%+08.3f", 3.14159), "+003.142");
}

TEST_F(FormatStringTest, IntegerConversionsPrintToIndexOfTheValue)
{
    EXPECT_EQ(Format("%d", 2.99995), "3"); // moved 0.0001 away from zero, then truncated
    EXPECT_EQ(Format("%d", 2.9), "2");
    EXPECT_EQ(Format("%i", -7.5), "-7");
    EXPECT_EQ(Format("%o", 8), "10");
    EXPECT_EQ(Format("%u", -1), "4294967295");
    EXPECT_EQ(Format("%x", 255), "ff");
    EXPECT_EQ(Format("%04X", 255), "00FF");
    EXPECT_EQ(Format("%c", 65), "A");
    EXPECT_EQ(Format("%-3c|", 66), "B  |");
}

TEST_F(FormatStringTest, StringConversionInsertsANumberedText)
{
    e().SetString(7, "Arial");
    EXPECT_EQ(Format("font %s", 7), "font Arial");
    EXPECT_EQ(Format("[%-8s]", 7), "[Arial   ]");
    EXPECT_EQ(Format("[%.3s]", 7), "[Ari]");
    EXPECT_EQ(Format("[%s]", 8), "[]") << "a number never set is an empty text";
}

TEST_F(FormatStringTest, OtherLettersPrintNothing)
{
    EXPECT_EQ(Format("a%kb", 1), "ab");
    EXPECT_EQ(Format("%ld", 5), "d") << "the directive ends at the first letter";
    EXPECT_EQ(Format("50%% done", 1), "50one");
}

TEST_F(FormatStringTest, TextAroundConversionsIsCopied)
{
    EXPECT_EQ(Format("gain %.1f dB", 3), "gain 3.0 dB");
    EXPECT_EQ(Format("no conversion", 3), "no conversion");
    EXPECT_EQ(Format("", 3), "");
}

TEST_F(FormatStringTest, ADirectiveCutOffByTheEndIsDropped)
{
    EXPECT_EQ(Format("abc %.1", 3), "abc ");
    EXPECT_EQ(Format("%", 3), "");
}

TEST_F(FormatStringTest, ConversionsBeyondTheValuesPrintNothing)
{
    EXPECT_EQ(Format("%.1f and %.1f", 1), "1.0 and ");
    EXPECT_EQ(Format("%.0f/%.0f/%d", std::vector<double>{1, 2, 3}), "1/2/3");
    EXPECT_EQ(Format("%d %s %x", std::vector<double>{}), "  ");
}

TEST_F(FormatStringTest, DirectivesWithoutMeaningInCPrintNothing)
{
    EXPECT_EQ(Format("[%*d]", 5), "[]") << "a width taken from the arguments";
    EXPECT_EQ(Format("[%1$d]", 5), "[]");
    EXPECT_EQ(Format("[%.1.2f]", 5), "[]");
    EXPECT_EQ(Format("[%#d]", 5), "[]");
    EXPECT_EQ(Format("[%05s]", 7), "[]");
    EXPECT_EQ(Format("[%.2c]", 65), "[]");
    EXPECT_EQ(Format("[%1000f]", 5), "[]") << "widths are at most three digits";
    EXPECT_EQ(Format("[%'d]", 5), "[]");
}

TEST_F(FormatStringTest, TheLongestAcceptedConversionFitsWhole)
{
    const std::string text = Format("%999.999f", 1e308);
    // 309 integer digits, the point and 999 decimals
    EXPECT_EQ(text.size(), 309u + 1 + 999);
    EXPECT_EQ(Format("%999d", 1).size(), 999u);
}

TEST_F(FormatStringTest, TheTargetMayBeTheFormatItself)
{
    e().SetString(kFormat, "%.2f");
    FormatString(e(), kFormat, kFormat, 1.5);
    EXPECT_EQ(e().String(kFormat), "1.50");
    FormatString(e(), 6000, 6001, 1.5);
    EXPECT_EQ(e().String(6000), "") << "a format number never set is an empty format";
}

} // namespace
