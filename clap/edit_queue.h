#pragma once
// The editor's own edits on their way to the host: the editor thread pushes gesture begins,
// value changes (with the value the slider took) and gesture ends; the next process or flush
// call takes them in order and turns them into output events. One writer and one reader,
// never blocking either.

#include <array>
#include <atomic>
#include <bit>
#include <cstdint>

namespace clap_adapter {

enum class EditKind : uint8_t { kBegin, kValue, kEnd };

struct Edit {
    EditKind kind;
    int32_t index;
    double value = 0.0; // in the slider's units; for kValue only
};

class EditQueue {
public:
    // The editor thread. False when the queue is full; the edit is then lost.
    bool Push(Edit edit) noexcept
    {
        const uint64_t head = head_.load(std::memory_order_relaxed);
        if (head - tail_.load(std::memory_order_acquire) >= kCapacity) return false;
        Slot& slot = slots_[head % kCapacity];
        slot.what.store(Pack(edit), std::memory_order_relaxed);
        slot.value.store(std::bit_cast<uint64_t>(edit.value), std::memory_order_relaxed);
        // Release: the reader that sees the new head also sees the slot.
        head_.store(head + 1, std::memory_order_release);
        return true;
    }

    // The audio thread, or the main thread while not processing. False when empty.
    bool Pop(Edit& edit) noexcept
    {
        const uint64_t tail = tail_.load(std::memory_order_relaxed);
        if (tail == head_.load(std::memory_order_acquire)) return false;
        const Slot& slot = slots_[tail % kCapacity];
        edit = Unpack(slot.what.load(std::memory_order_relaxed));
        edit.value = std::bit_cast<double>(slot.value.load(std::memory_order_relaxed));
        tail_.store(tail + 1, std::memory_order_release);
        return true;
    }

private:
    static constexpr uint64_t kCapacity = 512;
    static uint64_t Pack(Edit e) { return (static_cast<uint64_t>(e.kind) << 32) | static_cast<uint32_t>(e.index); }
    static Edit Unpack(uint64_t word)
    {
        return {static_cast<EditKind>(word >> 32), static_cast<int32_t>(static_cast<uint32_t>(word))};
    }

    struct Slot {
        std::atomic<uint64_t> what{0};
        std::atomic<uint64_t> value{0};
    };
    std::array<Slot, kCapacity> slots_{};
    std::atomic<uint64_t> head_{0};
    std::atomic<uint64_t> tail_{0};
};

} // namespace clap_adapter
