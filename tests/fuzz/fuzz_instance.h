#pragma once
// A plug-in instance for one fuzz input, made through the real entry and closed again
// through the dispatcher.

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "vst2/instance.h"

namespace fuzzing {

inline intptr_t QuietHost(AEffect*, int32_t opcode, int32_t, intptr_t, void*, float)
{
    return opcode == audioMasterVersion ? 2400 : 0;
}

class Instance {
public:
    Instance() : effect_(CreatePluginInstance(QuietHost)) {}
    ~Instance() { Close(); }
    Instance(const Instance&) = delete;
    Instance& operator=(const Instance&) = delete;

    AEffect* get() const { return effect_; }
    intptr_t Dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt)
    {
        if (!effect_) return 0;
        const intptr_t answer = effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
        if (opcode == effClose) effect_ = nullptr;
        return answer;
    }
    void Close() { Dispatch(effClose, 0, 0, nullptr, 0.0f); }

private:
    AEffect* effect_;
};

// Reads values off the front of a fuzz input; zeros once it runs out.
class Reader {
public:
    Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    template <typename T> T Take()
    {
        T value{};
        const size_t n = size_ - position_ < sizeof(T) ? size_ - position_ : sizeof(T);
        std::memcpy(&value, data_ + position_, n);
        position_ += n;
        return value;
    }
    size_t Left() const { return size_ - position_; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t position_ = 0;
};

} // namespace fuzzing
