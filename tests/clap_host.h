#pragma once
// A small CLAP host for the tests: loads a built .clap through its clap_entry, with our
// own declarations, and runs one instance. It offers the thread-check, params, latency,
// state, timer, POSIX descriptor and preset-load extensions, knows its main thread and marks
// the calls it makes as the audio thread, and records what the plug-in asks of it.

#include <algorithm>
#include <atomic>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "clap/clap_abi.h"
#include "tools/hostkit/plugin_host.h"

namespace testing_support {

// One loaded .clap, initialised once through its entry and deinitialised when it goes.
class ClapLibrary {
public:
    static std::unique_ptr<ClapLibrary> Load(const std::string& path, std::string* why = nullptr)
    {
        auto library = hostkit::PluginLibrary::Load(path, why);
        if (!library) return nullptr;
        // The entry is a data symbol; the loader hands out its address like a function's.
        const auto* entry = reinterpret_cast<const clap_plugin_entry_t*>(library->Entry("clap_entry"));
        if (!entry || !entry->init || !entry->init(path.c_str())) {
            if (why) *why = "no clap_entry, or its init failed";
            return nullptr;
        }
        return std::unique_ptr<ClapLibrary>(new ClapLibrary(std::move(library), entry));
    }
    ~ClapLibrary() { entry_->deinit(); }
    const clap_plugin_entry_t* entry() const { return entry_; }
    const clap_plugin_factory_t* factory() const
    {
        return static_cast<const clap_plugin_factory_t*>(entry_->get_factory(CLAP_PLUGIN_FACTORY_ID));
    }

private:
    ClapLibrary(std::unique_ptr<hostkit::PluginLibrary> library, const clap_plugin_entry_t* entry)
        : library_(std::move(library)), entry_(entry)
    {
    }
    std::unique_ptr<hostkit::PluginLibrary> library_;
    const clap_plugin_entry_t* entry_;
};

// The calls a host makes on its audio thread go through an AudioScope on the calling thread.
inline thread_local bool tOnAudioThread = false;
struct AudioScope {
    AudioScope() { tOnAudioThread = true; }
    ~AudioScope() { tOnAudioThread = false; }
};

// Events as a host hands them over: each one a copy of its bytes.
class EventList {
public:
    template <typename Event> void Add(const Event& e)
    {
        std::vector<unsigned char> bytes(sizeof e);
        std::memcpy(bytes.data(), &e, sizeof e);
        events_.push_back(std::move(bytes));
    }
    void AddValue(clap_id id, double value, uint32_t time = 0)
    {
        clap_event_param_value_t e{};
        e.header = {sizeof e, time, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_PARAM_VALUE, 0};
        e.param_id = id;
        e.note_id = -1;
        e.port_index = e.channel = e.key = -1;
        e.value = value;
        Add(e);
    }
    const clap_input_events_t* input()
    {
        in_ = {this, &Size, &Get};
        return &in_;
    }
    const clap_output_events_t* output()
    {
        out_ = {this, &Push};
        return &out_;
    }
    size_t size() const { return events_.size(); }
    const clap_event_header_t* at(size_t i) const
    {
        return reinterpret_cast<const clap_event_header_t*>(events_[i].data());
    }
    void clear() { events_.clear(); }

private:
    static uint32_t Size(const clap_input_events_t* list)
    {
        return static_cast<uint32_t>(static_cast<EventList*>(list->ctx)->events_.size());
    }
    static const clap_event_header_t* Get(const clap_input_events_t* list, uint32_t i)
    {
        auto* self = static_cast<EventList*>(list->ctx);
        return i < self->events_.size() ? self->at(i) : nullptr;
    }
    static bool Push(const clap_output_events_t* list, const clap_event_header_t* e)
    {
        auto* self = static_cast<EventList*>(list->ctx);
        std::vector<unsigned char> bytes(e->size);
        std::memcpy(bytes.data(), e, e->size);
        self->events_.push_back(std::move(bytes));
        return true;
    }
    std::vector<std::vector<unsigned char>> events_;
    clap_input_events_t in_{};
    clap_output_events_t out_{};
};

struct ClapHostOptions {
    bool threadCheck = true;
    bool timers = true;
    bool fds = true;
};

// The host side of one instance.
class ClapInstance {
public:
    // Made and initialised on the calling thread, which becomes the host's main thread.
    static std::unique_ptr<ClapInstance> Create(const ClapLibrary& library, ClapHostOptions options = {})
    {
        std::unique_ptr<ClapInstance> self(new ClapInstance(options));
        const clap_plugin_factory_t* factory = library.factory();
        if (!factory || factory->get_plugin_count(factory) != 1) return nullptr;
        const clap_plugin_descriptor_t* d = factory->get_plugin_descriptor(factory, 0);
        self->plugin = d ? factory->create_plugin(factory, &self->host_, d->id) : nullptr;
        if (!self->plugin || !self->plugin->init(self->plugin)) return nullptr;
        self->params = self->Extension<clap_plugin_params_t>(CLAP_EXT_PARAMS);
        self->state = self->Extension<clap_plugin_state_t>(CLAP_EXT_STATE);
        self->ports = self->Extension<clap_plugin_audio_ports_t>(CLAP_EXT_AUDIO_PORTS);
        self->latency = self->Extension<clap_plugin_latency_t>(CLAP_EXT_LATENCY);
        self->render = self->Extension<clap_plugin_render_t>(CLAP_EXT_RENDER);
        self->gui = self->Extension<clap_plugin_gui_t>(CLAP_EXT_GUI);
        self->timer = self->Extension<clap_plugin_timer_support_t>(CLAP_EXT_TIMER_SUPPORT);
        self->fd = self->Extension<clap_plugin_posix_fd_support_t>(CLAP_EXT_POSIX_FD_SUPPORT);
        self->presetLoad = self->Extension<clap_plugin_preset_load_t>(CLAP_EXT_PRESET_LOAD);
        return self;
    }
    ~ClapInstance()
    {
        if (plugin) {
            Stop();
            plugin->destroy(plugin);
        }
    }
    ClapInstance(const ClapInstance&) = delete;
    ClapInstance& operator=(const ClapInstance&) = delete;

