#include "vst3/class_info.h"

#include "effect/effect.h"

namespace vst3_plugin {

const ClassTexts& EffectClassTexts() noexcept
{
    static const ClassTexts texts = []() noexcept {
        ClassTexts made;
        try {
            const TVexlEffect effect;
            made.name = effect.effectName;
            made.vendor = effect.vendorString;
            made.version = TOLVANGER_VERSION;
        } catch (...) {
        }
        return made;
    }();
    return texts;
}

} // namespace vst3_plugin
