#pragma once
// The VST 3 effect: one object that is the component, the audio processor and the edit
// controller of one Plugin, and the HostInterface the core reaches the host through.

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "core/plugin.h"
#include "runtime/host_interface.h"
#include "vst3/vst3_abi.h"

namespace vst3_plugin {

class EditorView;

// Makes an effect object and answers its interface `iid` (counted once, for the caller).
vst3::tresult CreateEffectObject(const char* iid, void** object) noexcept;

// IComponent and IEditController both name getState and setState; these two give each its
// own function in the one object.
class ComponentPart : public vst3::IComponent {
public:
    vst3::tresult getState(vst3::IBStream* stream) override { return GetComponentState(stream); }
    vst3::tresult setState(vst3::IBStream* stream) override { return SetComponentState(stream); }
    virtual vst3::tresult GetComponentState(vst3::IBStream* stream) = 0;
    virtual vst3::tresult SetComponentState(vst3::IBStream* stream) = 0;

protected:
    ~ComponentPart() = default;
};

class ControllerPart : public vst3::IEditController {
public:
    vst3::tresult getState(vst3::IBStream* stream) override { return GetControllerState(stream); }
    vst3::tresult setState(vst3::IBStream* stream) override { return SetControllerState(stream); }
    virtual vst3::tresult GetControllerState(vst3::IBStream* stream) = 0;
    virtual vst3::tresult SetControllerState(vst3::IBStream* stream) = 0;

protected:
    ~ControllerPart() = default;
};

class EffectObject final : public ComponentPart,
                           public vst3::IAudioProcessor,
                           public vst3::IProcessContextRequirements,
                           public ControllerPart,
                           public vst3::IUnitInfo,
                           public HostInterface {
public:
    EffectObject();
    ~EffectObject() override;

    // FUnknown
    vst3::tresult queryInterface(const char* iid, void** object) override;
    uint32_t addRef() override;
    uint32_t release() override;

    // IPluginBase (component and controller alike)
    vst3::tresult initialize(vst3::FUnknown* context) override;
    vst3::tresult terminate() override;

    // IComponent
    vst3::tresult getControllerClassId(char classId[16]) override;
    vst3::tresult setIoMode(int32_t mode) override;
    int32_t getBusCount(int32_t type, int32_t direction) override;
    vst3::tresult getBusInfo(int32_t type, int32_t direction, int32_t index, vst3::BusInfo& bus) override;
    vst3::tresult getRoutingInfo(vst3::RoutingInfo& input, vst3::RoutingInfo& output) override;
    vst3::tresult activateBus(int32_t type, int32_t direction, int32_t index, vst3::TBool state) override;
    vst3::tresult setActive(vst3::TBool state) override;
    vst3::tresult GetComponentState(vst3::IBStream* stream) override;
    vst3::tresult SetComponentState(vst3::IBStream* stream) override;

    // IAudioProcessor
    vst3::tresult setBusArrangements(vst3::SpeakerArrangement* inputs, int32_t inputCount,
                                     vst3::SpeakerArrangement* outputs, int32_t outputCount) override;
    vst3::tresult getBusArrangement(int32_t direction, int32_t index, vst3::SpeakerArrangement& arrangement) override;
    vst3::tresult canProcessSampleSize(int32_t symbolicSampleSize) override;
    uint32_t getLatencySamples() override;
    vst3::tresult setupProcessing(vst3::ProcessSetup& setup) override;
    vst3::tresult setProcessing(vst3::TBool state) override;
    vst3::tresult process(vst3::ProcessData& data) override;
    uint32_t getTailSamples() override;

    // IProcessContextRequirements: what the block section reads of the transport.
    uint32_t getProcessContextRequirements() override;

    // IEditController
    vst3::tresult setComponentState(vst3::IBStream* stream) override;
    vst3::tresult GetControllerState(vst3::IBStream* stream) override;
    vst3::tresult SetControllerState(vst3::IBStream* stream) override;
    int32_t getParameterCount() override;
    vst3::tresult getParameterInfo(int32_t index, vst3::ParameterInfo& info) override;
    vst3::tresult getParamStringByValue(vst3::ParamID id, vst3::ParamValue normalized, vst3::String128 text) override;
    vst3::tresult getParamValueByString(vst3::ParamID id, char16_t* text, vst3::ParamValue& normalized) override;
    vst3::ParamValue normalizedParamToPlain(vst3::ParamID id, vst3::ParamValue normalized) override;
    vst3::ParamValue plainParamToNormalized(vst3::ParamID id, vst3::ParamValue plain) override;
    vst3::ParamValue getParamNormalized(vst3::ParamID id) override;
    vst3::tresult setParamNormalized(vst3::ParamID id, vst3::ParamValue normalized) override;
    vst3::tresult setComponentHandler(vst3::IComponentHandler* handler) override;
    vst3::IPlugView* createView(vst3::FIDString name) override;

    // IUnitInfo: the root unit and its program list, the factory bank (program_list.cpp).
    int32_t getUnitCount() override;
    vst3::tresult getUnitInfo(int32_t unitIndex, vst3::UnitInfo& info) override;
    int32_t getProgramListCount() override;
    vst3::tresult getProgramListInfo(int32_t listIndex, vst3::ProgramListInfo& info) override;
    vst3::tresult getProgramName(vst3::ProgramListID listId, int32_t programIndex, vst3::String128 name) override;
    vst3::tresult getProgramInfo(vst3::ProgramListID listId, int32_t programIndex, const char* attributeId,
                                 vst3::String128 attributeValue) override;
    vst3::tresult hasProgramPitchNames(vst3::ProgramListID listId, int32_t programIndex) override;
    vst3::tresult getProgramPitchName(vst3::ProgramListID listId, int32_t programIndex, int16_t midiPitch,
                                      vst3::String128 name) override;
    vst3::UnitID getSelectedUnit() override;
    vst3::tresult selectUnit(vst3::UnitID unitId) override;
    vst3::tresult getUnitByBus(int32_t type, int32_t direction, int32_t busIndex, int32_t channel,
                               vst3::UnitID& unitId) override;
    vst3::tresult setUnitProgramData(int32_t listOrUnitId, int32_t programIndex, vst3::IBStream* data) override;

    // HostInterface
    double SampleRate() override { return sampleRate_.load(std::memory_order_relaxed); }
    double BlockSize() override { return static_cast<double>(maxBlock_.load(std::memory_order_relaxed)); }
    int32_t InputCount() override { return 2; }
    int32_t OutputCount() override { return 2; }
    HostTransport Transport() override;
    void AnnounceLatency(int32_t samples) override;
    void StoreLatency(int32_t samples) override;
    void BeginEdit(int32_t index) override;
    void PerformEdit(int32_t index, double value) override;
    void EndEdit(int32_t index) override;
    bool RequestRedraw() override;
    bool EditorSize(int32_t& width, int32_t& height) override;

    // The editor view's part: it registers while open, and on its timer (the host's GUI
    // thread) passes on a latency change the audio thread found.
    Plugin& Core() { return *plugin_; }
    void ViewOpened(EditorView* view) { view_ = view; }
    void ViewClosed(EditorView* view)
    {
        if (view_ == view) view_ = nullptr;
    }
    void TellPendingLatency();

    // The program-change parameter: ID 31, the last in the list (ID 30 is kept free for a
    // bypass parameter, which will take its place before it).
    static constexpr vst3::ParamID kProgramChangeId = 31;
    static constexpr vst3::ProgramListID kProgramListId = 1;

private:
    bool IsParameter(vst3::ParamID id) const { return id < static_cast<vst3::ParamID>(parameterCount_); }
    // The program-change parameter (program_list.cpp): its description, the program a
    // normalised value chooses and back, and choosing one. ChooseProgram is the controller's
    // (the host's GUI thread): the values as one change, the host told to read them again.
    // ChooseProgramInBlock is the audio thread's, for a change in the parameter queues: the
    // values stored without waiting, heard from the next piece of the block, the host told later.
    int32_t ProgramParameterIndex() const { return parameterCount_; }
    vst3::tresult ProgramParameterInfo(vst3::ParameterInfo& info);
    int32_t ProgramOf(vst3::ParamValue normalized) const;
    vst3::ParamValue NormalizedProgram(int32_t program) const;
    void ChooseProgram(int32_t program);
    void ChooseProgramInBlock(vst3::ParamValue normalized) noexcept;
    // The block in pieces between the points of the host's parameter queues, each point
    // applied at its frame.
    template <typename Sample>
    void ProcessWithChanges(vst3::IParameterChanges* changes, Sample** inputs, Sample** outputs,
                            int32_t frames) noexcept;

    std::atomic<uint32_t> references_{1};
    std::unique_ptr<Plugin> plugin_;
    int32_t parameterCount_ = 0;
    vst3::IComponentHandler* handler_ = nullptr;
    EditorView* view_ = nullptr;

    std::atomic<double> sampleRate_{44100.0};
    std::atomic<int32_t> maxBlock_{1024};
    int32_t sampleSize_ = vst3::kSample32;
    bool active_ = false;
    // The block's transport while process() runs; the audio thread alone reads it.
    const vst3::ProcessContext* context_ = nullptr;

    // The latency the core reported; whether the host has asked for it since; whether a
    // change still has to be told (found on the audio thread, told from the GUI thread).
    std::atomic<int32_t> latency_{0};
    std::atomic<bool> latencyAsked_{false};
    std::atomic<bool> latencyChanged_{false};

    // The program last chosen (-1: none yet), and whether the audio thread changed the values
    // through it since the host was last told.
    std::atomic<int32_t> program_{-1};
    std::atomic<bool> programValuesChanged_{false};
};

} // namespace vst3_plugin