    template <typename Ext> const Ext* Extension(const char* id) const
    {
        return static_cast<const Ext*>(plugin->get_extension(plugin, id));
    }

    // Activation on the main thread, then start_processing on the audio thread.
    bool Start(double sampleRate = 44100.0, uint32_t maxFrames = 4096)
    {
        if (!plugin->activate(plugin, sampleRate, 1, maxFrames)) return false;
        active_ = true;
        AudioScope audio;
        return plugin->start_processing(plugin);
    }
    void Stop()
    {
        if (!active_) return;
        {
            AudioScope audio;
            plugin->stop_processing(plugin);
        }
        plugin->deactivate(plugin);
        active_ = false;
    }

    // One block through process() on the audio thread, 32-bit or 64-bit; the output
    // events it gives land in `outEvents`.
    template <typename Sample>
    int32_t Process(Sample* const* in, Sample* const* out, uint32_t frames, EventList* inEvents = nullptr,
                    const clap_event_transport_t* transport = nullptr)
    {
        clap_audio_buffer_t input{}, output{};
        input.channel_count = output.channel_count = 2;
        if constexpr (sizeof(Sample) == 8) {
            input.data64 = const_cast<double**>(in);
            output.data64 = const_cast<double**>(out);
        } else {
            input.data32 = const_cast<float**>(in);
            output.data32 = const_cast<float**>(out);
        }
        EventList empty;
        clap_process_t p{};
        p.steady_time = steadyTime_;
        p.frames_count = frames;
        p.transport = transport;
        p.audio_inputs = &input;
        p.audio_outputs = &output;
        p.audio_inputs_count = p.audio_outputs_count = 1;
        p.in_events = (inEvents ? inEvents : &empty)->input();
        p.out_events = outEvents.output();
        steadyTime_ += frames;
        AudioScope audio;
        return plugin->process(plugin, &p);
    }

    // A flush on the thread CLAP names for the instance's state.
    void Flush(EventList* inEvents = nullptr)
    {
        EventList empty;
        if (active_) {
            AudioScope audio;
            params->flush(plugin, (inEvents ? inEvents : &empty)->input(), outEvents.output());
        } else {
            params->flush(plugin, (inEvents ? inEvents : &empty)->input(), outEvents.output());
        }
    }

