#pragma once
// CVeST: the host-facing object of an instance. It answers the host through the SDK
// layer and reaches the effect only through the VeSTCallbackTable.

#include <atomic>
#include <memory>
#include <vector>

#include "host/audio_effect.h"
#include "host/callback_table.h"

class TVexl;
namespace gui {
class DrawContext;
class Font;
} // namespace gui

class CVeST : public AudioEffectX {
public:
    static constexpr int kMidiRingSize = 1000;

    CVeST(TVexl* effect, const VeSTCallbackTable& table, audioMasterCallback audioMaster, int32_t numPrograms,
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

    // Takes the oldest unread MIDI record; false when there is none.
    bool ReadMidiEvent(VstMidiEvent& event);

    TVexl* effect;
    // Published by the editor view for the length of one paint, null otherwise.
    gui::DrawContext* drawContext = nullptr;
    std::atomic<int32_t> midiWriteIndex{0};
    std::atomic<int32_t> midiReadIndex{0};
    std::vector<std::shared_ptr<gui::Font>> fontCache;
    std::vector<VstMidiEvent> midiEventRing;
    VeSTCallbackTable table;
};
