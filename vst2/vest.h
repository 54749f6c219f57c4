#pragma once
// CVeST: the host-facing object of an instance. It answers the host through the SDK
// layer and reaches the plug-in (core/plugin.h) only through the VeSTCallbackTable.

#include <atomic>
#include <memory>
#include <vector>

#include "vst2/audio_effect.h"
#include "vst2/callback_table.h"
#include "runtime/host_interface.h"

class Plugin;

// Also the core's host: the effect reaches the host only through the HostInterface part.
class CVeST : public AudioEffectX, public HostInterface {
public:
    static constexpr int kMidiRingSize = 1000;

    // Owns `plugin` from here on (the table's destroy entry deletes it).
    CVeST(Plugin* plugin, const VeSTCallbackTable& table, audioMasterCallback audioMaster, int32_t numPrograms,
          int32_t numParams);
    ~CVeST() override;

    void open() override;
    void close() override;
    void suspend() override;
    void resume() override;
    void processReplacing(float** inputs, float** outputs, int32_t frames) override;
    void processDoubleReplacing(double** inputs, double** outputs, int32_t frames) override;
    void setParameter(int32_t index, float value) override;
    float getParameter(int32_t index) override;
    void setProgramName(char* name) override;
    void getProgramName(char* name) override;
    void getParameterLabel(int32_t index, char* label) override;
    void getParameterDisplay(int32_t index, char* text) override;
    void getParameterName(int32_t index, char* text) override;
    int32_t getChunk(void** data, bool isPreset) override;
    int32_t setChunk(void* data, int32_t byteSize, bool isPreset) override;
    bool getProgramNameIndexed(int32_t category, int32_t index, char* text) override;
    bool getEffectName(char* name) override;
    bool getVendorString(char* text) override;
    bool getProductString(char* text) override;
    int32_t getVendorVersion() override;
    int32_t processEvents(VstEvents* events) override;
    int32_t canDo(char* text) override;
    bool setBypass(bool bypassed) override;
    // The host's scale for the editor: 'PreS' with the value 'AeCs', or 'AeCs' alone, the scale
    // in `opt`.
    intptr_t vendorSpecific(int32_t index, intptr_t value, void* ptr, float opt) override;

    // The host interface (vst2/vest_host.cpp).
    double SampleRate() override;
    double BlockSize() override;
    int32_t InputCount() override;
    int32_t OutputCount() override;
    HostTransport Transport() override;
    void AnnounceLatency(int32_t samples) override;
    void StoreLatency(int32_t samples) override;
    void BeginEdit(int32_t index) override;
    void PerformEdit(int32_t index, double value) override;
    void EndEdit(int32_t index) override;
    bool RequestRedraw() override;
    bool EditorSize(int32_t& width, int32_t& height) override;
    void UpdateDisplay() override;
    bool ReadMidiEvent(HostMidiEvent& event) override;

    // Takes the oldest unread MIDI record; false when there is none.
    bool TakeMidiEvent(VstMidiEvent& event);

    Plugin* plugin;
    std::atomic<int32_t> midiWriteIndex{0};
    std::atomic<int32_t> midiReadIndex{0};
    std::vector<VstMidiEvent> midiEventRing;
    VeSTCallbackTable table;
};