    double Value(clap_id id)
    {
        double v = -12345.0;
        params->get_value(plugin, id, &v);
        return v;
    }
    std::string Text(clap_id id, double value)
    {
        char text[256] = "";
        return params->value_to_text(plugin, id, value, text, sizeof text) ? text : "(none)";
    }

    // The state through streams that move at most `piece` bytes per call.
    bool Save(std::vector<unsigned char>& bytes, uint64_t piece = 1 << 20)
    {
        Stream s{&bytes, 0, piece};
        clap_ostream_t out{&s, &Stream::Write};
        return state->save(plugin, &out);
    }
    bool Load(const std::vector<unsigned char>& bytes, uint64_t piece = 1 << 20)
    {
        Stream s{const_cast<std::vector<unsigned char>*>(&bytes), 0, piece};
        clap_istream_t in{&s, &Stream::Read};
        return state->load(plugin, &in);
    }

    // Fires every registered timer once, and answers pending main-thread callbacks.
    void Idle()
    {
        std::map<clap_id, uint32_t> timers = timers_;
        for (const auto& [id, period] : timers)
            if (timer) timer->on_timer(plugin, id);
        if (callbackRequests.exchange(0) > 0) plugin->on_main_thread(plugin);
    }
    const std::map<clap_id, uint32_t>& Timers() const { return timers_; }
    const std::map<int, uint32_t>& Fds() const { return fds_; }

    const clap_plugin_t* plugin = nullptr;
    const clap_plugin_params_t* params = nullptr;
    const clap_plugin_state_t* state = nullptr;
    const clap_plugin_audio_ports_t* ports = nullptr;
    const clap_plugin_latency_t* latency = nullptr;
    const clap_plugin_render_t* render = nullptr;
    const clap_plugin_gui_t* gui = nullptr;
    const clap_plugin_timer_support_t* timer = nullptr;
    const clap_plugin_posix_fd_support_t* fd = nullptr;
    const clap_plugin_preset_load_t* presetLoad = nullptr;

    EventList outEvents;
    std::atomic<int> flushRequests{0};
    std::atomic<int> processRequests{0};
    std::atomic<int> callbackRequests{0};
    std::atomic<int> restartRequests{0};
    std::atomic<int> latencyChanges{0};
    std::atomic<int> valueRescans{0};
    // The load keys the plug-in reported loaded, and those it reported failing.
    std::vector<std::string> presetsLoaded, presetErrors;
    // The window sizes the plug-in asked for.
    std::vector<std::pair<uint32_t, uint32_t>> resizeRequests;

private:
    explicit ClapInstance(ClapHostOptions options) : options_(options), mainThread_(std::this_thread::get_id())
    {
        host_ = {kClapVersion, this,           "Tolvanger test host", "Calder Forges", "",
                 "1",          &HostExtension, &RequestRestart,       &RequestProcess, &RequestCallback};
        threadCheck_ = {&IsMainThread, &IsAudioThread};
        hostParams_ = {&Rescan, &Clear, &RequestFlush};
        hostLatency_ = {&LatencyChanged};
        hostTimer_ = {&RegisterTimer, &UnregisterTimer};
        hostFd_ = {&RegisterFd, &ModifyFd, &UnregisterFd};
        hostGui_ = {&ResizeHintsChanged, &RequestResize, &RequestShowOrHide, &RequestShowOrHide, &GuiClosed};
        hostPresetLoad_ = {&PresetError, &PresetLoaded};
    }
    static ClapInstance& Of(const clap_host_t* h) { return *static_cast<ClapInstance*>(h->host_data); }

