#pragma once
// A small VST 3 host for the tests: loads a bundle's library (dlopen on Linux, LoadLibrary on
// Windows), takes its factory through GetPluginFactory, and offers the host-side objects a
// plug-in talks to (streams, parameter-change queues, the component handler, the editor's
// frame and, on Linux, its run loop). Everything goes through vst3/vst3_abi.h only.

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#include <poll.h>
#endif

#include "vst3/vst3_abi.h"

namespace vst3_host {

using namespace vst3;

inline std::string ToUtf8(const char16_t* text, size_t capacity = 128)
{
    std::string out;
    for (size_t i = 0; i < capacity && text[i]; ++i) {
        const char16_t c = text[i];
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// Latin-1 and ASCII are all the tests type.
inline std::u16string ToUtf16(const std::string& text)
{
    std::u16string out;
    for (unsigned char c : text)
        out += static_cast<char16_t>(c);
    return out;
}

#ifdef TOLVANGER_VST3_LIBRARY
// The library under test: the one this tree built, or the one $TOLVANGER_TEST_VST3 names
// (the package test points it at the bundle unpacked from the package).
inline std::string TestLibraryPath()
{
    const char* chosen = std::getenv("TOLVANGER_TEST_VST3");
    return chosen && *chosen ? chosen : TOLVANGER_VST3_LIBRARY;
}
#endif

template <class Interface> Interface* Query(FUnknown* object)
{
    void* result = nullptr;
    if (!object || object->queryInterface(Interface::iid.bytes, &result) != kResultOk) return nullptr;
    return static_cast<Interface*>(result);
}

// The host's objects live on the test's stack; their counts only keep the protocol.
template <class Interface> class StackObject : public Interface {
public:
    tresult queryInterface(const char* iid, void** object) override
    {
        if (FUnknown::iid == iid || Interface::iid == iid) {
            *object = static_cast<Interface*>(this);
            return kResultOk;
        }
        *object = nullptr;
        return kNoInterface;
    }
    uint32_t addRef() override { return 1; }
    uint32_t release() override { return 1; }

protected:
    ~StackObject() = default;
};

class MemoryStream final : public StackObject<IBStream> {
public:
    MemoryStream() = default;
    explicit MemoryStream(std::vector<unsigned char> bytes) : bytes_(std::move(bytes)) {}

    tresult read(void* buffer, int32_t count, int32_t* done) override
    {
        if (count < 0 || !buffer) return kInvalidArgument;
        const size_t n = std::min<size_t>(static_cast<size_t>(count), bytes_.size() - std::min(position_, bytes_.size()));
        if (n) std::memcpy(buffer, bytes_.data() + position_, n);
        position_ += n;
        if (done) *done = static_cast<int32_t>(n);
        return kResultOk;
    }
    tresult write(void* buffer, int32_t count, int32_t* done) override
    {
        if (count < 0 || !buffer) return kInvalidArgument;
        if (bytes_.size() < position_ + count) bytes_.resize(position_ + count);
        std::memcpy(bytes_.data() + position_, buffer, static_cast<size_t>(count));
        position_ += static_cast<size_t>(count);
        if (done) *done = count;
        return kResultOk;
    }
    tresult seek(int64_t to, int32_t mode, int64_t* result) override
    {
        const int64_t base = mode == kSeekSet ? 0 : mode == kSeekCur ? static_cast<int64_t>(position_)
                                                                     : static_cast<int64_t>(bytes_.size());
        if (base + to < 0) return kInvalidArgument;
        position_ = static_cast<size_t>(base + to);
        if (result) *result = static_cast<int64_t>(position_);
        return kResultOk;
    }
    tresult tell(int64_t* at) override
    {
        if (!at) return kInvalidArgument;
        *at = static_cast<int64_t>(position_);
        return kResultOk;
    }

    const std::vector<unsigned char>& Bytes() const { return bytes_; }
    void Rewind() { position_ = 0; }

private:
    std::vector<unsigned char> bytes_;
    size_t position_ = 0;
};

class ValueQueue final : public StackObject<IParamValueQueue> {
public:
    explicit ValueQueue(ParamID id) : id_(id) {}
    ParamID getParameterId() override { return id_; }
    int32_t getPointCount() override { return static_cast<int32_t>(points_.size()); }
    tresult getPoint(int32_t index, int32_t& offset, ParamValue& value) override
    {
        if (index < 0 || index >= getPointCount()) return kInvalidArgument;
        offset = points_[static_cast<size_t>(index)].first;
        value = points_[static_cast<size_t>(index)].second;
        return kResultOk;
    }
    tresult addPoint(int32_t offset, ParamValue value, int32_t& index) override
    {
        index = getPointCount();
        points_.emplace_back(offset, value);
        return kResultOk;
    }

private:
    ParamID id_;
    std::vector<std::pair<int32_t, double>> points_;
};

class ParameterChanges final : public StackObject<IParameterChanges> {
public:
    int32_t getParameterCount() override { return static_cast<int32_t>(queues_.size()); }
    IParamValueQueue* getParameterData(int32_t index) override
    {
        return index >= 0 && index < getParameterCount() ? &queues_[static_cast<size_t>(index)] : nullptr;
    }
    IParamValueQueue* addParameterData(const ParamID& id, int32_t& index) override
    {
        for (size_t i = 0; i < queues_.size(); ++i)
            if (queues_[i].getParameterId() == id) {
                index = static_cast<int32_t>(i);
                return &queues_[i];
            }
        index = getParameterCount();
        return &queues_.emplace_back(id);
    }

    void Add(ParamID id, int32_t offset, double value)
    {
        int32_t ignored = 0;
        addParameterData(id, ignored)->addPoint(offset, value, ignored);
    }
    void Clear() { queues_.clear(); }

private:
    std::deque<ValueQueue> queues_;
};

struct EditCall {
    char kind; // 'b'egin, 'p'erform, 'e'nd
    ParamID id;
    double value;
};

class ComponentHandler final : public StackObject<IComponentHandler> {
public:
    tresult beginEdit(ParamID id) override { return Record({'b', id, 0.0}); }
    tresult performEdit(ParamID id, ParamValue value) override { return Record({'p', id, value}); }
    tresult endEdit(ParamID id) override { return Record({'e', id, 0.0}); }
    tresult restartComponent(int32_t flags) override
    {
        std::lock_guard lock(mutex_);
        restarts_.push_back(flags);
        return kResultOk;
    }

    std::vector<EditCall> Edits() const
    {
        std::lock_guard lock(mutex_);
        return edits_;
    }
    std::vector<int32_t> Restarts() const
    {
        std::lock_guard lock(mutex_);
        return restarts_;
    }

private:
    tresult Record(EditCall call)
    {
        std::lock_guard lock(mutex_);
        edits_.push_back(call);
        return kResultOk;
    }
    mutable std::mutex mutex_;
    std::vector<EditCall> edits_;
    std::vector<int32_t> restarts_;
};

// The editor's frame; on Linux also the run loop a VST 3 host offers through it, driven by
// Pump() the way a host's GUI loop drives its timers and watched descriptors.
class PlugFrame final : public IPlugFrame, public IRunLoop {
public:
    tresult queryInterface(const char* iid, void** object) override
    {
        if (FUnknown::iid == iid || IPlugFrame::iid == iid) {
            *object = static_cast<IPlugFrame*>(this);
            return kResultOk;
        }
        if (offerRunLoop && IRunLoop::iid == iid) {
            *object = static_cast<IRunLoop*>(this);
            return kResultOk;
        }
        *object = nullptr;
        return kNoInterface;
    }
    uint32_t addRef() override { return 1; }
    uint32_t release() override { return 1; }

    tresult resizeView(IPlugView*, ViewRect*) override { return kResultOk; }

    tresult registerEventHandler(IEventHandler* handler, int fd) override
    {
        if (!handler) return kInvalidArgument;
        handlers.emplace_back(handler, fd);
        return kResultOk;
    }
    tresult unregisterEventHandler(IEventHandler* handler) override
    {
        std::erase_if(handlers, [&](const auto& h) { return h.first == handler; });
        return kResultOk;
    }
    tresult registerTimer(ITimerHandler* handler, uint64_t milliseconds) override
    {
        if (!handler) return kInvalidArgument;
        timers.push_back({handler, milliseconds, Clock::now()});
        return kResultOk;
    }
    tresult unregisterTimer(ITimerHandler* handler) override
    {
        std::erase_if(timers, [&](const Timer& t) { return t.handler == handler; });
        return kResultOk;
    }

    // Runs the loop for a while: readable descriptors and due timers, as a host would.
    void Pump(int milliseconds)
    {
        const auto end = Clock::now() + std::chrono::milliseconds(milliseconds);
        do {
#if !defined(_WIN32)
            for (auto handlers_now = handlers; const auto& [handler, fd] : handlers_now) {
                pollfd watched{fd, POLLIN, 0};
                if (poll(&watched, 1, 0) > 0) handler->onFDIsSet(fd);
            }
#endif
            const auto now = Clock::now();
            for (auto timers_now = timers; auto& timer : timers_now)
                if (now - timer.last >= std::chrono::milliseconds(timer.interval)) {
                    for (auto& t : timers)
                        if (t.handler == timer.handler) t.last = now;
                    timer.handler->onTimer();
                }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        } while (Clock::now() < end);
    }

    using Clock = std::chrono::steady_clock;
    struct Timer {
        ITimerHandler* handler;
        uint64_t interval;
        Clock::time_point last;
    };
    bool offerRunLoop = true;
    std::vector<std::pair<IEventHandler*, int>> handlers;
    std::vector<Timer> timers;
};

// One loaded module: entry called, factory taken; the reverse when it goes.
class Module {
public:
    static std::unique_ptr<Module> Load(const std::string& path, std::string* error = nullptr)
    {
        std::unique_ptr<Module> module(new Module);
#if defined(_WIN32)
        module->handle_ = LoadLibraryA(path.c_str());
#else
        module->handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
#endif
        if (!module->handle_) {
            if (error) *error = "cannot load " + path;
            return nullptr;
        }
#if defined(_WIN32)
        auto entry = module->Symbol<InitDllProc>("InitDll");
        if (!entry || !entry()) {
#else
        auto entry = module->Symbol<ModuleEntryProc>("ModuleEntry");
        if (!entry || !entry(module->handle_)) {
#endif
            if (error) *error = "the module entry failed";
            return nullptr;
        }
        module->entered_ = true;
        auto factory = module->Symbol<GetFactoryProc>(kFactoryEntryName);
        module->factory_ = factory ? factory() : nullptr;
        if (!module->factory_) {
            if (error) *error = "no factory";
            return nullptr;
        }
        return module;
    }

    ~Module()
    {
        if (factory_) factory_->release();
#if defined(_WIN32)
        if (auto exit = entered_ ? Symbol<ExitDllProc>("ExitDll") : nullptr) exit();
        if (handle_) FreeLibrary(static_cast<HMODULE>(handle_));
#else
        if (auto exit = entered_ ? Symbol<ModuleExitProc>("ModuleExit") : nullptr) exit();
        if (handle_) dlclose(handle_);
#endif
    }

    template <class Proc> Proc Symbol(const char* name) const
    {
#if defined(_WIN32)
        return reinterpret_cast<Proc>(GetProcAddress(static_cast<HMODULE>(handle_), name));
#else
        return reinterpret_cast<Proc>(dlsym(handle_, name));
#endif
    }
    IPluginFactory* Factory() const { return factory_; }

    // The first class of the factory (ours has one).
    Uid FirstClass() const
    {
        PClassInfo info{};
        factory_->getClassInfo(0, &info);
        Uid id{};
        std::memcpy(id.bytes, info.cid, 16);
        return id;
    }

private:
    Module() = default;
    void* handle_ = nullptr;
    bool entered_ = false;
    IPluginFactory* factory_ = nullptr;
};

// One effect made through the factory: the component, its processor and its controller,
// with the usual set-up steps and stereo processing of either sample size.
class Effect {
public:
    static std::unique_ptr<Effect> Create(const Module& module, FUnknown* hostContext = nullptr)
    {
        std::unique_ptr<Effect> effect(new Effect);
        void* object = nullptr;
        const Uid cid = module.FirstClass();
        if (module.Factory()->createInstance(cid.bytes, IComponent::iid.bytes, &object) != kResultOk || !object)
            return nullptr;
        effect->component = static_cast<IComponent*>(object);
        effect->processor = Query<IAudioProcessor>(effect->component);
        effect->controller = Query<IEditController>(effect->component);
        if (!effect->processor || !effect->controller) return nullptr;
        if (effect->component->initialize(hostContext) != kResultOk) return nullptr;
        effect->initialised_ = true;
        effect->controller->setComponentHandler(&effect->handler);
        return effect;
    }

    ~Effect()
    {
        if (component && processing_) processor->setProcessing(false);
        if (component && active_) component->setActive(false);
        if (controller) {
            controller->setComponentHandler(nullptr);
            controller->release();
        }
        if (processor) processor->release();
        if (component) {
            if (initialised_) component->terminate();
            component->release();
        }
    }

    // Set-up, buses and switching on, as hosts do before the first block.
    bool Start(double sampleRate, int32_t maxBlock, int32_t sampleSize = kSample32)
    {
        SpeakerArrangement stereo = kStereo;
        ProcessSetup setup{kRealtime, sampleSize, maxBlock, sampleRate};
        if (processor->setBusArrangements(&stereo, 1, &stereo, 1) != kResultOk) return false;
        if (processor->setupProcessing(setup) != kResultOk) return false;
        component->activateBus(kAudio, kInput, 0, true);
        component->activateBus(kAudio, kOutput, 0, true);
        if (component->setActive(true) != kResultOk) return false;
        active_ = true;
        processing_ = processor->setProcessing(true) == kResultOk;
        return processing_;
    }

    template <class Sample>
    tresult Process(Sample** inputs, Sample** outputs, int32_t frames, IParameterChanges* changes = nullptr,
                    ProcessContext* context = nullptr)
    {
        AudioBusBuffers in{};
        AudioBusBuffers out{};
        in.numChannels = out.numChannels = 2;
        if constexpr (sizeof(Sample) == 4) {
            in.channelBuffers32 = inputs;
            out.channelBuffers32 = outputs;
        } else {
            in.channelBuffers64 = inputs;
            out.channelBuffers64 = outputs;
        }
        ProcessData data{};
        data.processMode = kRealtime;
        data.symbolicSampleSize = sizeof(Sample) == 4 ? kSample32 : kSample64;
        data.numSamples = frames;
        data.numInputs = 1;
        data.numOutputs = 1;
        data.inputs = &in;
        data.outputs = &out;
        data.inputParameterChanges = changes;
        data.processContext = context;
        return processor->process(data);
    }

    std::vector<unsigned char> State()
    {
        MemoryStream stream;
        if (component->getState(&stream) != kResultOk) return {};
        return stream.Bytes();
    }
    tresult SetState(const std::vector<unsigned char>& bytes)
    {
        MemoryStream stream(bytes);
        const tresult result = component->setState(&stream);
        stream.Rewind();
        controller->setComponentState(&stream);
        return result;
    }
    std::string Display(ParamID id, double normalized)
    {
        String128 text{};
        if (controller->getParamStringByValue(id, normalized, text) != kResultOk) return "<none>";
        return ToUtf8(text);
    }

    IComponent* component = nullptr;
    IAudioProcessor* processor = nullptr;
    IEditController* controller = nullptr;
    ComponentHandler handler;

private:
    Effect() = default;
    bool initialised_ = false;
    bool active_ = false;
    bool processing_ = false;
};

} // namespace vst3_host
