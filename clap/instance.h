#pragma once
// One CLAP instance: the clap_plugin_t the host holds, the Plugin it drives, and the host
// interface the core reaches the host through. The extensions (ports.cpp, params.cpp,
// state.cpp, gui.cpp) work on its members. Every call checks CLAP's thread rules where the
// host offers the thread-check extension, and answers a call on the wrong thread, or in the
// wrong state, with the neutral value.

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>

#include "clap/clap_abi.h"
#include "clap/edit_queue.h"
#include "core/plugin.h"
#include "runtime/host_interface.h"

class EditorWindow;

namespace clap_adapter {

extern const clap_plugin_audio_ports_t kAudioPorts;
extern const clap_plugin_latency_t kLatency;
extern const clap_plugin_render_t kRender;
extern const clap_plugin_params_t kParams;
extern const clap_plugin_state_t kState;
extern const clap_plugin_gui_t kGui;
extern const clap_plugin_timer_support_t kTimerSupport;
extern const clap_plugin_posix_fd_support_t kPosixFdSupport;
extern const clap_plugin_preset_load_t kPresetLoad;
// The factory bank's discovery factory (presets.cpp), which clap_entry hands out.
extern const clap_preset_discovery_factory_t kPresetDiscoveryFactory;

class Instance final : public HostInterface {
public:
    // Throws std::bad_alloc when memory runs out (the factory catches it).
    explicit Instance(const clap_host_t* host);
    ~Instance() override;
    Instance(const Instance&) = delete;
    Instance& operator=(const Instance&) = delete;

    // The instance behind a host's plug-in pointer; null for a pointer that is none of ours.
    static Instance* From(const clap_plugin_t* plugin) noexcept;
    const clap_plugin_t* ClapPlugin() const noexcept { return &clap_; }

    // CLAP's thread rules, as the host's thread-check extension answers them; without the
    // extension every thread passes.
    bool OnMainThread() const noexcept;
    bool OnAudioThread() const noexcept;
    bool IsActive() const noexcept { return active_.load(); }

    // The parameter changes of a host event list, then the editor's edits since the last
    // call as output events. The audio thread while active, else the main thread.
    void ApplyParameterEvent(const clap_event_header_t* event) noexcept;
    void SendEdits(const clap_output_events_t* out) noexcept;

    // Tells the host that the parameter values changed all at once (a state load).
    void ValuesChanged() noexcept;

    // HostInterface
    double SampleRate() override { return sampleRate_; }
    double BlockSize() override { return maxFrames_; }
    int32_t InputCount() override { return 2; }
    int32_t OutputCount() override { return 2; }
    HostTransport Transport() override { return transport_; }
    void AnnounceLatency(int32_t samples) override;
    void StoreLatency(int32_t samples) override;
    void BeginEdit(int32_t index) override;
    void PerformEdit(int32_t index, double value) override;
    void EndEdit(int32_t index) override;
    bool RequestRedraw() override;
    bool EditorSize(int32_t& width, int32_t& height) override;

    Plugin plugin;
    const clap_host_t* const host;
    // The host's extensions, asked for in init; null where the host has none.
    const clap_host_thread_check_t* threadCheck = nullptr;
    const clap_host_params_t* hostParams = nullptr;
    const clap_host_latency_t* hostLatency = nullptr;
    const clap_host_timer_support_t* hostTimer = nullptr;
    const clap_host_posix_fd_support_t* hostFd = nullptr;
    const clap_host_gui_t* hostGui = nullptr;

    // The editor (gui.cpp). The main thread only.
    struct Editor;
    std::unique_ptr<Editor> editor;

    // The latency the host was last told (or could have read), in samples.
    std::atomic<int32_t> latency{0};

private:
    // The clap_plugin_t entries.
    static bool Init(const clap_plugin_t* plugin);
    static void Destroy(const clap_plugin_t* plugin);
    static bool Activate(const clap_plugin_t* plugin, double sampleRate, uint32_t minFrames, uint32_t maxFrames);
    static void Deactivate(const clap_plugin_t* plugin);
    static bool StartProcessing(const clap_plugin_t* plugin);
    static void StopProcessing(const clap_plugin_t* plugin);
    static void Reset(const clap_plugin_t* plugin);
    static int32_t Process(const clap_plugin_t* plugin, const clap_process_t* process);
    static const void* Extension(const clap_plugin_t* plugin, const char* id);
    static void OnMainThreadCallback(const clap_plugin_t* plugin);

    int32_t ProcessBlock(const clap_process_t& process) noexcept;
    template <typename Sample>
    void RunFrames(Sample* const* inputs, Sample* const* outputs, uint32_t from, uint32_t to) noexcept;
    void AskForEditDelivery() noexcept;

    clap_plugin_t clap_;
    double sampleRate_ = 0.0;
    double maxFrames_ = 0.0;
    bool initialised_ = false;
    std::atomic<bool> active_{false};
    std::atomic<bool> processing_{false};
    bool activating_ = false;
    // Set by the audio thread when the block section found a new latency; the main thread
    // answers it in on_main_thread.
    std::atomic<bool> latencyPending_{false};
    // The block's transport; the audio thread only.
    HostTransport transport_{};
    EditQueue edits_;
};

} // namespace clap_adapter
