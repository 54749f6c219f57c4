// The VST 3 build as a VST 3 host sees it: the bundle's library loaded through its factory
// by our own test host, beside the VST 2.4 build loaded through hostkit. Texts, defaults,
// states and audio are checked against the VST 2.4 build's, the program list against the
// factory table.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "bench/programme_material.h"
#include "core/factory_presets.h"
#include "effect/parameter_table.h"
#include "tests/bypass_material.h"
#include "tests/plugin_fixture.h"
#include "tests/restart_material.h"
#include "tests/torn_settings.h"
#include "tests/vst3_host.h"

#ifdef TOLVANGER_VST3_LIBRARY
namespace {

using namespace vst3_host;

Module& LoadedModule()
{
    static std::unique_ptr<Module> module = [] {
        std::string error;
        auto loaded = Module::Load(TestLibraryPath(), &error);
        if (!loaded) ADD_FAILURE() << error;
        return loaded;
    }();
    return *module;
}

std::unique_ptr<Effect> StartedEffect(double rate, int32_t block, int32_t sampleSize = kSample32)
{
    auto effect = Effect::Create(LoadedModule());
    if (effect && !effect->Start(rate, block, sampleSize)) return nullptr;
    return effect;
}

std::string RunCommand(const std::string& command)
{
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return output;
    char buffer[4096];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output.append(buffer, n);
    pclose(pipe);
    return output;
}

TEST(Vst3Factory, ExportsTheFactoryAndTheModuleEntriesOnly)
{
    const std::string symbols =
        RunCommand("nm -D --defined-only " + TestLibraryPath() + " | awk '{print $3}'");
    std::set<std::string> names;
    for (size_t at = 0, end; (end = symbols.find('\n', at)) != std::string::npos; at = end + 1)
        if (end > at) names.insert(symbols.substr(at, end - at));
    EXPECT_EQ(names, (std::set<std::string>{"GetPluginFactory", "ModuleEntry", "ModuleExit"}));
}

TEST(Vst3Factory, DescribesOneAudioEffectClassInAllThreeForms)
{
    IPluginFactory* factory = LoadedModule().Factory();
    PFactoryInfo info{};
    ASSERT_EQ(factory->getFactoryInfo(&info), kResultOk);
    EXPECT_STREQ(info.vendor, "Calder Forges");
    EXPECT_EQ(info.flags & PFactoryInfo::kUnicode, PFactoryInfo::kUnicode);
    ASSERT_EQ(factory->countClasses(), 1);

    PClassInfo plain{};
    ASSERT_EQ(factory->getClassInfo(0, &plain), kResultOk);
    EXPECT_STREQ(plain.category, "Audio Module Class");
    EXPECT_STREQ(plain.name, "Tolvanger");
    EXPECT_EQ(plain.cardinality, kManyInstances);
    EXPECT_NE(factory->getClassInfo(1, &plain), kResultOk);

    auto* factory2 = Query<IPluginFactory2>(factory);
    ASSERT_TRUE(factory2);
    PClassInfo2 second{};
    ASSERT_EQ(factory2->getClassInfo2(0, &second), kResultOk);
    EXPECT_EQ(std::memcmp(second.cid, plain.cid, 16), 0);
    EXPECT_STREQ(second.category, "Audio Module Class");
    const std::string subCategories = second.subCategories;
    EXPECT_EQ(subCategories.rfind("Fx|", 0), 0u) << subCategories;
    EXPECT_NE(subCategories.find("Dynamics"), std::string::npos) << subCategories;
    EXPECT_STREQ(second.vendor, "Calder Forges");
    EXPECT_STREQ(second.version, TOLVANGER_VERSION_TEXT);

    auto* factory3 = Query<IPluginFactory3>(factory);
    ASSERT_TRUE(factory3);
    PClassInfoW wide{};
    ASSERT_EQ(factory3->getClassInfoUnicode(0, &wide), kResultOk);
    EXPECT_EQ(ToUtf8(wide.name, 64), "Tolvanger");
    EXPECT_EQ(ToUtf8(wide.vendor, 64), "Calder Forges");
    EXPECT_EQ(ToUtf8(wide.version, 64), TOLVANGER_VERSION_TEXT);
    EXPECT_STREQ(wide.subCategories, second.subCategories);

    // Another class or interface is refused without an object.
    void* object = reinterpret_cast<void*>(1);
    char other[16] = {1};
    EXPECT_NE(factory->createInstance(other, IComponent::iid.bytes, &object), kResultOk);
    EXPECT_EQ(object, nullptr);
    EXPECT_NE(factory->createInstance(plain.cid, IPlugFrame::iid.bytes, &object), kResultOk);
    EXPECT_EQ(object, nullptr);
}

TEST(Vst3Effect, HasOneStereoInputAndOutputAndBothSampleSizes)
{
    auto effect = Effect::Create(LoadedModule());
    ASSERT_TRUE(effect);
    IComponent* c = effect->component;
    EXPECT_EQ(c->getBusCount(kAudio, kInput), 1);
    EXPECT_EQ(c->getBusCount(kAudio, kOutput), 1);
    EXPECT_EQ(c->getBusCount(kEvent, kInput), 0);
    EXPECT_EQ(c->getBusCount(kEvent, kOutput), 0);
    for (int32_t direction : {kInput, kOutput}) {
        BusInfo bus{};
        ASSERT_EQ(c->getBusInfo(kAudio, direction, 0, bus), kResultOk);
        EXPECT_EQ(bus.channelCount, 2);
        EXPECT_EQ(bus.busType, kMain);
        EXPECT_EQ(bus.direction, direction);
        EXPECT_TRUE(bus.flags & BusInfo::kDefaultActive);
        EXPECT_NE(c->getBusInfo(kAudio, direction, 1, bus), kResultOk);
        SpeakerArrangement arrangement = 0;
        ASSERT_EQ(effect->processor->getBusArrangement(direction, 0, arrangement), kResultOk);
        EXPECT_EQ(arrangement, kStereo);
    }
    SpeakerArrangement mono = kSpeakerL;
    SpeakerArrangement stereo = kStereo;
    EXPECT_NE(effect->processor->setBusArrangements(&mono, 1, &mono, 1), kResultOk);
    EXPECT_NE(effect->processor->setBusArrangements(&stereo, 1, &mono, 1), kResultOk);
    EXPECT_EQ(effect->processor->setBusArrangements(&stereo, 1, &stereo, 1), kResultOk);
    EXPECT_EQ(effect->processor->canProcessSampleSize(kSample32), kResultTrue);
    EXPECT_EQ(effect->processor->canProcessSampleSize(kSample64), kResultTrue);
    EXPECT_EQ(effect->processor->getTailSamples(), 0u);
}

// Normalised values every parameter is shown at: the ends, the middle and values off the steps.
constexpr float kProbes[] = {0.0f, 0.013f, 0.25f, 0.5f, 0.5049f, 0.77f, 1.0f};

TEST(Vst3Parameters, MatchTheVstBuildsNamesDefaultsAndTexts)
{
    auto effect = Effect::Create(LoadedModule());
    ASSERT_TRUE(effect);
    auto vst = testing_support::NewInstance();
    ASSERT_TRUE(vst);
    vst->Dispatch(effOpen);
    IEditController* controller = effect->controller;
    // The thirty, then the bypass (Vst3Bypass below) and the program change
    // (vst3_presets_test.cpp).
    ASSERT_EQ(controller->getParameterCount(), vst->effect()->numParams + 2);
    // What the block section reads of the transport, and nothing more.
    auto* requirements = Query<IProcessContextRequirements>(effect->component);
    ASSERT_TRUE(requirements);
    EXPECT_EQ(requirements->getProcessContextRequirements(),
              IProcessContextRequirements::kNeedTempo | IProcessContextRequirements::kNeedTimeSignature |
                  IProcessContextRequirements::kNeedTransportState | IProcessContextRequirements::kNeedProjectTimeMusic |
                  IProcessContextRequirements::kNeedBarPositionMusic);
    requirements->release();
    std::vector<float> defaults;
    for (int32_t i = 0; i < vst->effect()->numParams; ++i)
        defaults.push_back(vst->GetParameter(i));

    for (int32_t i = 0; i < vst->effect()->numParams; ++i) {
        SCOPED_TRACE(vst->ParameterName(i));
        ParameterInfo info{};
        ASSERT_EQ(controller->getParameterInfo(i, info), kResultOk);
        EXPECT_EQ(info.id, static_cast<ParamID>(i));
        EXPECT_EQ(ToUtf8(info.title), vst->ParameterName(i));
        const ParameterRow& row = kParameterTable[i];
        EXPECT_EQ(ToUtf8(info.units), row.unit);
        EXPECT_EQ(info.defaultNormalizedValue, static_cast<double>(defaults[static_cast<size_t>(i)]));
        EXPECT_EQ(controller->getParamNormalized(info.id), info.defaultNormalizedValue);
        EXPECT_TRUE(info.flags & ParameterInfo::kCanAutomate);
        // Every parameter moves in its steps: a switch has one, a Compress slider 40.
        EXPECT_EQ(info.stepCount, std::lround((row.maximum - row.minimum) / row.step));
        EXPECT_EQ((info.flags & ParameterInfo::kIsList) != 0, row.option0 != nullptr);

        for (float probe : kProbes) {
            vst->SetParameter(i, probe);
            const std::string text = vst->ParameterDisplay(i);
            EXPECT_EQ(effect->Display(info.id, probe), text) << "at " << probe;
            // The text typed back gives a value shown the same.
            std::u16string typed = ToUtf16(text);
            ParamValue parsed = -1.0;
            ASSERT_EQ(controller->getParamValueByString(info.id, typed.data(), parsed), kResultOk) << text;
            EXPECT_EQ(effect->Display(info.id, parsed), text);
            // Set by the host, the value reads back as the VST build's after the same set.
            ASSERT_EQ(controller->setParamNormalized(info.id, probe), kResultOk);
            EXPECT_EQ(controller->getParamNormalized(info.id), static_cast<double>(vst->GetParameter(i)));
        }
        std::u16string nonsense = u"loud";
        ParamValue untouched = 0.125;
        EXPECT_NE(controller->getParamValueByString(info.id, nonsense.data(), untouched), kResultOk);
        EXPECT_EQ(untouched, 0.125);
    }
    ParameterInfo none{};
    EXPECT_NE(controller->getParameterInfo(controller->getParameterCount(), none), kResultOk);
    EXPECT_NE(controller->getParameterInfo(-1, none), kResultOk);
}

struct Change {
    int64_t frame; // where in the material
    ParamID id;
    float value;
};

// The material run through both builds in blocks of `block` frames, each change at its
// frame: in the VST 3 build through the parameter queue at its offset in the block, in the
// VST 2.4 build by setParameter between two processing calls that split the block there.
// Answers the frames whose samples differ in any bit.
template <class Sample>
int64_t DifferingFrames(Effect& effect, hostkit::PluginInstance& vst, const material::Stereo& music, int32_t block,
                        const std::vector<Change>& changes)
{
    const auto length = static_cast<int64_t>(music.left.size());
    std::vector<Sample> left(static_cast<size_t>(block)), right(left), vstLeft(left), vstRight(left);
    int64_t differing = 0;
    size_t next = 0;
    for (int64_t at = 0; at < length; at += block) {
        const auto n = static_cast<int32_t>(std::min<int64_t>(block, length - at));
        for (int32_t j = 0; j < n; ++j) {
            left[j] = vstLeft[j] = static_cast<Sample>(music.left[static_cast<size_t>(at + j)]);
            right[j] = vstRight[j] = static_cast<Sample>(music.right[static_cast<size_t>(at + j)]);
        }
        ParameterChanges queues;
        int32_t done = 0;
        for (; next < changes.size() && changes[next].frame < at + n; ++next) {
            const auto offset = static_cast<int32_t>(changes[next].frame - at);
            queues.Add(changes[next].id, offset, changes[next].value);
            if (offset > done) {
                Sample* piece[2] = {vstLeft.data() + done, vstRight.data() + done};
                vst.Process(piece, piece, offset - done);
                done = offset;
            }
            vst.SetParameter(static_cast<int32_t>(changes[next].id), changes[next].value);
        }
        Sample* rest[2] = {vstLeft.data() + done, vstRight.data() + done};
        vst.Process(rest, rest, n - done);
        Sample* io[2] = {left.data(), right.data()};
        if (effect.Process<Sample>(io, io, n, &queues) != kResultOk) return -1;
        for (int32_t j = 0; j < n; ++j)
            differing += std::memcmp(&left[j], &vstLeft[j], sizeof(Sample)) != 0 ||
                         std::memcmp(&right[j], &vstRight[j], sizeof(Sample)) != 0;
    }
    return differing;
}

// Settings across the table, changed along the way: gains, transients, switches, the
// stereo section and back to defaults, as normalised values.
const std::vector<Change> kChanges = {
    {0, 0, 0.55f},      {0, 10, 0.65f},     {0, 5, 0.675f},    {3000, 12, 0.3f},  {9000, 17, 1.0f},
    {9000, 24, 1.0f},   {20000, 25, 0.75f}, {20000, 26, 0.0f}, {31000, 28, 0.6f}, {41000, 29, 0.4f},
    {52000, 17, 0.0f},  {52000, 4, 0.0f},   {63000, 10, 0.5f}, {70000, 27, 1.0f}, {80000, 0, 0.375f},
    {85000, 23, 0.8f},  {86000, 9, 0.0f},   {90000, 26, 1.0f},
};

template <class Sample> void ExpectSameAudio(int32_t block)
{
    SCOPED_TRACE("block " + std::to_string(block) + ", " + std::to_string(8 * sizeof(Sample)) + "-bit");
    constexpr double kRate = 48000.0;
    auto effect = StartedEffect(kRate, block, sizeof(Sample) == 4 ? kSample32 : kSample64);
    ASSERT_TRUE(effect);
    auto vst = testing_support::StartedInstance(static_cast<float>(kRate), block);
    ASSERT_TRUE(vst);
    const material::Stereo music = material::Programme(48000, 100000, 5);
    EXPECT_EQ(DifferingFrames<Sample>(*effect, *vst, music, block, kChanges), 0);
    EXPECT_EQ(effect->processor->getLatencySamples(), static_cast<uint32_t>(vst->InitialDelay()));
}

TEST(Vst3Audio, EqualsTheVstBuildSampleForSampleInBothSizes)
{
    for (int32_t block : {64, 441, 4096}) {
        ExpectSameAudio<float>(block);
        ExpectSameAudio<double>(block);
    }
}

// setActive(false) and (true) is a clean start: the same five seconds rendered again equal
// a fresh instance's, bit for bit.
TEST(Vst3Audio, RenderRestartRenderEqualsAFreshInstance)
{
    auto started = [] {
        auto effect = StartedEffect(testing_support::kRestartRate, testing_support::kRestartBlock);
        if (effect) {
            effect->controller->setParamNormalized(testing_support::kRestartInertia, 1.0);
            effect->controller->setParamNormalized(testing_support::kRestartPunch, 1.0);
        }
        return effect;
    };
    auto render = [](Effect& effect) {
        return testing_support::RenderRestartMaterial(
            [&](float** in, float** out, int frames) { effect.Process<float>(in, out, frames); });
    };
    auto fresh = started();
    auto effect = started();
    ASSERT_TRUE(fresh && effect);
    const std::vector<float> expected = render(*fresh);
    ASSERT_EQ(render(*effect), expected);
    effect->processor->setProcessing(false);
    ASSERT_EQ(effect->component->setActive(false), kResultOk);
    ASSERT_EQ(effect->component->setActive(true), kResultOk);
    effect->processor->setProcessing(true);
    EXPECT_EQ(render(*effect), expected);
}

// The controller moves Inertia flat out on the host's GUI thread while 64-frame blocks run,
// with LO Gain at +20 dB bypassed: no block hears a half-derived setting.
TEST(Vst3Audio, ControllerMovesOnAnotherThreadNeverLetABlockHearAHalfDerivedSetting)
{
    constexpr double kRate = 48000.0;
    auto loudest = [&](bool moving) {
        auto effect = StartedEffect(kRate, testing_support::kTornBlock);
        if (!effect) return -1.0;
        ParameterChanges settings;
        for (const auto& [id, value] : {std::pair<ParamID, double>{4, 0.0}, {9, 0.0}, {10, 1.0}, {19, 1.0}})
            settings.Add(id, 0, value);
        float silence[2][1] = {};
        float* none[2] = {silence[0], silence[1]};
        effect->Process<float>(none, none, 1, &settings);
        return testing_support::LoudestBlock(
            kRate, [&](float** io, int frames) { effect->Process<float>(io, io, frames); },
            [&](long n) { effect->controller->setParamNormalized(23, n % 2 ? 1.0 : 0.0); }, moving);
    };
    const double steady = loudest(false);
    ASSERT_GT(steady, 0.05);
    ASSERT_LT(steady, 0.15) << "LO Gain is not heard";
    EXPECT_LE(loudest(true), steady * std::pow(10.0, 0.1 / 20));
}

TEST(Vst3Audio, ReportsTheLatencyAndTellsTheHostOfAChange)
{
    auto effect = StartedEffect(48000.0, 512);
    ASSERT_TRUE(effect);
    auto vst = testing_support::StartedInstance(48000.0f, 512);
    ASSERT_TRUE(vst);
    EXPECT_EQ(effect->processor->getLatencySamples(), static_cast<uint32_t>(vst->InitialDelay()));
    EXPECT_GT(effect->processor->getLatencySamples(), 0u);

    // Switched on again at another rate, the lookahead changes and the host hears of it.
    auto fast = testing_support::StartedInstance(192000.0f, 512);
    ASSERT_NE(fast->InitialDelay(), vst->InitialDelay());
    effect->processor->setProcessing(false);
    effect->component->setActive(false);
    ProcessSetup setup{kRealtime, kSample32, 512, 192000.0};
    ASSERT_EQ(effect->processor->setupProcessing(setup), kResultOk);
    ASSERT_EQ(effect->component->setActive(true), kResultOk);
    const auto restarts = effect->handler.Restarts();
    ASSERT_FALSE(restarts.empty());
    EXPECT_TRUE(restarts.back() & kLatencyChanged);
    EXPECT_EQ(effect->processor->getLatencySamples(), static_cast<uint32_t>(fast->InitialDelay()));
}

TEST(Vst3State, RoundTripIntoAFreshInstanceRestoresEverySetting)
{
    auto effect = StartedEffect(44100.0, 512);
    ASSERT_TRUE(effect);
    auto vst = testing_support::StartedInstance(44100.0f, 512);
    ASSERT_TRUE(vst);
    ParameterChanges changes;
    for (const Change& c : kChanges) {
        changes.Add(c.id, 0, c.value);
        vst->SetParameter(static_cast<int32_t>(c.id), c.value);
    }
    float silence[2][16] = {};
    float* io[2] = {silence[0], silence[1]};
    ASSERT_EQ(effect->Process<float>(io, io, 16, &changes), kResultOk);

    // The VST 2.4 build's chunk, then the bypass, off.
    const std::vector<unsigned char> state = effect->State();
    ASSERT_EQ(state.size(), 264u);
    EXPECT_EQ(std::vector<unsigned char>(state.begin(), state.begin() + 260), vst->GetChunk());
    EXPECT_EQ(std::vector<unsigned char>(state.begin() + 260, state.end()), std::vector<unsigned char>(4, 0));

    auto fresh = StartedEffect(44100.0, 512);
    ASSERT_TRUE(fresh);
    ASSERT_EQ(fresh->SetState(state), kResultOk);
    for (int32_t i = 0; i < fresh->controller->getParameterCount(); ++i)
        EXPECT_EQ(fresh->controller->getParamNormalized(static_cast<ParamID>(i)),
                  effect->controller->getParamNormalized(static_cast<ParamID>(i)))
            << vst->ParameterName(i);
    EXPECT_EQ(fresh->State(), state);

    // The controller's own state is empty and takes anything.
    MemoryStream controllerState;
    EXPECT_EQ(effect->controller->getState(&controllerState), kResultOk);
    EXPECT_TRUE(controllerState.Bytes().empty());
}

TEST(Vst3Effect, CarelessHostsGetNeutralAnswers)
{
    auto effect = Effect::Create(LoadedModule());
    ASSERT_TRUE(effect);
    std::vector<float> left(256, 0.5f), right(256, 0.5f);
    float* io[2] = {left.data(), right.data()};
    // Processing before switching on: silence, and the host is told.
    EXPECT_NE(effect->Process<float>(io, io, 256), kResultOk);
    EXPECT_EQ(left[100], 0.0f);

    ASSERT_TRUE(effect->Start(44100.0, 256));
    // No frames, no buffers, no buses.
    EXPECT_EQ(effect->Process<float>(io, io, 0), kResultOk);
    EXPECT_EQ(effect->Process<float>(nullptr, nullptr, 256), kResultOk);
    float* none[2] = {nullptr, nullptr};
    EXPECT_EQ(effect->Process<float>(none, none, 256), kResultOk);
    ProcessData empty{};
    empty.numSamples = 256;
    EXPECT_EQ(effect->processor->process(empty), kResultOk);

    // Values outside 0 to 1 are held at the ends; NaN, unknown IDs and empty queues change nothing.
    const std::vector<unsigned char> before = effect->State();
    ParameterChanges changes;
    changes.Add(11, 0, std::nan(""));
    changes.Add(9999, 0, 0.5);
    int32_t ignored = 0;
    changes.addParameterData(12, ignored);
    ASSERT_EQ(effect->Process<float>(io, io, 256, &changes), kResultOk);
    EXPECT_EQ(effect->State(), before);
    EXPECT_NE(effect->controller->setParamNormalized(11, std::nan("")), kResultOk);
    EXPECT_NE(effect->controller->setParamNormalized(9999, 0.5), kResultOk);
    EXPECT_EQ(effect->controller->getParamNormalized(9999), 0.0);
    EXPECT_EQ(effect->State(), before);
    changes.Clear();
    changes.Add(10, 0, 7.0);
    changes.Add(12, 0, -3.0);
    ASSERT_EQ(effect->Process<float>(io, io, 256, &changes), kResultOk);
    EXPECT_EQ(effect->controller->getParamNormalized(10), 1.0);
    EXPECT_EQ(effect->controller->getParamNormalized(12), 0.0);
    String128 text{};
    EXPECT_NE(effect->controller->getParamStringByValue(9999, 0.5, text), kResultOk);

    // A state without our marker, or with no bytes, is refused and changes nothing; one with
    // the marker is taken whatever its length, as in every format.
    const std::vector<unsigned char> good = effect->State();
    ASSERT_EQ(good.size(), 264u);
    std::vector<unsigned char> unmarked = good;
    unmarked[0] ^= 0x5A;
    for (const auto& bad : {unmarked, std::vector<unsigned char>{0x00, 0x00, 0x7A}, std::vector<unsigned char>{}}) {
        EXPECT_NE(effect->SetState(bad), kResultOk) << bad.size() << " bytes";
        EXPECT_EQ(effect->State(), good);
    }
    std::vector<unsigned char> longer = good;
    longer.push_back(0);
    EXPECT_EQ(effect->SetState(longer), kResultOk);
    EXPECT_EQ(effect->State(), good);
    EXPECT_NE(effect->component->setState(nullptr), kResultOk);
    EXPECT_NE(effect->component->getState(nullptr), kResultOk);
    EXPECT_EQ(effect->controller->createView("another"), nullptr);
}

constexpr ParamID kBypass = 30;

template <class Sample> void ExpectBypassInTime(bool inPlace)
{
    using testing_support::BypassSwitch;
    auto effect = StartedEffect(testing_support::kBypassRate, testing_support::kBypassBlock,
                                sizeof(Sample) == 4 ? kSample32 : kSample64);
    ASSERT_TRUE(effect);
    const uint32_t latency = effect->processor->getLatencySamples();
    const size_t restarts = effect->handler.Restarts().size();
    bool first = true;
    testing_support::ExpectBypassInTime<Sample>(
        [&](Sample** in, Sample** out, int frames, BypassSwitch change) {
            ParameterChanges changes;
            if (first) changes.Add(testing_support::kBypassOutputIndex, 0, 0.0);
            first = false;
            if (change != BypassSwitch::kNone) changes.Add(kBypass, 0, change == BypassSwitch::kOn ? 1.0 : 0.0);
            EXPECT_EQ(effect->Process<Sample>(in, out, frames, &changes), kResultOk);
        },
        static_cast<int32_t>(latency), inPlace);
    EXPECT_EQ(effect->processor->getLatencySamples(), latency);
    EXPECT_EQ(effect->handler.Restarts().size(), restarts) << "nothing to restart for";
}

// The host's bypass is parameter 30, after the thirty, flagged as the bypass; 31 stays free.
TEST(Vst3Bypass, IsTheBypassParameterAndKeepsTheOutputInTimeWithTheLatency)
{
    auto effect = Effect::Create(LoadedModule());
    ASSERT_TRUE(effect);
    ParameterInfo info{};
    ASSERT_EQ(effect->controller->getParameterInfo(30, info), kResultOk);
    EXPECT_EQ(info.id, kBypass);
    EXPECT_EQ(ToUtf8(info.title), "Bypass");
    EXPECT_EQ(info.flags, ParameterInfo::kCanAutomate | ParameterInfo::kIsBypass);
    EXPECT_EQ(info.stepCount, 1);
    EXPECT_EQ(info.defaultNormalizedValue, 0.0);
    EXPECT_EQ(effect->controller->getParamNormalized(kBypass), 0.0);
    EXPECT_EQ(effect->Display(kBypass, 0.0), "Off");
    EXPECT_EQ(effect->Display(kBypass, 1.0), "On");
    ASSERT_EQ(effect->controller->getParameterInfo(31, info), kResultOk);
    EXPECT_TRUE(info.flags & ParameterInfo::kIsProgramChange) << "the program change, and nothing after it";
    EXPECT_NE(effect->controller->getParameterInfo(32, info), kResultOk);

    for (bool inPlace : {false, true}) {
        ExpectBypassInTime<float>(inPlace);
        ExpectBypassInTime<double>(inPlace);
    }
}

// The component state is the chunk and then the bypass as a float; a state saved before the
// bypass was kept loads with it off.
TEST(Vst3Bypass, TravelsWithTheComponentState)
{
    auto effect = StartedEffect(48000.0, 512);
    auto fresh = StartedEffect(48000.0, 512);
    ASSERT_TRUE(effect && fresh);
    ASSERT_EQ(effect->controller->setParamNormalized(kBypass, 1.0), kResultOk);
    const std::vector<unsigned char> state = effect->State();
    ASSERT_EQ(state.size(), 264u);
    EXPECT_EQ(std::vector<unsigned char>(state.begin() + 260, state.end()),
              (std::vector<unsigned char>{0x00, 0x00, 0x80, 0x3F}));
    ASSERT_EQ(fresh->SetState(state), kResultOk);
    EXPECT_EQ(fresh->controller->getParamNormalized(kBypass), 1.0);
    EXPECT_EQ(fresh->State(), state);
    ASSERT_EQ(fresh->SetState(std::vector<unsigned char>(state.begin(), state.begin() + 260)), kResultOk);
    EXPECT_EQ(fresh->controller->getParamNormalized(kBypass), 0.0);
}

// The factory bank as VST 3 hosts find it: the unit interface's one root unit holding the
// program list, one program per preset under the table's name, and the program-change
// parameter (ID 31, the last of the list, a step per program). Choosing a program through it,
// from the controller or in a block's parameter queues, sets every parameter to the table's
// values and tells the host to read them again.
TEST(Vst3Programs, TheBankIsTheProgramListAndAProgramSetsTheTablesValues)
{
    auto effect = StartedEffect(44100.0, 512);
    ASSERT_TRUE(effect);
    IEditController* controller = effect->controller;
    IUnitInfo* units = Query<IUnitInfo>(controller);
    ASSERT_TRUE(units);
    ASSERT_EQ(units->getUnitCount(), 1);
    UnitInfo unit{};
    ASSERT_EQ(units->getUnitInfo(0, unit), kResultOk);
    EXPECT_EQ(unit.id, kRootUnitId);
    EXPECT_EQ(unit.parentUnitId, kNoParentUnitId);
    EXPECT_NE(unit.programListId, kNoProgramListId);
    ASSERT_EQ(units->getProgramListCount(), 1);
    ProgramListInfo list{};
    ASSERT_EQ(units->getProgramListInfo(0, list), kResultOk);
    EXPECT_EQ(list.id, unit.programListId);
    const int32_t programs = kFactoryPresetCount;
    ASSERT_EQ(list.programCount, programs);
    String128 name{};
    for (int32_t k = 0; k < programs; ++k) {
        ASSERT_EQ(units->getProgramName(list.id, k, name), kResultOk);
        EXPECT_EQ(ToUtf8(name), kFactoryPresets[k].name);
    }
    EXPECT_NE(units->getProgramName(list.id, programs, name), kResultOk);
    EXPECT_NE(units->getProgramName(list.id + 1, 0, name), kResultOk);
    units->release();

    const int32_t count = controller->getParameterCount();
    ParameterInfo program{};
    ASSERT_EQ(controller->getParameterInfo(count - 1, program), kResultOk);
    EXPECT_EQ(program.id, 31u);
    EXPECT_TRUE(program.flags & ParameterInfo::kIsProgramChange);
    EXPECT_TRUE(program.flags & ParameterInfo::kIsList);
    EXPECT_EQ(program.stepCount, programs - 1);
    EXPECT_EQ(program.unitId, kRootUnitId);
    for (int32_t i = 0; i < count - 1; ++i) {
        ParameterInfo other{};
        ASSERT_EQ(controller->getParameterInfo(i, other), kResultOk);
        EXPECT_FALSE(other.flags & ParameterInfo::kIsProgramChange);
        EXPECT_EQ(other.id == 30u, (other.flags & ParameterInfo::kIsBypass) != 0) << "30 is the bypass";
    }

    auto expectTable = [&](int32_t k) {
        SCOPED_TRACE(kFactoryPresets[k].name);
        for (int i = 0; i < kParameterTableSize; ++i) {
            const ParameterRow& row = kParameterTable[i];
            EXPECT_NEAR(controller->getParamNormalized(static_cast<ParamID>(i)),
                        (kFactoryPresets[k].values[i] - row.minimum) / (row.maximum - row.minimum), 1e-6)
                << row.name;
        }
        const std::vector<unsigned char> state = effect->State();
        ASSERT_EQ(state.size(), 264u) << "the chunk and the bypass";
        std::vector<float> floats(65);
        std::memcpy(floats.data(), state.data(), 260);
        for (int i = 0; i < kParameterTableSize; ++i)
            EXPECT_FLOAT_EQ(floats[static_cast<size_t>(kParameterTable[i].slider)],
                            static_cast<float>(kFactoryPresets[k].values[i]))
                << kParameterTable[i].name;
    };
    for (int32_t k = 0; k < programs; ++k) {
        const double normalized = static_cast<double>(k) / (programs - 1);
        const size_t restarts = effect->handler.Restarts().size();
        ASSERT_EQ(controller->setParamNormalized(31, normalized), kResultOk);
        expectTable(k);
        EXPECT_EQ(controller->getParamNormalized(31), normalized);
        EXPECT_EQ(effect->Display(31, normalized), kFactoryPresets[k].name);
        std::u16string typed = ToUtf16(kFactoryPresets[k].name);
        ParamValue parsed = -1.0;
        ASSERT_EQ(controller->getParamValueByString(31, typed.data(), parsed), kResultOk);
        EXPECT_EQ(parsed, normalized);
        ASSERT_EQ(effect->handler.Restarts().size(), restarts + 1);
        EXPECT_EQ(effect->handler.Restarts().back(), kParamValuesChanged);
    }
    EXPECT_TRUE(effect->handler.Edits().empty()) << "the host chose: no edits are sent back";

    // In a block's parameter queue: the values are set, and the host is told afterwards from
    // a thread that may tell it (here, switching off).
    const int32_t chosen = 4;
    ParameterChanges changes;
    changes.Add(31, 8, static_cast<double>(chosen) / (programs - 1));
    float silence[2][16] = {};
    float* io[2] = {silence[0], silence[1]};
    const size_t restarts = effect->handler.Restarts().size();
    ASSERT_EQ(effect->Process<float>(io, io, 16, &changes), kResultOk);
    expectTable(chosen);
    EXPECT_EQ(effect->handler.Restarts().size(), restarts) << "nothing from the audio thread";
    effect->component->setActive(false);
    ASSERT_EQ(effect->handler.Restarts().size(), restarts + 1);
    EXPECT_EQ(effect->handler.Restarts().back(), kParamValuesChanged);
}

} // namespace
#endif
