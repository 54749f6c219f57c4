#pragma once
// Our own VST 2.4 base classes: AudioEffect turns the AEffect record's plain calls into
// virtual operations, AudioEffectX adds the 2.x opcodes, AEffEditor is the editor base.
// Every entry from the host is wrapped so that no exception ever reaches it.

#include <atomic>
#include <cstdint>

#include "vst2/vst_abi.h"

class AudioEffect;

class AEffEditor {
public:
    explicit AEffEditor(AudioEffect* effect) : effect_(effect) {}
    virtual ~AEffEditor() = default;
    AEffEditor(const AEffEditor&) = delete;
    AEffEditor& operator=(const AEffEditor&) = delete;

    virtual AudioEffect* getEffect() { return effect_; }
    // Hands out the editor rectangle; the pointer stays valid for the editor's life.
    virtual bool getRect(ERect** rect);
    virtual bool open(void* parentWindow);
    virtual void close();
    virtual bool isOpen() { return systemWindow_ != nullptr; }
    virtual void idle() {}
    virtual bool onKeyDown(int32_t /*character*/, int32_t /*virtualKey*/, int32_t /*modifiers*/) { return false; }
    virtual bool onKeyUp(int32_t /*character*/, int32_t /*virtualKey*/, int32_t /*modifiers*/) { return false; }
    virtual bool setKnobMode(int32_t mode)
    {
        knobMode_ = mode;
        return true;
    }
    int32_t knobMode() const { return knobMode_; }

protected:
    AudioEffect* effect_;
    void* systemWindow_ = nullptr;
    ERect rect_{0, 0, 0, 0};
    int32_t knobMode_ = 0;
};

class AudioEffect {
public:
    AudioEffect(audioMasterCallback audioMaster, int32_t numPrograms, int32_t numParams);
    virtual ~AudioEffect();
    AudioEffect(const AudioEffect&) = delete;
    AudioEffect& operator=(const AudioEffect&) = delete;

    AEffect* getAeffect() { return &cEffect; }
    audioMasterCallback getAudioMaster() const { return audioMaster; }
    AEffEditor* getEditor() const { return editor; }

    // Called on the host's dispatcher thread unless said otherwise.
    virtual intptr_t dispatcher(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);
    virtual void open() {}
    virtual void close() {}
    virtual void suspend() {}
    virtual void resume() {}
    virtual void setSampleRate(float rate) { sampleRate.store(rate, std::memory_order_relaxed); }
    virtual void setBlockSize(int32_t size) { blockSize.store(size, std::memory_order_relaxed); }
    // Audio thread.
    virtual void processReplacing(float** /*inputs*/, float** /*outputs*/, int32_t /*frames*/) {}
    virtual void processDoubleReplacing(double** /*inputs*/, double** /*outputs*/, int32_t /*frames*/) {}
    // Any thread.
    virtual void setParameter(int32_t /*index*/, float /*value*/) {}
    virtual float getParameter(int32_t /*index*/) { return 0.0f; }
    virtual void setProgram(int32_t program);
    virtual int32_t getProgram() { return curProgram; }
    virtual void setProgramName(char* /*name*/) {}
    virtual void getProgramName(char* name);
    virtual void getParameterLabel(int32_t /*index*/, char* label);
    virtual void getParameterDisplay(int32_t /*index*/, char* text);
    virtual void getParameterName(int32_t /*index*/, char* text);
    virtual int32_t getChunk(void** /*data*/, bool /*isPreset*/) { return 0; }
    virtual int32_t setChunk(void* /*data*/, int32_t /*byteSize*/, bool /*isPreset*/) { return 0; }

    float getSampleRate() const { return sampleRate.load(std::memory_order_relaxed); }
    int32_t getBlockSize() const { return blockSize.load(std::memory_order_relaxed); }

    void setUniqueID(int32_t id) { cEffect.uniqueID = id; }
    void setNumInputs(int32_t inputs) { cEffect.numInputs = inputs; }
    void setNumOutputs(int32_t outputs) { cEffect.numOutputs = outputs; }
    void canProcessReplacing(bool state = true);
    void canDoubleReplacing(bool state = true);
    void programsAreChunks(bool state = true);
    // The audio thread reports latency while host threads read the record.
    void setInitialDelay(int32_t delay);
    int32_t initialDelay() const;
    void setEditor(AEffEditor* newEditor);

protected:
    std::atomic<float> sampleRate{44100.0f};
    std::atomic<int32_t> blockSize{1024};
    AEffect cEffect{};
    audioMasterCallback audioMaster;
    AEffEditor* editor = nullptr;
    int32_t numPrograms;
    int32_t numParams;
    int32_t curProgram = 0;

private:
    static intptr_t dispatchEffectClass(AEffect* e, int32_t opcode, int32_t index, intptr_t value, void* ptr,
                                        float opt);
    static float getParameterClass(AEffect* e, int32_t index);
    static void setParameterClass(AEffect* e, int32_t index, float value);
    static void processClass(AEffect* e, float** inputs, float** outputs, int32_t frames);
    static void processReplacingClass(AEffect* e, float** inputs, float** outputs, int32_t frames);
    static void processDoubleReplacingClass(AEffect* e, double** inputs, double** outputs, int32_t frames);
};

class AudioEffectX : public AudioEffect {
public:
    using AudioEffect::AudioEffect;

    intptr_t dispatcher(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) override;
    // Mains on: ask the host for MIDI when we take it, then the subclass's resume.
    void resume() override;

    virtual int32_t processEvents(VstEvents* /*events*/) { return 0; }
    virtual bool canParameterBeAutomated(int32_t /*index*/) { return true; }
    virtual bool getProgramNameIndexed(int32_t /*category*/, int32_t /*index*/, char* /*text*/) { return false; }
    virtual bool getEffectName(char* /*name*/) { return false; }
    virtual bool getVendorString(char* /*text*/) { return false; }
    virtual bool getProductString(char* /*text*/) { return false; }
    virtual int32_t getVendorVersion() { return 0; }
    virtual int32_t canDo(char* /*text*/) { return 0; }
    // effSetBypass: true when the plug-in takes the host's bypass.
    virtual bool setBypass(bool /*bypassed*/) { return false; }
    virtual int32_t getGetTailSize() { return 0; }
    virtual int32_t getCurrentMidiProgram(int32_t /*channel*/, void* /*programName*/) { return -1; }
    virtual intptr_t getVstVersion() { return 2400; }
    virtual intptr_t vendorSpecific(int32_t /*index*/, intptr_t /*value*/, void* /*ptr*/, float /*opt*/) { return 0; }

    intptr_t hostVersion();
    intptr_t callHost(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr, float opt = 0.0f);
};
