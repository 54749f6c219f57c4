#pragma once
// The VST 3 binary interface as far as this plug-in and its test host use it: interface IDs,
// the method order of each interface's table, the structures and the result codes. Every
// interface is a table of virtual functions whose first three entries are queryInterface,
// addRef and release; on x86-64 Windows and Linux there is one calling convention, so
// plain virtual functions give the same tables as the published ones.

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace vst3 {

using tresult = int32_t;
using TBool = uint8_t;
using ParamID = uint32_t;
using ParamValue = double;
using SpeakerArrangement = uint64_t;
using String128 = char16_t[128];
using FIDString = const char*;

// Result codes. Windows uses the COM values, so that a host can treat them as HRESULTs;
// other systems use small numbers. kResultOk and kResultTrue are the same.
#if defined(_WIN32)
enum Result : tresult {
    kNoInterface = static_cast<tresult>(0x80004002),
    kResultOk = 0,
    kResultTrue = 0,
    kResultFalse = 1,
    kInvalidArgument = static_cast<tresult>(0x80070057),
    kNotImplemented = static_cast<tresult>(0x80004001),
    kInternalError = static_cast<tresult>(0x80004005),
    kNotInitialized = static_cast<tresult>(0x8000FFFF),
    kOutOfMemory = static_cast<tresult>(0x8007000E),
};
#else
enum Result : tresult {
    kNoInterface = -1,
    kResultOk = 0,
    kResultTrue = 0,
    kResultFalse = 1,
    kInvalidArgument = 2,
    kNotImplemented = 3,
    kInternalError = 4,
    kNotInitialized = 5,
    kOutOfMemory = 6,
};
#endif

// A 16-byte class or interface ID, written as four 32-bit words. Windows keeps the COM GUID
// layout: the first word and the two halves of the second in little-endian order, the rest
// as written. Other systems store all sixteen bytes as written (big-endian words).
struct Uid {
    char bytes[16];

    bool operator==(const char* other) const { return other && std::memcmp(bytes, other, 16) == 0; }
};

constexpr char UidByte(uint32_t word, int shift) { return static_cast<char>((word >> shift) & 0xFF); }

constexpr Uid MakeUid(uint32_t w1, uint32_t w2, uint32_t w3, uint32_t w4)
{
#if defined(_WIN32)
    return Uid{{UidByte(w1, 0), UidByte(w1, 8), UidByte(w1, 16), UidByte(w1, 24), UidByte(w2, 16), UidByte(w2, 24),
                UidByte(w2, 0), UidByte(w2, 8), UidByte(w3, 24), UidByte(w3, 16), UidByte(w3, 8), UidByte(w3, 0),
                UidByte(w4, 24), UidByte(w4, 16), UidByte(w4, 8), UidByte(w4, 0)}};
#else
    return Uid{{UidByte(w1, 24), UidByte(w1, 16), UidByte(w1, 8), UidByte(w1, 0), UidByte(w2, 24), UidByte(w2, 16),
                UidByte(w2, 8), UidByte(w2, 0), UidByte(w3, 24), UidByte(w3, 16), UidByte(w3, 8), UidByte(w3, 0),
                UidByte(w4, 24), UidByte(w4, 16), UidByte(w4, 8), UidByte(w4, 0)}};
#endif
}

// The interfaces have no destructor in their tables; objects go with release().
class FUnknown {
public:
    static constexpr Uid iid = MakeUid(0x00000000, 0x00000000, 0xC0000000, 0x00000046);
    virtual tresult queryInterface(const char* iid, void** object) = 0;
    virtual uint32_t addRef() = 0;
    virtual uint32_t release() = 0;

protected:
    ~FUnknown() = default;
};

// ---- Streams ----

enum SeekMode : int32_t { kSeekSet = 0, kSeekCur = 1, kSeekEnd = 2 };

class IBStream : public FUnknown {
public:
    static constexpr Uid iid = MakeUid(0xC3BF6EA2, 0x30994752, 0x9B6BF990, 0x1EE33E9B);
    virtual tresult read(void* buffer, int32_t bytes, int32_t* bytesRead) = 0;
    virtual tresult write(void* buffer, int32_t bytes, int32_t* bytesWritten) = 0;
    virtual tresult seek(int64_t position, int32_t mode, int64_t* result) = 0;
    virtual tresult tell(int64_t* position) = 0;

protected:
    ~IBStream() = default;
};

// ---- The factory ----

struct PFactoryInfo {
    enum Flags : int32_t { kNoFlags = 0, kClassesDiscardable = 1 << 0, kUnicode = 1 << 4 };
    char vendor[64];
    char url[256];
    char email[128];
    int32_t flags;
};

constexpr int32_t kManyInstances = 0x7FFFFFFF;

struct PClassInfo {
    char cid[16];
    int32_t cardinality;
    char category[32];
    char name[64];
};

struct PClassInfo2 {
    char cid[16];
    int32_t cardinality;
    char category[32];
    char name[64];
    uint32_t classFlags;
    char subCategories[128];
    char vendor[64];
    char version[64];
    char sdkVersion[64];
};

struct PClassInfoW {
    char cid[16];
    int32_t cardinality;
    char category[32];
    char16_t name[64];
    uint32_t classFlags;
    char subCategories[128];
    char16_t vendor[64];
    char16_t version[64];
    char16_t sdkVersion[64];
};

static_assert(sizeof(PFactoryInfo) == 452 && sizeof(PClassInfo) == 116, "factory structures");
static_assert(sizeof(PClassInfo2) == 440 && offsetof(PClassInfo2, subCategories) == 120, "PClassInfo2 layout");
static_assert(sizeof(PClassInfoW) == 696 && offsetof(PClassInfoW, subCategories) == 184, "PClassInfoW layout");

// Class flags of an audio effect class: the processor and controller may live apart.
enum ComponentFlags : uint32_t { kDistributable = 1 << 0, kSimpleModeSupported = 1 << 1 };

class IPluginFactory : public FUnknown {
public:
    static constexpr Uid iid = MakeUid(0x7A4D811C, 0x52114A1F, 0xAED9D2EE, 0x0B43BF9F);
    virtual tresult getFactoryInfo(PFactoryInfo* info) = 0;
    virtual int32_t countClasses() = 0;
    virtual tresult getClassInfo(int32_t index, PClassInfo* info) = 0;
    virtual tresult createInstance(FIDString cid, FIDString iid, void** object) = 0;

protected:
    ~IPluginFactory() = default;
};

class IPluginFactory2 : public IPluginFactory {
public:
    static constexpr Uid iid = MakeUid(0x0007B650, 0xF24B4C0B, 0xA464EDB9, 0xF00B2ABB);
    virtual tresult getClassInfo2(int32_t index, PClassInfo2* info) = 0;

protected:
    ~IPluginFactory2() = default;
};

class IPluginFactory3 : public IPluginFactory2 {
public:
    static constexpr Uid iid = MakeUid(0x4555A2AB, 0xC1234E57, 0x9B122910, 0x36878931);
    virtual tresult getClassInfoUnicode(int32_t index, PClassInfoW* info) = 0;
    virtual tresult setHostContext(FUnknown* context) = 0;

protected:
    ~IPluginFactory3() = default;
};

class IPluginBase : public FUnknown {
public:
    static constexpr Uid iid = MakeUid(0x22888DDB, 0x156E45AE, 0x8358B348, 0x08190625);
    virtual tresult initialize(FUnknown* context) = 0;
    virtual tresult terminate() = 0;

protected:
    ~IPluginBase() = default;
};

class IHostApplication : public FUnknown {
public:
    static constexpr Uid iid = MakeUid(0x58E595CC, 0xDB2D4969, 0x8B6AAF8C, 0x36A664E5);
    virtual tresult getName(String128 name) = 0;
    virtual tresult createInstance(char* cid, char* iid, void** object) = 0;

protected:
    ~IHostApplication() = default;
};

// ---- The component and its buses ----

enum MediaType : int32_t { kAudio = 0, kEvent = 1 };
enum BusDirection : int32_t { kInput = 0, kOutput = 1 };
enum BusType : int32_t { kMain = 0, kAux = 1 };
enum IoMode : int32_t { kSimple = 0, kAdvanced = 1, kOfflineProcessing = 2 };

struct BusInfo {
    enum Flags : uint32_t { kDefaultActive = 1 << 0, kIsControlVoltage = 1 << 1 };
    int32_t mediaType;
    int32_t direction;
    int32_t channelCount;
    String128 name;
    int32_t busType;
    uint32_t flags;
};

static_assert(sizeof(BusInfo) == 276, "BusInfo layout");

struct RoutingInfo {
    int32_t mediaType;
    int32_t busIndex;
    int32_t channel;
};

class IComponent : public IPluginBase {
public:
    static constexpr Uid iid = MakeUid(0xE831FF31, 0xF2D54301, 0x928EBBEE, 0x25697802);
    virtual tresult getControllerClassId(char classId[16]) = 0;
    virtual tresult setIoMode(int32_t mode) = 0;
    virtual int32_t getBusCount(int32_t type, int32_t direction) = 0;
    virtual tresult getBusInfo(int32_t type, int32_t direction, int32_t index, BusInfo& bus) = 0;
    virtual tresult getRoutingInfo(RoutingInfo& input, RoutingInfo& output) = 0;
    virtual tresult activateBus(int32_t type, int32_t direction, int32_t index, TBool state) = 0;
    virtual tresult setActive(TBool state) = 0;
    virtual tresult setState(IBStream* state) = 0;
    virtual tresult getState(IBStream* state) = 0;

protected:
    ~IComponent() = default;
};

// ---- Processing ----

constexpr SpeakerArrangement kSpeakerL = 1 << 0;
constexpr SpeakerArrangement kSpeakerR = 1 << 1;
constexpr SpeakerArrangement kStereo = kSpeakerL | kSpeakerR;

enum SymbolicSampleSize : int32_t { kSample32 = 0, kSample64 = 1 };
enum ProcessMode : int32_t { kRealtime = 0, kPrefetch = 1, kOffline = 2 };
constexpr uint32_t kNoTail = 0;

struct ProcessSetup {
    int32_t processMode;
    int32_t symbolicSampleSize;
    int32_t maxSamplesPerBlock;
    double sampleRate;
};

struct AudioBusBuffers {
    int32_t numChannels;
    uint64_t silenceFlags;
    union {
        float** channelBuffers32;
        double** channelBuffers64;
    };
};

static_assert(sizeof(ProcessSetup) == 24 && sizeof(AudioBusBuffers) == 24, "processing structures");

struct ProcessContext {
    enum StatesAndFlags : uint32_t {
        kPlaying = 1 << 1,
        kCycleActive = 1 << 2,
        kRecording = 1 << 3,
        kSystemTimeValid = 1 << 8,
        kProjectTimeMusicValid = 1 << 9,
        kTempoValid = 1 << 10,
        kBarPositionValid = 1 << 11,
        kCycleValid = 1 << 12,
        kTimeSigValid = 1 << 13,
        kSmpteValid = 1 << 14,
        kClockValid = 1 << 15,
        kContTimeValid = 1 << 17,
        kChordValid = 1 << 18,
    };
    uint32_t state;
    double sampleRate;
    int64_t projectTimeSamples;
    int64_t systemTime;
    int64_t continousTimeSamples;
    double projectTimeMusic;
    double barPositionMusic;
    double cycleStartMusic;
    double cycleEndMusic;
    double tempo;
    int32_t timeSigNumerator;
    int32_t timeSigDenominator;
    uint8_t chordKeyNote;
    uint8_t chordRootNote;
    int16_t chordMask;
    int32_t smpteOffsetSubframes;
    uint32_t frameRateFramesPerSecond;
    uint32_t frameRateFlags;
    int32_t samplesToNextClock;
};

static_assert(offsetof(ProcessContext, tempo) == 72 && sizeof(ProcessContext) == 112, "ProcessContext layout");

class IParamValueQueue : public FUnknown {
public:
    static constexpr Uid iid = MakeUid(0x01263A18, 0xED074F6F, 0x98C9D356, 0x4686F9BA);
    virtual ParamID getParameterId() = 0;
    virtual int32_t getPointCount() = 0;
    virtual tresult getPoint(int32_t index, int32_t& sampleOffset, ParamValue& value) = 0;
    virtual tresult addPoint(int32_t sampleOffset, ParamValue value, int32_t& index) = 0;

protected:
    ~IParamValueQueue() = default;
};

class IParameterChanges : public FUnknown {
public:
    static constexpr Uid iid = MakeUid(0xA4779663, 0x0BB64A56, 0xB44384A8, 0x466FEB9D);
    virtual int32_t getParameterCount() = 0;
    virtual IParamValueQueue* getParameterData(int32_t index) = 0;
    virtual IParamValueQueue* addParameterData(const ParamID& id, int32_t& index) = 0;

protected:
    ~IParameterChanges() = default;
};

class IEventList;

struct ProcessData {
    int32_t processMode;
    int32_t symbolicSampleSize;
    int32_t numSamples;
    int32_t numInputs;
    int32_t numOutputs;
    AudioBusBuffers* inputs;
    AudioBusBuffers* outputs;
    IParameterChanges* inputParameterChanges;
    IParameterChanges* outputParameterChanges;
    IEventList* inputEvents;
    IEventList* outputEvents;
    ProcessContext* processContext;
};

static_assert(sizeof(ProcessData) == 80 && offsetof(ProcessData, inputs) == 24, "ProcessData layout");

class IAudioProcessor : public FUnknown {
public:
    static constexpr Uid iid = MakeUid(0x42043F99, 0xB7DA453C, 0xA569E79D, 0x9AAEC33D);
    virtual tresult setBusArrangements(SpeakerArrangement* inputs, int32_t inputCount, SpeakerArrangement* outputs,
                                       int32_t outputCount) = 0;
    virtual tresult getBusArrangement(int32_t direction, int32_t index, SpeakerArrangement& arrangement) = 0;
    virtual tresult canProcessSampleSize(int32_t symbolicSampleSize) = 0;
    virtual uint32_t getLatencySamples() = 0;
    virtual tresult setupProcessing(ProcessSetup& setup) = 0;
    virtual tresult setProcessing(TBool state) = 0;
    virtual tresult process(ProcessData& data) = 0;
    virtual uint32_t getTailSamples() = 0;

protected:
    ~IAudioProcessor() = default;
};

// What the processor needs of the process context; the host asks once, before switching on.
class IProcessContextRequirements : public FUnknown {
public:
    static constexpr Uid iid = MakeUid(0x2A654303, 0xEF764E3D, 0x95B5FE83, 0x730EF6D0);
    enum Flags : uint32_t {
        kNeedProjectTimeMusic = 1 << 2,
        kNeedBarPositionMusic = 1 << 3,
        kNeedTempo = 1 << 6,
        kNeedTimeSignature = 1 << 7,
        kNeedTransportState = 1 << 10,
    };
    virtual uint32_t getProcessContextRequirements() = 0;

protected:
    ~IProcessContextRequirements() = default;
};

// ---- The edit controller ----

struct ParameterInfo {
    enum Flags : int32_t {
        kNoFlags = 0,
        kCanAutomate = 1 << 0,
        kIsReadOnly = 1 << 1,
        kIsWrapAround = 1 << 2,
        kIsList = 1 << 3,
        kIsHidden = 1 << 4,
        kIsProgramChange = 1 << 15,
        kIsBypass = 1 << 16,
    };
    ParamID id;
    String128 title;
    String128 shortTitle;
    String128 units;
    int32_t stepCount; // 0: continuous; n: n + 1 discrete values
    ParamValue defaultNormalizedValue;
    int32_t unitId;
    int32_t flags;
};

static_assert(sizeof(ParameterInfo) == 792 && offsetof(ParameterInfo, defaultNormalizedValue) == 776,
              "ParameterInfo layout");

// What a component tells its host to reload through IComponentHandler::restartComponent.
enum RestartFlags : int32_t {
    kReloadComponent = 1 << 0,
    kIoChanged = 1 << 1,
    kParamValuesChanged = 1 << 2,
    kLatencyChanged = 1 << 3,
    kParamTitlesChanged = 1 << 4,
};

class IComponentHandler : public FUnknown {
public:
    static constexpr Uid iid = MakeUid(0x93A0BEA3, 0x0BD045DB, 0x8E890B0C, 0xC1E46AC6);
    virtual tresult beginEdit(ParamID id) = 0;
    virtual tresult performEdit(ParamID id, ParamValue normalized) = 0;
    virtual tresult endEdit(ParamID id) = 0;
    virtual tresult restartComponent(int32_t flags) = 0;

protected:
    ~IComponentHandler() = default;
};

class IPlugView;

class IEditController : public IPluginBase {
public:
    static constexpr Uid iid = MakeUid(0xDCD7BBE3, 0x7742448D, 0xA874AACC, 0x979C759E);
    virtual tresult setComponentState(IBStream* state) = 0;
    virtual tresult setState(IBStream* state) = 0;
    virtual tresult getState(IBStream* state) = 0;
    virtual int32_t getParameterCount() = 0;
    virtual tresult getParameterInfo(int32_t index, ParameterInfo& info) = 0;
    virtual tresult getParamStringByValue(ParamID id, ParamValue normalized, String128 text) = 0;
    virtual tresult getParamValueByString(ParamID id, char16_t* text, ParamValue& normalized) = 0;
    virtual ParamValue normalizedParamToPlain(ParamID id, ParamValue normalized) = 0;
    virtual ParamValue plainParamToNormalized(ParamID id, ParamValue plain) = 0;
    virtual ParamValue getParamNormalized(ParamID id) = 0;
    virtual tresult setParamNormalized(ParamID id, ParamValue normalized) = 0;
    virtual tresult setComponentHandler(IComponentHandler* handler) = 0;
    virtual IPlugView* createView(FIDString name) = 0;

protected:
    ~IEditController() = default;
};

// ---- Units and program lists ----

using UnitID = int32_t;
using ProgramListID = int32_t;
constexpr UnitID kRootUnitId = 0;
constexpr UnitID kNoParentUnitId = -1;
constexpr ProgramListID kNoProgramListId = -1;

struct UnitInfo {
    UnitID id;
    UnitID parentUnitId;
    String128 name;
    ProgramListID programListId;
};

struct ProgramListInfo {
    ProgramListID id;
    String128 name;
    int32_t programCount;
};

static_assert(sizeof(UnitInfo) == 268 && offsetof(UnitInfo, programListId) == 264, "UnitInfo layout");
static_assert(sizeof(ProgramListInfo) == 264 && offsetof(ProgramListInfo, programCount) == 260,
              "ProgramListInfo layout");

// The controller's units: here one root unit, which holds the program list of the factory
// presets. Hosts list the programs in their preset menus and choose one through the
// parameter flagged kIsProgramChange.
class IUnitInfo : public FUnknown {
public:
    static constexpr Uid iid = MakeUid(0x3D4BD6B5, 0x913A4FD2, 0xA886E768, 0xA5EB92C1);
    virtual int32_t getUnitCount() = 0;
    virtual tresult getUnitInfo(int32_t unitIndex, UnitInfo& info) = 0;
    virtual int32_t getProgramListCount() = 0;
    virtual tresult getProgramListInfo(int32_t listIndex, ProgramListInfo& info) = 0;
    virtual tresult getProgramName(ProgramListID listId, int32_t programIndex, String128 name) = 0;
    virtual tresult getProgramInfo(ProgramListID listId, int32_t programIndex, const char* attributeId,
                                   String128 attributeValue) = 0;
    virtual tresult hasProgramPitchNames(ProgramListID listId, int32_t programIndex) = 0;
    virtual tresult getProgramPitchName(ProgramListID listId, int32_t programIndex, int16_t midiPitch,
                                        String128 name) = 0;
    virtual UnitID getSelectedUnit() = 0;
    virtual tresult selectUnit(UnitID unitId) = 0;
    virtual tresult getUnitByBus(int32_t type, int32_t direction, int32_t busIndex, int32_t channel,
                                 UnitID& unitId) = 0;
    virtual tresult setUnitProgramData(int32_t listOrUnitId, int32_t programIndex, IBStream* data) = 0;

protected:
    ~IUnitInfo() = default;
};

// ---- The editor view ----

constexpr const char* kPlatformTypeHWND = "HWND";
constexpr const char* kPlatformTypeX11EmbedWindowID = "X11EmbedWindowID";
constexpr const char* kEditorViewType = "editor";

struct ViewRect {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

class IPlugFrame;

class IPlugView : public FUnknown {
public:
    static constexpr Uid iid = MakeUid(0x5BC32507, 0xD06049EA, 0xA6151B52, 0x2B755B29);
    virtual tresult isPlatformTypeSupported(FIDString type) = 0;
    virtual tresult attached(void* parent, FIDString type) = 0;
    virtual tresult removed() = 0;
    virtual tresult onWheel(float distance) = 0;
    virtual tresult onKeyDown(char16_t key, int16_t keyCode, int16_t modifiers) = 0;
    virtual tresult onKeyUp(char16_t key, int16_t keyCode, int16_t modifiers) = 0;
    virtual tresult getSize(ViewRect* size) = 0;
    virtual tresult onSize(ViewRect* newSize) = 0;
    virtual tresult onFocus(TBool state) = 0;
    virtual tresult setFrame(IPlugFrame* frame) = 0;
    virtual tresult canResize() = 0;
    virtual tresult checkSizeConstraint(ViewRect* rect) = 0;

protected:
    ~IPlugView() = default;
};

class IPlugFrame : public FUnknown {
public:
    static constexpr Uid iid = MakeUid(0x367FAF01, 0xAFA94693, 0x8D4DA2A0, 0xED0882A3);
    virtual tresult resizeView(IPlugView* view, ViewRect* newSize) = 0;

protected:
    ~IPlugFrame() = default;
};

class IPlugViewContentScaleSupport : public FUnknown {
public:
    static constexpr Uid iid = MakeUid(0x65ED9690, 0x8AC44525, 0x8AADEF7A, 0x72EA703F);
    virtual tresult setContentScaleFactor(float factor) = 0;

protected:
    ~IPlugViewContentScaleSupport() = default;
};

// Linux: the host's run loop, which the frame given to setFrame offers. The view's timer and
// its X connection's events run there, on the host's GUI thread.
class IEventHandler : public FUnknown {
public:
    static constexpr Uid iid = MakeUid(0x561E65C9, 0x13A0496F, 0x813A2C35, 0x654D7983);
    virtual void onFDIsSet(int fd) = 0;

protected:
    ~IEventHandler() = default;
};

class ITimerHandler : public FUnknown {
public:
    static constexpr Uid iid = MakeUid(0x10BDD94F, 0x41424774, 0x821FAD8F, 0xECA72CA9);
    virtual void onTimer() = 0;

protected:
    ~ITimerHandler() = default;
};

class IRunLoop : public FUnknown {
public:
    static constexpr Uid iid = MakeUid(0x18C35366, 0x97764F1A, 0x9C5B8385, 0x7A871389);
    virtual tresult registerEventHandler(IEventHandler* handler, int fd) = 0;
    virtual tresult unregisterEventHandler(IEventHandler* handler) = 0;
    virtual tresult registerTimer(ITimerHandler* handler, uint64_t milliseconds) = 0;
    virtual tresult unregisterTimer(ITimerHandler* handler) = 0;

protected:
    ~IRunLoop() = default;
};

// ---- The library's exports ----

// Every platform: the factory, which the host releases when done.
using GetFactoryProc = IPluginFactory* (*)();
constexpr const char* kFactoryEntryName = "GetPluginFactory";
// Linux: called once after loading with the library's dlopen handle, and before unloading.
using ModuleEntryProc = bool (*)(void* libraryHandle);
using ModuleExitProc = bool (*)();
// Windows: the same pair without the handle.
using InitDllProc = bool (*)();
using ExitDllProc = bool (*)();

} // namespace vst3
