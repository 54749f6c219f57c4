#pragma once
// One instance of the processor as every plug-in format drives it: its description, the
// parameters with what hosts are told of them, the audio entries, the state chunk and the
// editor's input. A format's adapter owns one, gives it the HostInterface it implements,
// and calls it from the threads its format names. Nothing here throws into the adapter;
// bad input gets a neutral answer and changes nothing.
//
// Changes reach the sound one way: every change, from any thread, is stored and marked, and
// the audio thread takes what is marked at the start of its next processing call, where it
// derives the settings the processing reads (runtime/sliders.h). A state load is taken
// whole, and so is a preset load (LoadPreset). So a value read back is the new one as soon
// as the call that set it returns, and the sound follows from the next processing call on.
// The host's bypass is such a change too.

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/editor_frame.h"
#include "core/presets.h"
#include "core/process.h"
#include "core/soft_bypass.h"

class HostInterface;
class TVexl;
struct PresetMemory;
namespace gui {
class DrawContext;
}

// What a host is told of one parameter.
struct ParameterInfo {
    std::string name;
    // The unit the editor shows after the value ("dB"), or empty.
    std::string unit;
    double minimum = 0.0;
    double maximum = 1.0;
    double step = 1.0;
    double defaultValue = 0.0;
    // The texts of a choice, one per value from the minimum up; empty for a number.
    std::vector<std::string> options;
    // The values a set can leave, less one: the range over the step.
    int32_t stepCount = 0;
    // Every value a set can leave is a whole number (switches, choices, whole-decibel steps).
    bool wholeSteps = false;
    // The host's bypass (Plugin::kBypassParameter), which formats flag as such.
    bool bypass = false;
};

class Plugin {
public:
    static constexpr int32_t kParameterCount = 30;
    // The bypass where a format lists it as a parameter (VST 3, CLAP): after the thirty.
    static constexpr int32_t kBypassParameter = kParameterCount;
    static constexpr int32_t kParameterCountWithBypass = kBypassParameter + 1;
    // The state chunk's size in bytes.
    static constexpr int32_t kStateChunkBytes = 65 * 4;
    // The editor in its own units, and how often a format should idle it (the drawing
    // section redraws up to 30 times a second).
    static constexpr int kEditorWidth = EditorFrame::kWidth;
    static constexpr int kEditorHeight = EditorFrame::kHeight;
    static constexpr int kEditorIdleMilliseconds = 25;

    // Makes the effect and runs its reset section, as a VST host's open does. The host
    // interface outlives the plug-in. Throws std::bad_alloc when memory runs out (the
    // adapter's factory catches it).
    explicit Plugin(HostInterface& host);
    // An instance with no host yet and no reset run (a VST 2.4 host opens it later), over
    // the processor or, for tests, over another effect of the runtime; AttachHost gives it
    // its host.
    Plugin();
    explicit Plugin(std::unique_ptr<TVexl> effect);
    // Runs the close section, unless Close() did.
    ~Plugin();
    Plugin(const Plugin&) = delete;
    Plugin& operator=(const Plugin&) = delete;

    void AttachHost(HostInterface& host) noexcept;
    HostInterface* Host() const noexcept;

    // The description hosts show.
    std::string EffectName() const;
    std::string VendorString() const;
    std::string ProductString() const;
    int32_t VendorVersion() const noexcept;
    int32_t UniqueId() const noexcept;
    int32_t ChannelCount() const noexcept;
    std::string ProgramName() const;
    void SetProgramName(const std::string& name);

    // The reset section again (a VST 2.4 host's open), and the close section.
    void Reset();
    void Close() noexcept;
    // Switching on: the init section, which announces the latency, at the sample rate and
    // block size the host interface answers then; the audio thread's first block after it
    // starts afresh, as a new instance would, with every setting kept. Off the audio thread.
    void Activate();
    void Deactivate();
    // The audio thread starts afresh at its next block, without the init section (a host's
    // reset of the processing). Any thread.
    void RequestCleanStart() noexcept;

    // The host's bypass (core/soft_bypass.h): while on, the output is the input delayed by
    // Latency(), the processing runs on beneath it and the editor's meters rest; each switch
    // crossfades over about 10 ms. Stored from any thread and taken at the start of the next
    // processing call, as every change is. The state chunk does not hold it.
    void SetBypass(bool bypassed) noexcept;
    bool Bypassed() const noexcept;

    // The audio entries: the changes marked since the last call, the block section once,
    // then every frame of the two channels. Inputs and outputs may be the same buffers. With
    // no frames or a missing buffer only the changes and the block section run. Never
    // allocates, locks or waits. The audio thread.
    void Process(const float* const* inputs, float* const* outputs, int32_t frames) noexcept;
    void Process(const double* const* inputs, double* const* outputs, int32_t frames) noexcept;

