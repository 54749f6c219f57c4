#include "core/preset_strip.h"

#include <algorithm>

#include "core/plugin.h"
#include "gui/draw_context.h"
#include "gui/font.h"
#include "gui/input.h"
#include "gui/popup_menu.h"

namespace {

// A failed save is told in the name box this long.
constexpr auto kMessageTime = std::chrono::seconds(4);
constexpr std::size_t kLongestName = presets::kLongestUserName;
constexpr const char* kSaveAsText = "Save as\xE2\x80\xA6"; // "Save as…"

bool Within(double x, double y, PresetStrip::Box box)
{
    return x >= box.left && x < box.right && y >= PresetStrip::kTop && y < PresetStrip::kBottom;
}

gui::Colour Grey(std::uint8_t level) { return {level, level, level, 255}; }

} // namespace

PresetStrip::PresetStrip(Plugin& plugin, PresetMemory& memory)
    : plugin_(plugin), memory_(memory), font_(std::make_shared<gui::Font>("Arial", 11, 0)), nameLine_(kLongestName)
{
}

PresetStrip::~PresetStrip()
{
    if (naming_ && focus_) focus_(false);
}

void PresetStrip::SetWindowCalls(Menu menu, std::function<void()> repaint, std::function<void(bool take)> focus)
{
    menu_ = std::move(menu);
    repaint_ = std::move(repaint);
    focus_ = std::move(focus);
}

void PresetStrip::Repaint()
{
    if (repaint_) repaint_();
}

std::string PresetStrip::ShownName() const
{
    if (memory_.name.empty()) return "(no preset)";
    return plugin_.PresetValues() == memory_.loaded ? memory_.name : memory_.name + " *";
}

bool PresetStrip::MouseDown(double x, double y, int buttons)
{
    const int held = buttons & (gui::kLeftButton | gui::kMiddleButton | gui::kRightButton | gui::kExtraButton1 |
                                gui::kExtraButton2);
    if (naming_) {
        if (held == gui::kLeftButton && Within(x, y, kName)) return true;
        // A click elsewhere leaves the name untyped, and does what it does.
        FinishSaveAs(false);
    }
    if (held != gui::kLeftButton || y < kTop || y >= kBottom) return false;
    if (Within(x, y, kPrevious))
        Step(-1);
    else if (Within(x, y, kName))
        OpenMenu();
    else if (Within(x, y, kNext))
        Step(1);
    else if (Within(x, y, kSaveAs))
        StartSaveAs();
    else if (Within(x, y, kSlotA))
        SwitchTo(0);
    else if (Within(x, y, kSlotB))
        SwitchTo(1);
    else if (Within(x, y, kCopy))
        CopyAToB();
    else
        return false;
    return true;
}

std::vector<PresetStrip::Entry> PresetStrip::Entries() const
{
    std::vector<Entry> entries;
    for (int i = 0; i < presets::FactoryCount(); ++i)
        entries.push_back({presets::Factory(i)->name, presets::FactoryValues(i), true, {}});
    for (presets::UserPreset& user : presets::ListUserPresets())
        entries.push_back({std::move(user.name), user.values, user.readable, std::move(user.problem)});
    return entries;
}

void PresetStrip::Load(const Entry& entry)
{
    if (!entry.readable || !plugin_.LoadPreset(entry.values, entry.name, Plugin::PresetEdits::kTellHost)) return;
    memory_.name = entry.name;
    memory_.loaded = plugin_.PresetValues();
    Repaint();
}

// The factory bank, then the user's presets (one that cannot be read is shown, not offered),
// then "Save as…".
void PresetStrip::OpenMenu()
{
    if (!menu_) return;
    const std::vector<Entry> entries = Entries();
    std::vector<gui::MenuItem> items;
    std::vector<int> entryOf;
    const int factory = presets::FactoryCount();
    for (int i = 0; i < static_cast<int>(entries.size()); ++i) {
        if (i == factory) {
            items.push_back({"", false, false, true});
            entryOf.push_back(-1);
        }
        const Entry& e = entries[static_cast<size_t>(i)];
        items.push_back({e.readable ? e.name : e.name + " (unreadable)",
                         e.readable && presets::SameName(e.name, memory_.name), e.readable, false});
        entryOf.push_back(i);
    }
    items.push_back({"", false, false, true});
    items.push_back({kSaveAsText});
    const int chosen = menu_(kName.left, kBottom + 1, items);
    if (chosen < 0 || chosen >= static_cast<int>(items.size())) return;
    if (chosen == static_cast<int>(items.size()) - 1) {
        StartSaveAs();
        return;
    }
    const int entry = entryOf[static_cast<size_t>(chosen)];
    if (entry >= 0) Load(entries[static_cast<size_t>(entry)]);
}

// The previous or next preset the menu offers, round the ends; from none, the first or last.
void PresetStrip::Step(int direction)
{
    std::vector<Entry> entries = Entries();
    std::erase_if(entries, [](const Entry& e) { return !e.readable; });
    if (entries.empty()) return;
    const int count = static_cast<int>(entries.size());
    int at = -1;
    for (int i = 0; i < count && at < 0; ++i)
        if (presets::SameName(entries[static_cast<size_t>(i)].name, memory_.name)) at = i;
    at = at < 0 ? (direction > 0 ? 0 : count - 1) : (at + direction + count) % count;
    Load(entries[static_cast<size_t>(at)]);
}

