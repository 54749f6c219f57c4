// The audio entries of the built plug-in never allocate, whatever order the host calls
// in. This host replaces the allocator (operator new and delete, and the malloc family,
// which pass through to the C library's own), counts every call made on a thread while
// it is inside processReplacing or processDoubleReplacing, and drives the library
// through the orders hosts use: processing before open and before mains-on, after a
// suspend, after a new sample rate with and without a suspend, after mains-on twice,
// on a block that turns the state non-finite, and bypassed, fading either way. It is a program of its own because of
// the replaced allocator, and is left out of the sanitizer builds, whose runtimes
// replace it themselves.

#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <limits>
#include <new>
#include <string>
#include <vector>

#include "tools/hostkit/plugin_host.h"

extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* p, size_t size);
void* __libc_memalign(size_t alignment, size_t size);
void __libc_free(void* p);
}

namespace {

// Static thread-local storage of the program itself: reading it never allocates.
thread_local bool tCounting = false;
thread_local long tAllocatorCalls = 0;

inline void Note()
{
    if (tCounting) ++tAllocatorCalls;
}

void* Aligned(size_t alignment, size_t size)
{
    Note();
    return __libc_memalign(alignment, size);
}

} // namespace

extern "C" {
void* malloc(size_t size)
{
    Note();
    return __libc_malloc(size);
}
void* calloc(size_t count, size_t size)
{
    Note();
    return __libc_calloc(count, size);
}
void* realloc(void* p, size_t size)
{
    Note();
    return __libc_realloc(p, size);
}
void free(void* p)
{
    if (p) Note();
    __libc_free(p);
}
void* memalign(size_t alignment, size_t size) { return Aligned(alignment, size); }
void* aligned_alloc(size_t alignment, size_t size) { return Aligned(alignment, size); }
void* valloc(size_t size) { return Aligned(4096, size); }
int posix_memalign(void** out, size_t alignment, size_t size)
{
    void* p = Aligned(alignment, size);
    if (!p) return ENOMEM;
    *out = p;
    return 0;
}
}

