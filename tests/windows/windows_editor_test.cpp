// The editor on Windows: opened in a top-level window of the test host, idled and painted
// while the host pumps its messages, pictured with BitBlt, and driven with mouse messages.

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>

#include "effect/editor_layout.h"
#include "effect/parameter_table.h"
#include "tests/plugin_fixture.h"
#include "tests/scaled_picture_checks.h"
#include "tests/windows/windows_host.h"

namespace {

using windows_host::Picture;

constexpr int kWidth = 890;
constexpr int kHeight = 550;
constexpr int kLoCompressIndex = ParameterIndex(Param::LoCompress);
constexpr int kLoGainIndex = ParameterIndex(Param::LoGain);
constexpr int kLoSoloIndex = ParameterIndex(Param::LoSolo);
constexpr int kLoBypassIndex = ParameterIndex(Param::LoBypass);

// The colours of lit switches, from (0.9, 0.9, 0.6) and (1.0, 0.4, 0.3).
constexpr std::uint32_t kSwitchColour = 0xE5E599;
constexpr std::uint32_t kBypassColour = 0xFF664C;

class WindowsEditor : public ::testing::Test {
protected:
    void SetUp() override
    {
        instance = testing_support::StartedInstance();
        ASSERT_TRUE(instance);
        host = std::make_unique<windows_host::HostWindow>(kWidth, kHeight);
        ASSERT_NE(host->get(), nullptr);
    }
    void TearDown() override
    {
        if (instance) instance->Dispatch(effEditClose);
        instance.reset();
        host.reset();
    }

    intptr_t Open() { return instance->Dispatch(effEditOpen, 0, 0, host->Parent()); }
    HWND Editor() const { return host->Child(); }

    // What a host does between its editor's idle calls: pump the window messages.
    void IdleFor(int milliseconds)
    {
        const DWORD end = GetTickCount() + static_cast<DWORD>(milliseconds);
        while (static_cast<int>(end - GetTickCount()) > 0) {
            windows_host::PumpMessages();
            instance->Dispatch(effEditIdle);
            Sleep(10);
        }
        windows_host::PumpMessages();
    }

    void Mouse(UINT message, int x, int y, WPARAM keys)
    {
        PostMessageA(Editor(), message, keys, MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)));
    }

    static Picture Skin() { return Picture::FromFile(windows_host::ProgramFolder() + "tolvanger_gfx\\bg.png"); }

    // Every pixel of the box has the colour.
    static int PixelsOfColour(const Picture& picture, int x, int y, int width, int height, std::uint32_t colour)
    {
        int count = 0;
        for (int row = y; row < y + height; ++row)
            for (int column = x; column < x + width; ++column)
                count += picture.Pixel(column, row) == colour;
        return count;
    }

    std::unique_ptr<hostkit::PluginInstance> instance;
    std::unique_ptr<windows_host::HostWindow> host;
};

TEST_F(WindowsEditor, IsAChildWindowOfTheLibrarysOwnClass)
{
    ASSERT_EQ(Open(), 1);
    const HWND editor = Editor();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(GetParent(editor), host->get());

    char name[64] = {};
    GetClassNameA(editor, name, sizeof name);
    char expected[64] = {};
    std::snprintf(expected, sizeof expected, "Plugin%p", testing_support::PluginLibrary().Handle());
    EXPECT_STREQ(name, expected);
    char title[32] = {};
    GetWindowTextA(editor, title, sizeof title);
    EXPECT_STREQ(title, "Window");

    EXPECT_NE(GetClassLongPtrA(editor, GCL_STYLE) & CS_DBLCLKS, 0u);
    EXPECT_EQ(reinterpret_cast<HCURSOR>(GetClassLongPtrA(editor, GCLP_HCURSOR)), LoadCursor(nullptr, IDC_ARROW));
    EXPECT_EQ(GetClassLongPtrA(editor, GCLP_HBRBACKGROUND), 0u);
    const auto style = static_cast<DWORD>(GetWindowLongPtrA(editor, GWL_STYLE));
    const DWORD wanted = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    EXPECT_EQ(style & wanted, wanted);
    // Windows 6.0 and later compose the window; before, the frame paints through an image.
    const bool composing = LOBYTE(LOWORD(GetVersion())) >= 6;
    EXPECT_EQ((static_cast<DWORD>(GetWindowLongPtrA(editor, GWL_EXSTYLE)) & WS_EX_COMPOSITED) != 0, composing);
    std::printf("    Windows %u.%u\n", LOBYTE(LOWORD(GetVersion())), HIBYTE(LOWORD(GetVersion())));
    RECT client{};
    GetClientRect(editor, &client);
    EXPECT_EQ(client.right, kWidth);
    EXPECT_EQ(client.bottom, kHeight);

    // Erase requests are answered as done, without painting.
    IdleFor(200);
    const Picture before = Picture::OfWindow(editor);
    HDC dc = GetDC(editor);
    EXPECT_NE(SendMessageA(editor, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0), 0);
    ReleaseDC(editor, dc);
    EXPECT_EQ(Picture::OfWindow(editor).DifferingPixels(before, 0, 0, kWidth, kHeight), 0);
}

