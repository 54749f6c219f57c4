// The factory bank as VST 3 programs: one root unit holding one program list, and the
// program-change parameter that chooses from it. Choosing a program sets every parameter to
// the preset's values as one change and tells the host to read them all again
// (restartComponent with kParamValuesChanged); the host hears no edit per parameter, as the
// choice is its own.

#include <algorithm>
#include <cmath>
#include <cstring>

#include "vst3/effect_object.h"
#include "vst3/text16.h"

namespace vst3_plugin {

using namespace vst3;

namespace {

int32_t ProgramCount() { return presets::FactoryCount(); }

bool IsOurList(ProgramListID id) { return id == EffectObject::kProgramListId; }

} // namespace

tresult EffectObject::ProgramParameterInfo(vst3::ParameterInfo& info)
{
    std::memset(&info, 0, sizeof info);
    info.id = kProgramChangeId;
    CopyText16(info.title, "Program");
    CopyText16(info.shortTitle, "Program");
    info.stepCount = ProgramCount() - 1;
    info.defaultNormalizedValue = 0.0;
    info.unitId = kRootUnitId;
    info.flags = vst3::ParameterInfo::kIsProgramChange | vst3::ParameterInfo::kIsList;
    return kResultOk;
}

int32_t EffectObject::ProgramOf(ParamValue normalized) const
{
    const double last = ProgramCount() - 1;
    const double clamped = std::isfinite(normalized) ? std::clamp(normalized, 0.0, 1.0) : 0.0;
    return static_cast<int32_t>(std::lround(clamped * last));
}

ParamValue EffectObject::NormalizedProgram(int32_t program) const
{
    const int32_t last = ProgramCount() - 1;
    return last > 0 ? static_cast<double>(std::clamp(program, 0, last)) / last : 0.0;
}

void EffectObject::ChooseProgram(int32_t program)
{
    const FactoryPreset* preset = presets::Factory(program);
    if (!preset) return;
    try {
        if (!plugin_->LoadPreset(presets::FactoryValues(program), preset->name, Plugin::PresetEdits::kHostKnows))
            return;
    } catch (...) {
        return;
    }
    program_.store(program, std::memory_order_relaxed);
    if (handler_) handler_->restartComponent(kParamValuesChanged);
    RequestRedraw();
}

void EffectObject::ChooseProgramInBlock(ParamValue normalized) noexcept
{
    const int32_t program = ProgramOf(normalized);
    const FactoryPreset* preset = presets::Factory(program);
    if (!preset) return;
    // The audio thread is the one that takes the values, at the start of its next piece.
    for (int32_t i = 0; i < parameterCount_ && i < presets::kValueCount; ++i)
        plugin_->SetValue(i, preset->values[i]);
    program_.store(program, std::memory_order_relaxed);
    programValuesChanged_.store(true, std::memory_order_relaxed);
}

int32_t EffectObject::getUnitCount() { return 1; }

tresult EffectObject::getUnitInfo(int32_t unitIndex, UnitInfo& info)
{
    if (unitIndex != 0) return kInvalidArgument;
    std::memset(&info, 0, sizeof info);
    info.id = kRootUnitId;
    info.parentUnitId = kNoParentUnitId;
    CopyText16(info.name, "Root");
    info.programListId = kProgramListId;
    return kResultOk;
}

int32_t EffectObject::getProgramListCount() { return 1; }

tresult EffectObject::getProgramListInfo(int32_t listIndex, ProgramListInfo& info)
{
    if (listIndex != 0) return kInvalidArgument;
    std::memset(&info, 0, sizeof info);
    info.id = kProgramListId;
    CopyText16(info.name, "Factory Presets");
    info.programCount = ProgramCount();
    return kResultOk;
}

tresult EffectObject::getProgramName(ProgramListID listId, int32_t programIndex, String128 name)
{
    const FactoryPreset* preset = presets::Factory(programIndex);
    if (!IsOurList(listId) || !preset || !name) return kInvalidArgument;
    CopyText16(name, 128, preset->name);
    return kResultOk;
}

// No attribute beyond the name is defined for these programs.
tresult EffectObject::getProgramInfo(ProgramListID, int32_t, const char*, String128) { return kResultFalse; }

tresult EffectObject::hasProgramPitchNames(ProgramListID, int32_t) { return kResultFalse; }

tresult EffectObject::getProgramPitchName(ProgramListID, int32_t, int16_t, String128) { return kResultFalse; }

UnitID EffectObject::getSelectedUnit() { return kRootUnitId; }

tresult EffectObject::selectUnit(UnitID unitId) { return unitId == kRootUnitId ? kResultOk : kResultFalse; }

tresult EffectObject::getUnitByBus(int32_t, int32_t, int32_t busIndex, int32_t, UnitID& unitId)
{
    if (busIndex != 0) return kResultFalse;
    unitId = kRootUnitId;
    return kResultOk;
}

// The programs are the factory bank and are not replaced by the host.
tresult EffectObject::setUnitProgramData(int32_t, int32_t, IBStream*) { return kNotImplemented; }

} // namespace vst3_plugin
