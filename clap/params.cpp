// The parameters extension: the thirty sliders with their VST 2.4 indices as ids and their
// own units as values, texts from the slider table, changes through events; then the bypass.

#include <charconv>
#include <cmath>
#include <cstring>
#include <string>

#include "clap/instance.h"

namespace clap_adapter {

namespace {

const ParameterInfo* Definition(Instance& self, clap_id id)
{
    return id < static_cast<clap_id>(Plugin::kParameterCountWithBypass)
               ? self.plugin.Parameter(static_cast<int32_t>(id))
               : nullptr;
}

uint32_t Count(const clap_plugin_t* plugin)
{
    Instance* self = Instance::From(plugin);
    return self && self->OnMainThread() ? static_cast<uint32_t>(Plugin::kParameterCountWithBypass) : 0;
}

void CopyText(char* to, size_t capacity, const std::string& text)
{
    const size_t n = std::min(text.size(), capacity - 1);
    std::memcpy(to, text.data(), n);
    to[n] = '\0';
}

bool Info(const clap_plugin_t* plugin, uint32_t index, clap_param_info_t* info)
{
    Instance* self = Instance::From(plugin);
    if (!self || !info || !self->OnMainThread()) return false;
    const ParameterInfo* d = Definition(*self, index);
    if (!d) return false;
    *info = {};
    info->id = index;
    // Switches, choices and the whole-decibel Compress sliders take whole values only.
    info->flags = CLAP_PARAM_IS_AUTOMATABLE;
    if (d->wholeSteps) info->flags |= CLAP_PARAM_IS_STEPPED;
    if (d->bypass)
        info->flags |= CLAP_PARAM_IS_BYPASS;
    else if (!d->options.empty())
        info->flags |= CLAP_PARAM_IS_ENUM;
    CopyText(info->name, sizeof info->name, d->name);
    info->min_value = d->minimum;
    info->max_value = d->maximum;
    info->default_value = d->defaultValue;
    return true;
}

bool Value(const clap_plugin_t* plugin, clap_id id, double* value)
{
    Instance* self = Instance::From(plugin);
    if (!self || !value || !self->OnMainThread() || !Definition(*self, id)) return false;
    *value = self->plugin.GetValue(static_cast<int32_t>(id));
    return true;
}

bool ValueToText(const clap_plugin_t* plugin, clap_id id, double value, char* text, uint32_t capacity)
{
    Instance* self = Instance::From(plugin);
    if (!self || !text || capacity == 0 || !self->OnMainThread() || !Definition(*self, id)) return false;
    try {
        CopyText(text, capacity, self->plugin.ParameterText(static_cast<int32_t>(id), value));
        return true;
    } catch (...) {
        return false;
    }
}

// Reads back what ValueToText writes, and what a user types: the rule every format shares.
bool TextToValue(const clap_plugin_t* plugin, clap_id id, const char* text, double* value)
{
    Instance* self = Instance::From(plugin);
    if (!self || !text || !value || !self->OnMainThread() || !Definition(*self, id)) return false;
    try {
        return self->plugin.ParseValue(static_cast<int32_t>(id), text, *value);
    } catch (...) {
        return false;
    }
}

void Flush(const clap_plugin_t* plugin, const clap_input_events_t* in, const clap_output_events_t* out)
{
    Instance* self = Instance::From(plugin);
    if (!self) return;
    // While active the host flushes on the audio thread, otherwise on the main thread.
    if (!(self->IsActive() ? self->OnAudioThread() : self->OnMainThread())) return;
    const uint32_t count = in && in->size && in->get ? in->size(in) : 0;
    for (uint32_t i = 0; i < count; ++i)
        if (const clap_event_header_t* event = in->get(in, i)) self->ApplyParameterEvent(event);
    self->SendEdits(out);
}

} // namespace

const clap_plugin_params_t kParams = {Count, Info, Value, ValueToText, TextToValue, Flush};

} // namespace clap_adapter