TEST_F(WindowsEditor, PictureShowsTheSkinAndTheSwitchesInTheirColours)
{
    instance->SetParameter(kLoSoloIndex, 1.0f);
    instance->SetParameter(kLoBypassIndex, 1.0f);
    ASSERT_EQ(Open(), 1);
    IdleFor(400);
    const Picture picture = Picture::OfWindow(Editor());
    ASSERT_EQ(picture.Width(), kWidth);
    ASSERT_EQ(picture.Height(), kHeight);
    const std::string saved = windows_host::ProgramFolder() + "windows-editor.png";
    ASSERT_TRUE(picture.SavePng(saved));
    const Picture file = Picture::FromFile(saved);
    EXPECT_EQ(file.DifferingPixels(picture, 0, 0, kWidth, kHeight), 0) << "the PNG holds the window's pixels";

    // The skin where the drawing section draws nothing over it: the title band and the left edge.
    const Picture skin = Skin();
    ASSERT_EQ(skin.Width(), kWidth);
    EXPECT_EQ(windows_host::TitleBandDifference(picture, skin), 0);
    EXPECT_EQ(picture.DifferingPixels(skin, 0, 0, 46, 520), 0);

    // The three section switches are on by default: 6 by 6 squares two pixels into their boxes.
    for (const int top : {59, 169, 279}) {
        EXPECT_EQ(PixelsOfColour(picture, 51, top + 2, 6, 6, kSwitchColour), 36) << top;
        EXPECT_EQ(picture.DifferingPixels(skin, 49, top, 2, 10), 0) << top;
    }
    // LO Solo and LO Bypass, 13-pixel switches lighting 9 by 9.
    EXPECT_EQ(PixelsOfColour(picture, 571, 452, 9, 9, kSwitchColour), 81);
    EXPECT_EQ(PixelsOfColour(picture, 571, 479, 9, 9, kBypassColour), 81);
    EXPECT_EQ(PixelsOfColour(picture, 651, 452, 9, 9, kSwitchColour), 0) << "LM Solo is off";
}

TEST_F(WindowsEditor, ValueTextsAppearAndFollowTheParameter)
{
    ASSERT_EQ(Open(), 1);
    IdleFor(300);
    const Picture skin = Skin();
    const Picture at15 = Picture::OfWindow(Editor());
    // "15.0dB" right of the LO Compress track, from x 415.
    EXPECT_GT(at15.DifferingPixels(skin, 415, 59, 60, 16), 20) << "no text in the value column";
    EXPECT_GT(at15.DifferingPixels(skin, 15, 525, 80, 13), 5) << "no build label";

    instance->SetParameter(kLoCompressIndex, 1.0f); // 40 dB
    IdleFor(200);
    const Picture at40 = Picture::OfWindow(Editor());
    EXPECT_GT(at40.DifferingPixels(at15, 415, 59, 60, 16), 10);
    EXPECT_EQ(at40.DifferingPixels(at15, 415, 79, 60, 16), 0) << "LM Compress is unchanged";
}

