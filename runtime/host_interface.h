#pragma once
// What the runtime and the effect need from the plug-in format that hosts them. Each
// format's adapter implements it once per instance (vst2/, lv2/, vst3/, clap/);
// the core never learns which format it runs in. No call throws, and none waits.

#include <cstdint>
#include <memory>
#include <vector>

namespace gui {
class DrawContext;
class Font;
} // namespace gui

// The host's transport at the start of a block; zeros where the host said nothing.
struct HostTransport {
    bool valid = false; // the host gave time info at all
    double tempo = 0.0; // quarter notes per minute
    double numerator = 0.0;
    double denominator = 0.0;
    bool playing = false;
    bool recording = false;
    double musicalPosition = 0.0; // in quarter notes
    double barStart = 0.0;        // in quarter notes
};

// A MIDI message with its frame offset in the current block.
struct HostMidiEvent {
    int32_t frameOffset = 0;
    uint8_t data[3] = {};
};

class HostInterface {
public:
    virtual ~HostInterface() = default;

    // The set-up the host gave; 0 where it gave none. Any thread.
    virtual double SampleRate() = 0;
    virtual double BlockSize() = 0;
    virtual int32_t InputCount() = 0;
    virtual int32_t OutputCount() = 0;

    // The transport, asked once per block section. The audio thread.
    virtual HostTransport Transport() = 0;

    // The lookahead delay in samples, as soon as the init section knows it (the thread that
    // switched the plug-in on or loaded a state, never the audio thread): the format stores
    // it and tells the host when it changed after the host could have read it.
    virtual void AnnounceLatency(int32_t samples) = 0;
    // The block section's report (the audio thread): stores the value and calls no host.
    virtual void StoreLatency(int32_t samples) = 0;

    // The editor's own edits of host parameter `index`: a gesture begins (the press on a
    // control), the value changes (in the parameter's own units, as stored; once or more),
    // the gesture ends (the release). The value is stored before the call. Changes the host
    // makes are never passed here. The editor thread.
    virtual void BeginEdit(int32_t index) = 0;
    virtual void PerformEdit(int32_t index, double value) = 0;
    virtual void EndEdit(int32_t index) = 0;

    // Asks the open editor to repaint; false when none is open. The editor thread.
    virtual bool RequestRedraw() = 0;
    // The open editor's size in editor units; false when none is open.
    virtual bool EditorSize(int32_t& width, int32_t& height) = 0;

    // Formats without these services keep the answers here.
    virtual void UpdateDisplay() {}
    // Takes the oldest unread MIDI event; false when there is none. The audio thread.
    virtual bool ReadMidiEvent(HostMidiEvent&) { return false; }

    // The editor's drawing surface: the draw context the view publishes for the length of
    // one paint (null otherwise), and the fonts chosen so far. The editor thread.
    gui::DrawContext* drawContext = nullptr;
    std::vector<std::shared_ptr<gui::Font>> fontCache;
};