    static const void* HostExtension(const clap_host_t* h, const char* id)
    {
        ClapInstance& self = Of(h);
        const std::string name = id;
        if (name == CLAP_EXT_THREAD_CHECK && self.options_.threadCheck) return &self.threadCheck_;
        if (name == CLAP_EXT_PARAMS) return &self.hostParams_;
        if (name == CLAP_EXT_LATENCY) return &self.hostLatency_;
        if (name == CLAP_EXT_TIMER_SUPPORT && self.options_.timers) return &self.hostTimer_;
        if (name == CLAP_EXT_POSIX_FD_SUPPORT && self.options_.fds) return &self.hostFd_;
        if (name == CLAP_EXT_GUI) return &self.hostGui_;
        if (name == CLAP_EXT_PRESET_LOAD) return &self.hostPresetLoad_;
        return nullptr;
    }
    static void RequestRestart(const clap_host_t* h) { ++Of(h).restartRequests; }
    static void RequestProcess(const clap_host_t* h) { ++Of(h).processRequests; }
    static void RequestCallback(const clap_host_t* h) { ++Of(h).callbackRequests; }
    static bool IsMainThread(const clap_host_t* h)
    {
        return std::this_thread::get_id() == Of(h).mainThread_ && !tOnAudioThread;
    }
    static bool IsAudioThread(const clap_host_t*) { return tOnAudioThread; }
    static void Rescan(const clap_host_t* h, uint32_t flags)
    {
        if (flags & CLAP_PARAM_RESCAN_VALUES) ++Of(h).valueRescans;
    }
    static void Clear(const clap_host_t*, clap_id, uint32_t) {}
    static void RequestFlush(const clap_host_t* h) { ++Of(h).flushRequests; }
    static void LatencyChanged(const clap_host_t* h) { ++Of(h).latencyChanges; }
    static void PresetError(const clap_host_t* h, uint32_t, const char*, const char* key, int32_t, const char*)
    {
        Of(h).presetErrors.emplace_back(key ? key : "(null)");
    }
    static void PresetLoaded(const clap_host_t* h, uint32_t, const char*, const char* key)
    {
        Of(h).presetsLoaded.emplace_back(key ? key : "(null)");
    }
    static void ResizeHintsChanged(const clap_host_t*) {}
    static bool RequestResize(const clap_host_t* h, uint32_t width, uint32_t height)
    {
        Of(h).resizeRequests.emplace_back(width, height);
        return true;
    }
    static bool RequestShowOrHide(const clap_host_t*) { return false; }
    static void GuiClosed(const clap_host_t*, bool) {}
    static bool RegisterTimer(const clap_host_t* h, uint32_t period, clap_id* id)
    {
        ClapInstance& self = Of(h);
        *id = self.nextTimer_++;
        self.timers_[*id] = period;
        return true;
    }
    static bool UnregisterTimer(const clap_host_t* h, clap_id id) { return Of(h).timers_.erase(id) == 1; }
    static bool RegisterFd(const clap_host_t* h, int fd, uint32_t flags)
    {
        Of(h).fds_[fd] = flags;
        return true;
    }
    static bool ModifyFd(const clap_host_t* h, int fd, uint32_t flags) { return RegisterFd(h, fd, flags); }
    static bool UnregisterFd(const clap_host_t* h, int fd) { return Of(h).fds_.erase(fd) == 1; }

    struct Stream {
        std::vector<unsigned char>* bytes;
        size_t position;
        uint64_t piece;
        static int64_t Write(const clap_ostream_t* s, const void* buffer, uint64_t size)
        {
            auto* self = static_cast<Stream*>(s->ctx);
            const uint64_t n = std::min(size, self->piece);
            const auto* from = static_cast<const unsigned char*>(buffer);
            self->bytes->insert(self->bytes->end(), from, from + n);
            return static_cast<int64_t>(n);
        }
        static int64_t Read(const clap_istream_t* s, void* buffer, uint64_t size)
        {
            auto* self = static_cast<Stream*>(s->ctx);
            const uint64_t n = std::min({size, self->piece, uint64_t(self->bytes->size() - self->position)});
            // An empty state has no bytes to point at, and memcpy takes no null pointer.
            if (n > 0) std::memcpy(buffer, self->bytes->data() + self->position, n);
            self->position += n;
            return static_cast<int64_t>(n);
        }
    };

    ClapHostOptions options_;
    std::thread::id mainThread_;
    clap_host_t host_{};
    clap_host_thread_check_t threadCheck_{};
    clap_host_params_t hostParams_{};
    clap_host_latency_t hostLatency_{};
    clap_host_timer_support_t hostTimer_{};
    clap_host_gui_t hostGui_{};
    clap_host_posix_fd_support_t hostFd_{};
    clap_host_preset_load_t hostPresetLoad_{};
    std::map<clap_id, uint32_t> timers_;
    std::map<int, uint32_t> fds_;
    clap_id nextTimer_ = 1;
    bool active_ = false;
    int64_t steadyTime_ = 0;
};

} // namespace testing_support