TEST_F(WindowsEditor, DraggingTheLoGainKnobChangesParameter10)
{
    ASSERT_EQ(instance->ParameterName(kLoGainIndex), "LO Gain");
    EXPECT_EQ(instance->ParameterDisplay(kLoGainIndex), "0.00");
    ASSERT_EQ(Open(), 1);
    IdleFor(200);

    // The knob of LO Gain at 0 dB covers x 247 to 278 on the track from y 279.
    Mouse(WM_MOUSEMOVE, 262, 286, 0);
    IdleFor(100);
    Mouse(WM_LBUTTONDOWN, 262, 286, MK_LBUTTON);
    IdleFor(100);
    EXPECT_EQ(GetCapture(), Editor()) << "a press captures the mouse";
    for (int x = 270; x <= 300; x += 10) {
        Mouse(WM_MOUSEMOVE, x, 290, MK_LBUTTON);
        IdleFor(60);
    }
    Mouse(WM_LBUTTONUP, 300, 290, 0);
    IdleFor(150);
    EXPECT_EQ(GetCapture(), nullptr) << "the release ends the capture";

    // Knob at 300 - 110 - 13 = 177 pixels of 272: ceil(260.29) / 10 - 20 = 6.1 dB
    EXPECT_NEAR(instance->GetParameter(kLoGainIndex), (6.1 + 20) / 40, 1e-6);
    EXPECT_EQ(instance->ParameterDisplay(kLoGainIndex), "6.10");

    // A press away from every control, dragged out of the window, changes nothing more.
    Mouse(WM_MOUSEMOVE, 300, 530, 0);
    IdleFor(60);
    Mouse(WM_LBUTTONDOWN, 300, 530, MK_LBUTTON);
    IdleFor(60);
    Mouse(WM_MOUSEMOVE, -40, 600, MK_LBUTTON);
    IdleFor(60);
    Mouse(WM_LBUTTONUP, -40, 600, 0);
    IdleFor(60);
    EXPECT_EQ(instance->ParameterDisplay(kLoGainIndex), "6.10");
}

// The gestures over the drags: a Control click resets LO Gain, the wheel steps it by its
// step (0.1 dB) a notch.
TEST_F(WindowsEditor, ControlClickResetsAndTheWheelSteps)
{
    ASSERT_EQ(Open(), 1);
    IdleFor(200);
    instance->SetParameter(kLoGainIndex, 0.8f);
    IdleFor(100);
    Mouse(WM_MOUSEMOVE, 345, 286, 0);
    IdleFor(100);
    Mouse(WM_LBUTTONDOWN, 345, 286, MK_LBUTTON | MK_CONTROL);
    IdleFor(60);
    Mouse(WM_LBUTTONUP, 345, 286, MK_CONTROL);
    IdleFor(100);
    EXPECT_EQ(instance->ParameterDisplay(kLoGainIndex), "0.00");

    POINT at{200, 286};
    ClientToScreen(Editor(), &at);
    for (int notch = 0; notch < 3; ++notch) {
        PostMessageA(Editor(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), MAKELPARAM(at.x, at.y));
        IdleFor(30);
    }
    IdleFor(600);
    EXPECT_EQ(instance->ParameterDisplay(kLoGainIndex), "0.30");
}

TEST_F(WindowsEditor, ClosesAndOpensAgain)
{
    ASSERT_EQ(Open(), 1);
    IdleFor(200);
    const HWND first = Editor();
    ASSERT_NE(first, nullptr);
    char key = 'a';
    EXPECT_EQ(instance->Dispatch(effEditKeyDown, key, 0, nullptr, 0), 1);

    instance->Dispatch(effEditClose);
    EXPECT_FALSE(IsWindow(first));
    EXPECT_EQ(Editor(), nullptr);
    IdleFor(100);
    EXPECT_EQ(instance->Dispatch(effEditKeyDown, key, 0, nullptr, 0), 0);

    ASSERT_EQ(Open(), 1);
    IdleFor(300);
    ASSERT_NE(Editor(), nullptr);
    const Picture picture = Picture::OfWindow(Editor());
    EXPECT_EQ(windows_host::TitleBandDifference(picture, Skin()), 0);
    EXPECT_EQ(PixelsOfColour(picture, 51, 61, 6, 6, kSwitchColour), 36);
}

