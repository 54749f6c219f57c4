// CVeST's answers to the core's host interface, in VST 2.4 terms.

#include <cstring>

#include "core/plugin.h"
#include "vst2/vest.h"
#include "vst2/vest_editor.h"

double CVeST::SampleRate() { return static_cast<double>(getSampleRate()); }

double CVeST::BlockSize() { return static_cast<double>(getBlockSize()); }

int32_t CVeST::InputCount() { return getAeffect()->numInputs; }

int32_t CVeST::OutputCount() { return getAeffect()->numOutputs; }

HostTransport CVeST::Transport()
{
    HostTransport transport;
    const auto* info = reinterpret_cast<const VstTimeInfo*>(
        callHost(audioMasterGetTime, 0, kVstTempoValid | kVstTimeSigValid | kVstPpqPosValid | kVstBarsValid));
    if (!info) return transport;
    transport.valid = true;
    transport.tempo = info->tempo;
    transport.numerator = static_cast<double>(info->timeSigNumerator);
    transport.denominator = static_cast<double>(info->timeSigDenominator);
    transport.playing = (info->flags & kVstTransportPlaying) != 0;
    transport.recording = (info->flags & kVstTransportRecording) != 0;
    transport.musicalPosition = info->ppqPos;
    transport.barStart = info->barStartPos;
    return transport;
}

// Hosts read the latency when the plug-in is switched on; those that read it earlier, or
// only once, learn of a change through the I/O-changed call.
void CVeST::AnnounceLatency(int32_t samples)
{
    if (samples == initialDelay()) return;
    setInitialDelay(samples);
    callHost(audioMasterIOChanged);
}

void CVeST::StoreLatency(int32_t samples) { setInitialDelay(samples); }

void CVeST::BeginEdit(int32_t index) { callHost(audioMasterBeginEdit, index); }

void CVeST::PerformEdit(int32_t index, double value)
{
    if (!plugin) return;
    callHost(audioMasterAutomate, index, 0, nullptr, static_cast<float>(plugin->Normalize(index, value)));
}

void CVeST::EndEdit(int32_t index) { callHost(audioMasterEndEdit, index); }

bool CVeST::RequestRedraw()
{
    auto* view = dynamic_cast<CVeSTEditor*>(getEditor());
    return view && view->Redraw();
}

bool CVeST::EditorSize(int32_t& width, int32_t& height)
{
    auto* view = dynamic_cast<CVeSTEditor*>(getEditor());
    if (!view) return false;
    width = view->width;
    height = view->height;
    return true;
}

void CVeST::UpdateDisplay() { callHost(audioMasterUpdateDisplay); }

bool CVeST::ReadMidiEvent(HostMidiEvent& event)
{
    VstMidiEvent record{};
    if (!TakeMidiEvent(record)) return false;
    event.frameOffset = record.deltaFrames;
    std::memcpy(event.data, record.midiData, sizeof event.data);
    return true;
}