void* operator new(size_t size)
{
    Note();
    if (void* p = __libc_malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void* operator new[](size_t size) { return operator new(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept
{
    Note();
    return __libc_malloc(size ? size : 1);
}
void* operator new[](size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void* operator new(size_t size, std::align_val_t alignment)
{
    if (void* p = Aligned(static_cast<size_t>(alignment), size ? size : 1)) return p;
    throw std::bad_alloc();
}
void* operator new[](size_t size, std::align_val_t alignment) { return operator new(size, alignment); }
void operator delete(void* p) noexcept { free(p); }
void operator delete[](void* p) noexcept { free(p); }
void operator delete(void* p, size_t) noexcept { free(p); }
void operator delete[](void* p, size_t) noexcept { free(p); }
void operator delete(void* p, std::align_val_t) noexcept { free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { free(p); }
void operator delete(void* p, size_t, std::align_val_t) noexcept { free(p); }
void operator delete[](void* p, size_t, std::align_val_t) noexcept { free(p); }

namespace {

// A host that answers only its version, the way many do, and allocates nothing itself.
intptr_t QuietHost(AEffect*, int32_t opcode, int32_t, intptr_t, void*, float)
{
    return opcode == audioMasterVersion ? 2400 : 0;
}

hostkit::PluginLibrary& Library()
{
    static std::unique_ptr<hostkit::PluginLibrary> library = [] {
        const char* chosen = std::getenv("TOLVANGER_TEST_PLUGIN");
        std::string error;
        auto lib = hostkit::PluginLibrary::Load(chosen && *chosen ? chosen : TOLVANGER_PLUGIN_PATH, &error);
        if (!lib) ADD_FAILURE() << "cannot load the plug-in: " << error;
        return lib;
    }();
    return *library;
}

class Counted {
public:
    Counted() { effect_ = Library().Entry()(&QuietHost); }
    ~Counted()
    {
        if (effect_) Dispatch(effClose);
    }
    AEffect* effect() const { return effect_; }
    intptr_t Dispatch(int32_t opcode, intptr_t value = 0, float opt = 0.0f)
    {
        return effect_->dispatcher(effect_, opcode, 0, value, nullptr, opt);
    }

    // Allocator calls during a few blocks through both entries: loud programme-like
    // input, in a host's block size and an odd one. With `poison`, one sample is NaN.
    long ProcessBlocks(bool poison = false)
    {
        long calls = 0;
        for (int frames : {512, 37}) {
            for (int k = 0; k < 4; ++k) {
                for (int i = 0; i < frames; ++i) {
                    const double t = phase_++;
                    left_[i] = 0.9 * std::sin(0.031 * t) * std::sin(0.0007 * t);
                    right_[i] = 0.7 * std::sin(0.017 * t + 1.0);
                    leftF_[i] = static_cast<float>(left_[i]);
                    rightF_[i] = static_cast<float>(right_[i]);
                }
                if (poison && k == 1) left_[3] = leftF_[3] = std::numeric_limits<float>::quiet_NaN();
                float* inF[2] = {leftF_.data(), rightF_.data()};
                float* outF[2] = {outLeftF_.data(), outRightF_.data()};
                double* in[2] = {left_.data(), right_.data()};
                double* out[2] = {outLeft_.data(), outRight_.data()};
                tAllocatorCalls = 0;
                tCounting = true;
                effect_->processReplacing(effect_, inF, outF, frames);
                effect_->processDoubleReplacing(effect_, in, out, frames);
                tCounting = false;
                calls += tAllocatorCalls;
            }
        }
        return calls;
    }

private:
    AEffect* effect_ = nullptr;
    double phase_ = 0.0;
    std::vector<double> left_ = std::vector<double>(512), right_ = std::vector<double>(512),
                        outLeft_ = std::vector<double>(512), outRight_ = std::vector<double>(512);
    std::vector<float> leftF_ = std::vector<float>(512), rightF_ = std::vector<float>(512),
                       outLeftF_ = std::vector<float>(512), outRightF_ = std::vector<float>(512);
};

TEST(AudioAllocation, TheHooksSeeEveryAllocatorCall)
{
    // Through volatile pointers, so that no call can be optimised away.
    void* (*volatile allocate)(size_t) = std::malloc;
    void (*volatile release)(void*) = std::free;
    void* (*volatile make)(size_t) = static_cast<void* (*)(size_t)>(::operator new);
    void (*volatile unmake)(void*) noexcept = static_cast<void (*)(void*) noexcept>(::operator delete);
    tAllocatorCalls = 0;
    tCounting = true;
    release(allocate(8));
    unmake(make(8));
    tCounting = false;
    EXPECT_EQ(tAllocatorCalls, 4);

    // ... and those the library makes: opening an instance fills its tables.
    Counted p;
    ASSERT_NE(p.effect(), nullptr);
    tAllocatorCalls = 0;
    tCounting = true;
    p.Dispatch(effOpen);
    tCounting = false;
    EXPECT_GT(tAllocatorCalls, 0);
}

TEST(AudioAllocation, NoAudioCallAllocatesWhateverOrderTheHostCallsIn)
{
    struct Step {
        const char* what;
        std::function<void(Counted&)> call;
        bool poison = false;
    };
    const std::vector<Step> steps = {
        {"made, not opened", [](Counted&) {}},
        {"opened, before mains on", [](Counted& p) { p.Dispatch(effOpen); }},
        {"bypassed before mains on", [](Counted& p) { p.Dispatch(effSetBypass, 1); }},
        {"rate and block size set, before mains on",
         [](Counted& p) {
             p.Dispatch(effSetSampleRate, 0, 44100.0f);
             p.Dispatch(effSetBlockSize, 512);
         }},
        {"mains on at 44.1 kHz", [](Counted& p) { p.Dispatch(effMainsChanged, 1); }},
        {"a non-finite sample", [](Counted&) {}, true},
        {"the bypass off, fading back", [](Counted& p) { p.Dispatch(effSetBypass, 0); }},
        {"the bypass on, fading in", [](Counted& p) { p.Dispatch(effSetBypass, 1); }},
        {"after a suspend", [](Counted& p) { p.Dispatch(effMainsChanged, 0); }},
        {"mains on again", [](Counted& p) { p.Dispatch(effMainsChanged, 1); }},
        {"96 kHz set without a suspend", [](Counted& p) { p.Dispatch(effSetSampleRate, 0, 96000.0f); }},
        {"mains on twice, now at 96 kHz", [](Counted& p) { p.Dispatch(effMainsChanged, 1); }},
        {"suspended, 22.05 kHz, mains on",
         [](Counted& p) {
             p.Dispatch(effMainsChanged, 0);
             p.Dispatch(effSetSampleRate, 0, 22050.0f);
             p.Dispatch(effMainsChanged, 1);
         }},
        {"the bypass off at 22.05 kHz", [](Counted& p) { p.Dispatch(effSetBypass, 0); }},
        {"opened again while running", [](Counted& p) { p.Dispatch(effOpen); }},
        {"mains on after that", [](Counted& p) { p.Dispatch(effMainsChanged, 1); }},
        {"a non-finite sample again", [](Counted&) {}, true},
    };
    Counted p;
    ASSERT_NE(p.effect(), nullptr);
    for (const Step& step : steps) {
        step.call(p);
        EXPECT_EQ(p.ProcessBlocks(step.poison), 0) << "allocator calls in the audio entries, " << step.what;
    }
}

TEST(AudioAllocation, MainsOnBeforeOpenThenProcessing)
{
    Counted p;
    ASSERT_NE(p.effect(), nullptr);
    p.Dispatch(effMainsChanged, 1);
    EXPECT_EQ(p.ProcessBlocks(), 0) << "mains on before open";
    p.Dispatch(effOpen);
    EXPECT_EQ(p.ProcessBlocks(), 0) << "opened after mains on";
}

} // namespace
