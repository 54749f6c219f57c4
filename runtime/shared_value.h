#pragma once
// A script value that more than one thread touches: the audio thread, the host's
// parameter thread and the editor thread read and write effect variables without locks.
// Loads acquire and stores release: on x86-64 both are plain moves, they keep the accesses
// free of data races, and a value read on another thread brings along what its writer
// stored before it (the slider values rely on that, runtime/sliders.h). Nothing waits.
// A single value is never torn; values that belong together are made consistent by who
// writes them (one writer, or a handover), not by this type.

#include <atomic>

class SharedValue {
public:
    constexpr SharedValue() noexcept = default;
    constexpr SharedValue(double v) noexcept : value_(v) {}
    SharedValue(const SharedValue& other) noexcept : value_(other.load()) {}
    SharedValue& operator=(const SharedValue& other) noexcept
    {
        store(other.load());
        return *this;
    }
    SharedValue& operator=(double v) noexcept
    {
        store(v);
        return *this;
    }

    operator double() const noexcept { return load(); }
    double load() const noexcept { return value_.load(std::memory_order_acquire); }
    void store(double v) noexcept { value_.store(v, std::memory_order_release); }
    // For a value that publishes other data: what the storing thread wrote before the
    // release is seen by a thread whose acquire reads the value.
    double LoadAcquire() const noexcept { return value_.load(std::memory_order_acquire); }
    void StoreRelease(double v) noexcept { value_.store(v, std::memory_order_release); }

    SharedValue& operator+=(double v) noexcept { return *this = load() + v; }
    SharedValue& operator-=(double v) noexcept { return *this = load() - v; }
    SharedValue& operator*=(double v) noexcept { return *this = load() * v; }

private:
    std::atomic<double> value_{0.0};
};

static_assert(sizeof(SharedValue) == sizeof(double));
static_assert(std::atomic<double>::is_always_lock_free);