void PresetStrip::StartSaveAs()
{
    naming_ = true;
    nameLine_.Start(memory_.name.empty() ? "My preset" : memory_.name);
    message_.clear();
    if (focus_) focus_(true);
    Repaint();
}

// A name that is there already is replaced only when the user says so.
void PresetStrip::FinishSaveAs(bool take)
{
    naming_ = false;
    if (focus_) focus_(false);
    Repaint();
    if (!take) return;
    const presets::Values values = plugin_.PresetValues();
    const std::string name = nameLine_.Text();
    presets::SaveResult result = presets::SaveUserPreset(name, values, false);
    if (result.status == presets::SaveStatus::kExists) {
        const std::vector<gui::MenuItem> ask{{"Replace \xE2\x80\x9C" + name + "\xE2\x80\x9D"}, {"Cancel"}};
        if (!menu_ || menu_(kName.left, kBottom + 1, ask) != 0) return;
        result = presets::SaveUserPreset(name, values, true);
    }
    if (result.status != presets::SaveStatus::kSaved) {
        Say("Not saved: " + result.message);
        return;
    }
    // The name as the list shows it: spaces around it dropped.
    const size_t first = name.find_first_not_of(' ');
    memory_.name = name.substr(first, name.find_last_not_of(' ') - first + 1);
    memory_.loaded = values;
    plugin_.SetProgramName(memory_.name);
}

void PresetStrip::Say(std::string message)
{
    message_ = std::move(message);
    messageUntil_ = Clock::now() + kMessageTime;
    Repaint();
}

// Leaving a slot keeps its settings; a slot filled before is loaded as one change.
void PresetStrip::SwitchTo(int slot)
{
    if (slot == memory_.active) return;
    const presets::Values current = plugin_.PresetValues();
    memory_.slots[memory_.active] = current;
    memory_.filled[memory_.active] = true;
    if (memory_.filled[slot])
        plugin_.LoadPreset(memory_.slots[slot], plugin_.ProgramName(), Plugin::PresetEdits::kTellHost);
    else
        memory_.slots[slot] = current;
    memory_.filled[slot] = true;
    memory_.active = slot;
    Repaint();
}

// B becomes what A is: the settings heard now while on A, A's kept settings while on B (and
// then heard at once).
void PresetStrip::CopyAToB()
{
    if (memory_.active == 0) {
        memory_.slots[1] = plugin_.PresetValues();
    } else {
        if (!memory_.filled[0]) return;
        memory_.slots[1] = memory_.slots[0];
        plugin_.LoadPreset(memory_.slots[1], plugin_.ProgramName(), Plugin::PresetEdits::kTellHost);
    }
    memory_.filled[1] = true;
    Repaint();
}

bool PresetStrip::KeyDown(const gui::Key& key)
{
    if (!naming_) return false;
    switch (nameLine_.Key(key)) {
    case TextLine::Outcome::kEnter:
        FinishSaveAs(true);
        break;
    case TextLine::Outcome::kEscape:
        FinishSaveAs(false);
        break;
    case TextLine::Outcome::kEditing:
        Repaint();
        break;
    }
    return true;
}

void PresetStrip::Idle(Clock::time_point now)
{
    if (!message_.empty() && now >= messageUntil_) {
        message_.clear();
        Repaint();
    }
}

void PresetStrip::Draw(gui::DrawContext& context)
{
    context.SetAntialias(false);
    context.SetFont(font_);
    auto button = [&](Box box, const std::string& text, bool lit) {
        context.SetFillColour(lit ? gui::Colour{70, 96, 140, 255} : gui::Colour{44, 46, 52, 255});
        context.SetFrameColour(Grey(96));
        context.DrawRectangle(box.left, kTop, box.right, kBottom, gui::DrawContext::kFilledAndOutline);
        context.SetFontColour(Grey(225));
        context.DrawTextInRect(text, box.left, kTop, box.right, kBottom, gui::DrawContext::kAlignCentre);
    };
    button(kPrevious, "<", false);
    button(kNext, ">", false);
    button(kSaveAs, kSaveAsText, false);
    button(kSlotA, "A", memory_.active == 0);
    button(kSlotB, "B", memory_.active == 1);
    button(kCopy, "Copy A to B", false);
    if (naming_) {
        nameLine_.Draw(context, font_, kName.left, kTop, kName.right, kBottom);
        return;
    }
    button(kName, "", false);
    const bool telling = !message_.empty();
    context.SetFontColour(telling ? gui::Colour{240, 150, 120, 255} : Grey(memory_.name.empty() ? 150 : 235));
    context.DrawTextInRect(telling ? message_ : ShownName(), kName.left + 6, kTop, kName.right - 14, kBottom,
                           gui::DrawContext::kAlignLeft);
    // The menu's mark: a small triangle pointing down.
    context.SetFillColour(Grey(200));
    for (int row = 0; row < 4; ++row)
        context.DrawRectangle(kName.right - 11 + row, kTop + 9 + row, kName.right - 4 - row, kTop + 10 + row,
                              gui::DrawContext::kFilled);
}