    // The host parameters, numbered 0 to ParameterCount() - 1, and the bypass, numbered
    // kBypassParameter, for the formats that list it as a parameter: a switch, Off or On,
    // whose set is SetBypass. Values are normalised 0 to 1, or in the parameter's own units
    // where the name says Value. A set quantises to the step and stores; the sound follows at
    // the next processing call. Any thread, the audio thread included. A bad index or a value
    // that is no number changes nothing.
    int32_t ParameterCount() const noexcept;
    // Null for an index that names no parameter.
    const ParameterInfo* Parameter(int32_t index) const noexcept;
    double GetNormalized(int32_t index) const noexcept;
    void SetNormalized(int32_t index, double normalized) noexcept;
    double GetValue(int32_t index) const noexcept;
    void SetValue(int32_t index, double value) noexcept;
    // Between the two scales, unclamped; 0 for a bad index.
    double Normalize(int32_t index, double value) const noexcept;
    double Denormalize(int32_t index, double normalized) const noexcept;
    // The value a set would store for `value`: the nearest step, unclamped.
    double Quantize(int32_t index, double value) const noexcept;
    std::string ParameterName(int32_t index) const;
    // The VST 2.4 label, which stays empty: the unit shows in the editor and in ParameterInfo.
    std::string ParameterLabel(int32_t index) const;
    // The display text of the value the parameter holds, or would hold at `value`.
    std::string ParameterDisplay(int32_t index) const;
    std::string ParameterText(int32_t index, double value) const;
    // Typed text as every format takes it: an option's text in any case, or a number with an
    // optional sign and the parameter's unit ("-3.5", "+2 dB", "15dB"), spaces around
    // allowed. A number beyond the range is clamped into it. False (and `value` untouched)
    // for text that is no value of the parameter.
    bool ParseValue(int32_t index, const std::string& text, double& value) const;

    // The state chunk: 65 little-endian floats. GetState answers its size and points `data` at
    // bytes that stay valid until the next state call; 0 when it cannot be made. SetState
    // takes bytes that begin with the chunk's marker, whatever their length (values past the
    // last slider are ignored, missing ones keep their settings), and answers false, changing
    // nothing, for anything else. A load reaches the sound whole.
    int32_t GetState(const void** data) noexcept;
    bool SetState(const void* data, int32_t size) noexcept;
    // The state of a format that keeps the bypass with the settings (VST 3, CLAP): the chunk,
    // then the bypass as one more little-endian float, 1 bypassed and 0 not. A load takes
    // what SetState takes, and the bypass with it; a state that ends before the bypass (one
    // saved before the bypass was kept) loads with the bypass off.
    int32_t GetStateWithBypass(const void** data) noexcept;
    bool SetStateWithBypass(const void* data, int32_t size) noexcept;

    // Presets (core/presets.h). LoadPreset stores the thirty values (in the parameters' own
    // units, quantised as a set is) as one change, the way a state load is taken: the audio
    // thread hears all of them from one block on, never some. The program name becomes
    // `name` (the VST 2.4 program name). With kTellHost each parameter whose value changed is
    // then told to the host as one edit gesture (BeginEdit, PerformEdit, EndEdit), so the
    // host records it and marks the project changed: the editor's own loads. With kHostKnows
    // the host is told nothing here (a load the host asked for, which its format reports in
    // its own way). Any thread but the audio thread (the editor's thread for kTellHost);
    // false, changing nothing, for a value that is no number or when the load cannot start.
    enum class PresetEdits { kTellHost, kHostKnows };
    bool LoadPreset(const presets::Values& values, const std::string& name, PresetEdits edits) noexcept;
    // The values the parameters hold, for saving them as a preset. Any thread.
    presets::Values PresetValues() const noexcept;

    // The lookahead delay the init section found, in samples (0 before it ran).
    int32_t Latency() const noexcept;

    // The editor's input, as the view of core/editor_window.h passes it on. The editor thread.
    // Paint publishes the context for the drawing section; DrawSection runs the section
    // with whatever context is published.
    void Paint(gui::DrawContext& context);
    void DrawSection();
    void MouseDown(double x, double y, int toolkitButtons);
    void MouseUp(double x, double y);
    void MouseMove(double x, double y);
    // The redraw timer: asks the host interface for a repaint at the redraw rate.
    void IdleSection();
    // For an editor that only shows values the host sends (no processing, no meters): the
    // editor's constants without the rest of the init section.
    void PrepareEditorOnly();
    // The editor's own edits of parameter `index`, in its own units: stored as any change is
    // (unquantised: the editor's values are on the step already) and told to the host as a
    // gesture. EditValue is a whole gesture; a gesture over several values (a burst of wheel
    // steps) is BeginGesture, EditInGesture once or more, EndGesture. The editor thread.
    void EditValue(int32_t index, double value);
    void BeginGesture(int32_t index);
    void EditInGesture(int32_t index, double value);
    void EndGesture(int32_t index);
    // False while the editor hides the parameter's control (the balance, with mono input).
    bool ParameterShown(int32_t index) const noexcept;
    // What the editor's preset strip keeps while the editor is closed (core/preset_strip.h).
    // The editor thread.
    PresetMemory& EditorPresets() noexcept { return *presetMemory_; }

    // The runtime object under the instance, for tests and tools that look inside.
    TVexl& Runtime() noexcept { return *effect_; }

private:
    // The bypass's delay line for the latency and the rate the init section found. Off the
    // audio thread.
    void PrepareBypass() noexcept;

    HostInterface* host_ = nullptr;
    std::unique_ptr<TVexl> effect_;
    std::vector<ParameterInfo> parameters_;
    ParameterInfo bypassParameter_;
    SoftBypass bypass_;
    std::array<unsigned char, kStateChunkBytes + sizeof(float)> stateWithBypass_{};
    bool closed_ = false;
    std::unique_ptr<PresetMemory> presetMemory_;
    // The program name is read by the host's thread and set by the editor's (a preset).
    mutable std::mutex programNameTurn_;
};
