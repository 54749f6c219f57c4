// The factory every VST 3 host asks for first: one effect class, described in all three
// forms of class information, made on request.

#include <cstring>

#include "vst3/class_info.h"
#include "vst3/effect_object.h"
#include "vst3/export.h"
#include "vst3/text16.h"
#include "vst3/vst3_abi.h"

namespace {

using namespace vst3;
using namespace vst3_plugin;

constexpr const char* kVendorUrl = "";
constexpr const char* kVendorEmail = "";

// The two extended forms of the class information differ only in the width of some texts,
// which `copyText` writes.
template <typename Info, typename CopyWide>
tresult FillClassInfo(int32_t index, Info* info, CopyWide copyText)
{
    if (index != 0 || !info) return kInvalidArgument;
    std::memset(info, 0, sizeof *info);
    const ClassTexts& texts = EffectClassTexts();
    std::memcpy(info->cid, kEffectClassId.bytes, 16);
    info->cardinality = kManyInstances;
    CopyText(info->category, kCategory);
    copyText(info->name, texts.name);
    info->classFlags = 0; // processor and controller are one object
    CopyText(info->subCategories, kSubCategories);
    copyText(info->vendor, texts.vendor);
    copyText(info->version, texts.version);
    copyText(info->sdkVersion, kSdkVersion);
    return kResultOk;
}

// One factory for the life of the library: counting it would gain nothing.
class Factory final : public IPluginFactory3 {
public:
    tresult queryInterface(const char* iid, void** object) override
    {
        if (!object) return kInvalidArgument;
        if (FUnknown::iid == iid || IPluginFactory::iid == iid || IPluginFactory2::iid == iid ||
            IPluginFactory3::iid == iid) {
            *object = static_cast<IPluginFactory3*>(this);
            return kResultOk;
        }
        *object = nullptr;
        return kNoInterface;
    }
    uint32_t addRef() override { return 1; }
    uint32_t release() override { return 1; }

    tresult getFactoryInfo(PFactoryInfo* info) override
    {
        if (!info) return kInvalidArgument;
        std::memset(info, 0, sizeof *info);
        CopyText(info->vendor, EffectClassTexts().vendor);
        CopyText(info->url, kVendorUrl);
        CopyText(info->email, kVendorEmail);
        info->flags = PFactoryInfo::kUnicode;
        return kResultOk;
    }

    int32_t countClasses() override { return 1; }

    tresult getClassInfo(int32_t index, PClassInfo* info) override
    {
        if (index != 0 || !info) return kInvalidArgument;
        std::memset(info, 0, sizeof *info);
        std::memcpy(info->cid, kEffectClassId.bytes, 16);
        info->cardinality = kManyInstances;
        CopyText(info->category, kCategory);
        CopyText(info->name, EffectClassTexts().name);
        return kResultOk;
    }

    tresult getClassInfo2(int32_t index, PClassInfo2* info) override
    {
        return FillClassInfo(index, info, [](auto& to, std::string_view from) { CopyText(to, from); });
    }

    tresult getClassInfoUnicode(int32_t index, PClassInfoW* info) override
    {
        return FillClassInfo(index, info, [](auto& to, std::string_view from) { CopyText16(to, from); });
    }

    tresult setHostContext(FUnknown*) override { return kResultOk; }

    tresult createInstance(FIDString cid, FIDString iid, void** object) override
    {
        if (!object) return kInvalidArgument;
        *object = nullptr;
        if (!cid || !iid || !(kEffectClassId == cid)) return kNoInterface;
        return CreateEffectObject(iid, object);
    }
};

} // namespace

TOLVANGER_VST3_EXPORT vst3::IPluginFactory* GetPluginFactory()
{
    static Factory factory;
    return &factory;
}
