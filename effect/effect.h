#pragma once
// TVexlEffect: the four-band mastering processor, written against the script runtime.
// Its sections are the runtime's virtual operations; its variables are script values.

#include <atomic>
#include <cstdint>
#include <type_traits>

#include "effect/band_path.h"
#include "effect/dsp_variables.h"
#include "effect/editor_layout.h"
#include "effect/editor_variables.h"
#include "runtime/vexl.h"

// Which bands sound, given which are soloed: all of them when none is, else the soloed ones.
void SoloPasses(const bool (&solo)[kBandCount], bool (&pass)[kBandCount]) noexcept;

class TVexlEffect : public TVexl {
public:
    TVexlEffect();
    ~TVexlEffect() override;

    void DoSlider() override;
    void DoBlock() override;
    void DoSample() override;
    bool DoStereoFrames(const float* const* in, float* const* out, int32_t frames) noexcept override;
    bool DoStereoFrames(const double* const* in, double* const* out, int32_t frames) noexcept override;
    void DoReset() override;
    void DoInit() override;
    void DoGraphics() override;
    void DoSerialize() override;
    void EndEditGestures() override;

    // What the init section sets for the drawing section alone: for an editor that shows
    // the settings of a processor running elsewhere, with no delay lines of its own.
    void InitEditor() override;
    int32_t LatencySamples() const noexcept override;
    // The balance slider hides while the input is mono.
    bool SliderHidden(int32_t number) const noexcept override;

    // Turns the slider values the audio thread took (`sliderValue`) into the band path's
    // settings. The slider section runs it, on the audio thread.
    void UpdateCoefficients();

    // Asks the audio thread to start afresh at its next block, as a newly opened and
    // switched-on instance does: filters, envelopes, delay lines, punch stages, mono
    // detection, silence hold and meters. The init section asks it too. Any thread.
    void RequestCleanStart() noexcept override { cleanStarts_.fetch_add(1, std::memory_order_release); }

    // Working copies of the host values.
    SharedValue srate;
    SharedValue numChannels;
    SharedValue samplesBlock;
    SharedValue tempo;
    SharedValue tsNum;
    SharedValue tsDenom;
    // The effect's copy of every slider value, refreshed by the slider section from the
    // values the audio thread took; the coefficients come from it.
    SharedValue sliderValue[kSliderCount];
    // The serialization section's loop variable.
    SharedValue loopIndex;

    DspVariables dsp;
    EditorVariables editor;
    // The band path's running state: the audio thread's alone (tests read it between
    // processing calls, on the thread that makes them).
    BandPathState band{};

    // Asks for an instruction-set path for the band path; the next init section takes it.
    // TOLVANGER_SIMD in the environment ("sse2", "avx2", "avx512") makes the first request.
    void RequestSimdPath(SimdPath path) noexcept { requestedPath_.store(static_cast<int>(path)); }
    // The path the init section chose; processing takes it from the next block on.
    SimdPath ChosenSimdPath() const noexcept { return static_cast<SimdPath>(chosenPath_.load()); }

private:
    // Working copies of the runtime's host values.
    void RefreshHostCopies() noexcept
    {
        srate = hostSampleRate;
        numChannels = hostInputs;
        samplesBlock = hostBlockSize;
        tempo = hostTempo;
        tsNum = hostTimeSigNumerator;
        tsDenom = hostTimeSigDenominator;
    }

    // Carries out what the reset and init sections asked of the audio thread's state
    // since the last block, and takes the delay lines' slots and the chosen kernel.
    void TakeRequests() noexcept;
    void StartClean() noexcept;
    // Hands the editor the meters it asked for (block.cpp).
    void AnswerMeterRequest() noexcept;
    // Returns a channel whose band-path state went non-finite to its freshly started state.
    void RecoverNonFiniteChannels() noexcept;

    // Sets aside, as regions of script memory, every slot the delay lines can reach up to
    // position `last`, so that the audio thread finds each one in place and the lines
    // cost only what they hold. Never on the audio thread.
    void ReserveLineSlots(double last);

    // The editor's layout and colour constants, set by the init section.
    void InitEditorConstants();
    // The editor's own edits: stored as any change is, and told to the host (graphics.cpp).
    void SliderEdit(int control, int slider, bool dragging, bool edited, double value);
    void WholeEdit(int slider, double value);
    void EndEditGesture(int control, int slider);
    // The meters the editor shows this frame (graphics.cpp).
    void TakeMetersForEditor() noexcept;
    void ResetVariables() noexcept;
    void DefineStrings();

    // The controls whose edit gesture the host was told has begun. The editor thread's.
    bool editGesture_[kControlCount] = {};

    // The meters between the audio thread and the editor: the editor raises `asked`; the
    // audio thread fills `lowest` and `transient` and then sets `answered` to it.
    struct MeterHandover {
        std::atomic<uint32_t> asked{0};
        std::atomic<uint32_t> answered{0};
        SharedValue lowest[kChannelCount][kBandCount];
        SharedValue transient[kBandCount];
    };
    MeterHandover meters_;
    // The editor thread's: what it shows, and how many frames it has waited for an answer.
    double shownMeter_[kChannelCount][kBandCount];
    double shownTransient_[kBandCount];
    uint32_t meterAsked_ = 0;
    int meterWaits_ = 0;
    // Counts the clean starts asked for; the audio thread's count of those it made.
    std::atomic<uint64_t> cleanStarts_{0};
    uint64_t cleanStartsTaken_ = 0;
    // How often the init section ran; it numbers the delay-line epochs.
    uint64_t initCount_ = 0;
    // The longest delay line the init section has made: positions never lie beyond it.
    double longestLine_ = 0.0;
    // Counts the reset sections; the audio thread clears its state when it changes.
    std::atomic<uint64_t> resetCount_{0};
    std::atomic<int> requestedPath_{static_cast<int>(SimdPathFromEnvironment())};
    std::atomic<int> chosenPath_{static_cast<int>(ResolveSimdPath(SimdPathFromEnvironment()))};

    // The audio thread's own: what it took from the requests, the block's settings, the
    // delay lines' slots and the kernel in use.
    uint64_t resetsTaken_ = 0;
    double epochTaken_ = 0.0;
    BandBlockSettings blockSettings_{};
    // The frames' copy of the settings is out of date: the slider or init section ran, or the
    // state started afresh, since it was taken.
    bool settingsStale_ = true;
    DelayLineSlots lineSlots_{};
    const BandKernels* kernel_ = &kBandKernelsBaseline;
    // The sample section over `frames` frames, through the kernel in use.
    template <typename Sample> void RunFrames(const Sample* const* in, Sample* const* out, int32_t frames) noexcept;
};