TEST_F(WindowsEditor, SurvivesTheHostWindowGoingFirst)
{
    ASSERT_EQ(Open(), 1);
    IdleFor(100);
    const HWND editor = Editor();
    host.reset(); // destroys the editor's window with its parent
    EXPECT_FALSE(IsWindow(editor));
    IdleFor(50);
    instance->Dispatch(effEditClose);
    host = std::make_unique<windows_host::HostWindow>(kWidth, kHeight);
    ASSERT_EQ(Open(), 1);
    IdleFor(100);
    EXPECT_NE(Editor(), nullptr);
}

TEST_F(WindowsEditor, AParentThatIsNoWindowGivesNoWindow)
{
    EXPECT_EQ(instance->Dispatch(effEditOpen, 0, 0, nullptr), 1);
    IdleFor(50);
    EXPECT_EQ(instance->Dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(uintptr_t{0x7ffffff0})), 1);
    IdleFor(50);
    EXPECT_EQ(Editor(), nullptr);
    instance->Dispatch(effEditClose);
    instance->Dispatch(effEditClose);
}

// The host's scale 2 through the vendor-specific call: the editor opens at 1780 by 1100,
// shows the picture it shows at 1 on a finer grid (text laid out at twice the size, not
// magnified), and a drag of so many editor units moves a knob as far as at 1.
TEST_F(WindowsEditor, AtTheHostsScale2TheEditorIsTwiceTheSizeSharpAndDragsAsAtOne)
{
    ASSERT_EQ(Open(), 1);
    IdleFor(300);
    const Picture one = Picture::OfWindow(Editor());
    ASSERT_EQ(one.Width(), kWidth);
    instance->Dispatch(effEditClose);

    host = std::make_unique<windows_host::HostWindow>(2 * kWidth, 2 * kHeight);
    ASSERT_EQ(instance->Dispatch(effVendorSpecific, FourCharCode('P', 'r', 'e', 'S'), FourCharCode('A', 'e', 'C', 's'),
                                 nullptr, 2.0f),
              1);
    ERect* rect = nullptr;
    ASSERT_EQ(instance->Dispatch(effEditGetRect, 0, 0, &rect), 1);
    EXPECT_EQ(rect->right - rect->left, 2 * kWidth);
    EXPECT_EQ(rect->bottom - rect->top, 2 * kHeight);
    ASSERT_EQ(Open(), 1);
    RECT client{};
    GetClientRect(Editor(), &client);
    EXPECT_EQ(client.right, 2 * kWidth);
    EXPECT_EQ(client.bottom, 2 * kHeight);
    IdleFor(400);
    const Picture two = Picture::OfWindow(Editor());
    ASSERT_EQ(two.Width(), 2 * kWidth);
    const auto pixels = [](const Picture& picture) {
        return [&picture](int x, int y) { return picture.Pixel(x, y) & 0xFFFFFFu; };
    };
    EXPECT_LT(testing_support::ReducedDifference(pixels(two), pixels(one), 2, {0, 0, kWidth, kHeight}), 4.0);
    const testing_support::UnitBox valueTexts{static_cast<int>(X0 + kSliderWidth + kValueTextGap),
                                              static_cast<int>(Y0), 60, 75};
    // The 1x picture magnified pixel for pixel scores 0; GDI+ text at 2 under Wine scores about 0.5.
    EXPECT_GT(testing_support::SharpShare(pixels(two), pixels(one), 2, valueTexts), 0.35);

    Mouse(WM_MOUSEMOVE, 2 * 262, 2 * 286, 0);
    IdleFor(100);
    Mouse(WM_LBUTTONDOWN, 2 * 262, 2 * 286, MK_LBUTTON);
    IdleFor(100);
    for (int x = 270; x <= 300; x += 10) {
        Mouse(WM_MOUSEMOVE, 2 * x, 2 * 290, MK_LBUTTON);
        IdleFor(60);
    }
    Mouse(WM_LBUTTONUP, 2 * 300, 2 * 290, 0);
    IdleFor(150);
    EXPECT_EQ(instance->ParameterDisplay(kLoGainIndex), "6.10");
}

} // namespace
