#pragma once
// The editor of one instance (gui.cpp): the window in the host's, and what keeps it idling:
// the host's timer and the X connection's descriptor where the host watches them, else
// a ticker thread of ours that asks the host for main-thread callbacks.

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>

#include "clap/instance.h"

namespace clap_adapter {

struct Instance::Editor {
    Editor();
    ~Editor();
    bool created = false;
    // The host's scale, 0 until set_scale; the editor takes it where the user chose none.
    double hostScale = 0.0;
    std::unique_ptr<EditorWindow> window;
    clap_id timer = CLAP_INVALID_ID;
    int fd = -1;
    std::atomic<bool> ticking{false};
    std::thread ticker;
};

// The main thread. Each is harmless without an open editor.
void CloseEditor(Instance& instance) noexcept;
void EditorIdle(Instance& instance) noexcept;
bool EditorRedraw(Instance& instance) noexcept;
bool EditorDimensions(Instance& instance, int32_t& width, int32_t& height) noexcept;

} // namespace clap_adapter
