#pragma once
// What the editor library may do with the running processor when the host hands it the
// processor's instance (the LV2 instance-access feature): the processor's LV2 handle points
// at a ProcessorAccess. The two libraries each carry their own copy of the core, so they
// meet only through these plain functions; the code that touches the processor's effect is
// the processor library's own. Every function runs on the host's UI thread.

#include <cstdint>

// Where the editor's own edits go: the editor library's port writes and touches. Values are
// in the parameter's own units (the control port's).
struct EditSink {
    void* target = nullptr;
    void (*begin)(void* target, uint32_t index) = nullptr;
    void (*change)(void* target, uint32_t index, float value) = nullptr;
    void (*end)(void* target, uint32_t index) = nullptr;
};

struct ProcessorAccess {
    static constexpr uint32_t kMagic = 0x544C5041; // "TLPA"

    uint32_t magic = kMagic;
    // Opens the processor's editor in `parent` (an X11 window id), its edits going to `sink`,
    // which stays valid until closeEditor. Answers the editor's window id, 0 when none could
    // be made; one editor at a time.
    uintptr_t (*openEditor)(ProcessorAccess* self, uintptr_t parent, const EditSink* sink) = nullptr;
    void (*idleEditor)(ProcessorAccess* self) = nullptr;
    void (*closeEditor)(ProcessorAccess* self) = nullptr;
    // A control value the host sent the editor, in the port's units.
    void (*setValue)(ProcessorAccess* self, uint32_t index, float value) = nullptr;
};
