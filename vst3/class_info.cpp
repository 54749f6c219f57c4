#include "vst3/class_info.h"

#include "core/plugin.h"

namespace vst3_plugin {

const ClassTexts& EffectClassTexts() noexcept
{
    static const ClassTexts texts = []() noexcept {
        ClassTexts made;
        try {
            const Plugin plugin;
            made.name = plugin.EffectName();
            made.vendor = plugin.VendorString();
            made.version = TOLVANGER_VERSION;
        } catch (...) {
        }
        return made;
    }();
    return texts;
}

} // namespace vst3_plugin
