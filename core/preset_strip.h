#pragma once
// The presets in the editor's title strip, left of the vendor's name: the current preset's
// name (with a star once edited since it was loaded) opening a menu of the factory bank and
// the user's presets, previous and next, "Save as…", and A/B: two complete settings to switch
// between with one click, with "Copy A to B". Loading a preset or switching A/B is one change
// for the audio and one edit gesture per changed parameter for the host (Plugin::LoadPreset),
// so the host records it and a project saved afterwards keeps it. The strip lies in the band
// above every control; a right click there still opens the zoom menu (core/editor_frame.h).
// Thread: the editor's.

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/presets.h"
#include "core/text_line.h"

class Plugin;
namespace gui {
class DrawContext;
class Font;
struct Key;
struct MenuItem;
} // namespace gui

// What the strip keeps for an instance while its editor is closed and opened again.
struct PresetMemory {
    // The preset last loaded or saved, and its values then; empty before any.
    std::string name;
    presets::Values loaded{};
    // The A and B settings; a slot is filled the first time it is left.
    presets::Values slots[2]{};
    bool filled[2] = {false, false};
    int active = 0;
};

class PresetStrip {
public:
    using Clock = std::chrono::steady_clock;
    // Shows a menu at (x, y) in editor units; answers the item picked or -1.
    using Menu = std::function<int(double x, double y, const std::vector<gui::MenuItem>& items)>;

    static constexpr double kTop = 5;
    static constexpr double kBottom = 25;
    // The parts of the strip, left to right, in editor units.
    struct Box {
        double left, right;
    };
    static constexpr Box kPrevious{290, 308};
    static constexpr Box kName{310, 500};
    static constexpr Box kNext{502, 520};
    static constexpr Box kSaveAs{528, 596};
    static constexpr Box kSlotA{606, 624};
    static constexpr Box kSlotB{626, 644};
    static constexpr Box kCopy{652, 736};

    PresetStrip(Plugin& plugin, PresetMemory& memory);
    ~PresetStrip();
    PresetStrip(const PresetStrip&) = delete;
    PresetStrip& operator=(const PresetStrip&) = delete;

    // The window's menus, repaints and keyboard focus (taken while a name is typed).
    void SetWindowCalls(Menu menu, std::function<void()> repaint, std::function<void(bool take)> focus);

    // True when the strip took the press (a left press on one of its parts).
    bool MouseDown(double x, double y, int buttons);
    // True while a name is typed: every key is the strip's then.
    bool KeyDown(const gui::Key& key);
    void Idle(Clock::time_point now = Clock::now());
    void Draw(gui::DrawContext& context);

    // What the name box shows ("Drum Punch *"), and a message after a failed save.
    std::string ShownName() const;
    const std::string& Message() const { return message_; }
    bool Naming() const { return naming_; }

    // The parts' actions, as a click does them.
    void OpenMenu();
    void Step(int direction);
    void StartSaveAs();
    void SwitchTo(int slot);
    void CopyAToB();

private:
    // A preset of the menu: factory or the user's, with its values.
    struct Entry {
        std::string name;
        presets::Values values{};
        bool readable = true;
        std::string problem;
    };
    std::vector<Entry> Entries() const;
    void Load(const Entry& entry);
    void FinishSaveAs(bool take);
    void Say(std::string message);
    void Repaint();

    Plugin& plugin_;
    PresetMemory& memory_;
    Menu menu_;
    std::function<void()> repaint_;
    std::function<void(bool)> focus_;
    std::shared_ptr<const gui::Font> font_;
    bool naming_ = false;
    TextLine nameLine_;
    std::string message_;
    Clock::time_point messageUntil_{};
};
