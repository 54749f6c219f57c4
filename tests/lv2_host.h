#pragma once
// A small LV2 host for the tests, on lilv: loads the bundle this tree built (and nothing
// else), maps URIs, and runs instances with every port connected to buffers of its own.

#include <gtest/gtest.h>
#include <lilv/lilv.h>
#include <lv2/urid/urid.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "lv2/port_layout.h"
#include "lv2/uris.h"

namespace testing_support {

// The bundle as lilv sees it; loaded once per test program.
struct Lv2Bundle {
    LilvWorld* world = nullptr;
    const LilvPlugin* plugin = nullptr;

    static Lv2Bundle& Get()
    {
        static Lv2Bundle bundle = [] {
            Lv2Bundle b;
            b.world = lilv_world_new();
            LilvNode* path = lilv_new_file_uri(b.world, nullptr, TOLVANGER_LV2_BUNDLE "/");
            lilv_world_load_bundle(b.world, path);
            lilv_node_free(path);
            LilvNode* uri = lilv_new_uri(b.world, lv2_uris::kPlugin);
            b.plugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(b.world), uri);
            lilv_node_free(uri);
            if (!b.plugin) ADD_FAILURE() << "no plug-in " << lv2_uris::kPlugin << " in " << TOLVANGER_LV2_BUNDLE;
            return b;
        }();
        return bundle;
    }
};

// urid:map and urid:unmap over one table; any thread.
class UridMap {
public:
    UridMap()
    {
        map_.handle = this;
        map_.map = &UridMap::Map;
        unmap_.handle = this;
        unmap_.unmap = &UridMap::Unmap;
        mapFeature_ = {LV2_URID__map, &map_};
        unmapFeature_ = {LV2_URID__unmap, &unmap_};
    }
    UridMap(const UridMap&) = delete;
    UridMap& operator=(const UridMap&) = delete;

    LV2_URID_Map* map() { return &map_; }
    LV2_URID_Unmap* unmap() { return &unmap_; }
    const LV2_Feature* MapFeature() const { return &mapFeature_; }
    const LV2_Feature* UnmapFeature() const { return &unmapFeature_; }
    LV2_URID Id(const char* uri) { return Map(this, uri); }

private:
    static LV2_URID Map(LV2_URID_Map_Handle handle, const char* uri)
    {
        auto* self = static_cast<UridMap*>(handle);
        std::lock_guard<std::mutex> lock(self->mutex_);
        const auto it = std::find(self->uris_.begin(), self->uris_.end(), uri);
        if (it != self->uris_.end()) return static_cast<LV2_URID>(it - self->uris_.begin()) + 1;
        self->uris_.emplace_back(uri);
        return static_cast<LV2_URID>(self->uris_.size());
    }
    static const char* Unmap(LV2_URID_Unmap_Handle handle, LV2_URID id)
    {
        auto* self = static_cast<UridMap*>(handle);
        std::lock_guard<std::mutex> lock(self->mutex_);
        return id >= 1 && id <= self->uris_.size() ? self->uris_[id - 1].c_str() : nullptr;
    }

    std::mutex mutex_;
    std::deque<std::string> uris_;
    LV2_URID_Map map_{};
    LV2_URID_Unmap unmap_{};
    LV2_Feature mapFeature_{};
    LV2_Feature unmapFeature_{};
};

// One activated instance. The control ports start at the defaults the bundle declares.
class Lv2Instance {
public:
    static constexpr uint32_t kMaxBlock = 4096;

    explicit Lv2Instance(double rate, const LV2_Feature* const* features = nullptr)
        : bundle_(Lv2Bundle::Get()), controls(lv2_ports::kCount, 0.0f)
    {
        if (!bundle_.plugin) return;
        std::vector<float> minimum(lv2_ports::kCount), maximum(lv2_ports::kCount), defaults(lv2_ports::kCount);
        lilv_plugin_get_port_ranges_float(bundle_.plugin, minimum.data(), maximum.data(), defaults.data());
        for (uint32_t i = 0; i < lv2_ports::kParameterCount; ++i)
            controls[i] = defaults[i];
        controls[lv2_ports::kEnabled] = defaults[lv2_ports::kEnabled];
        instance_ = lilv_plugin_instantiate(bundle_.plugin, rate, features);
        if (!instance_) return;
        for (uint32_t i = 0; i < lv2_ports::kParameterCount; ++i)
            lilv_instance_connect_port(instance_, i, &controls[i]);
        lilv_instance_connect_port(instance_, lv2_ports::kLatency, &controls[lv2_ports::kLatency]);
        lilv_instance_connect_port(instance_, lv2_ports::kEnabled, &controls[lv2_ports::kEnabled]);
        lilv_instance_activate(instance_);
    }
    ~Lv2Instance()
    {
        if (!instance_) return;
        lilv_instance_deactivate(instance_);
        lilv_instance_free(instance_);
    }
    Lv2Instance(const Lv2Instance&) = delete;
    Lv2Instance& operator=(const Lv2Instance&) = delete;

    explicit operator bool() const { return instance_ != nullptr; }
    LilvInstance* get() const { return instance_; }
    float Latency() const { return controls[lv2_ports::kLatency]; }

    // Runs one block; input and output may be the same buffers.
    void Run(const float* inLeft, const float* inRight, float* outLeft, float* outRight, uint32_t frames)
    {
        lilv_instance_connect_port(instance_, lv2_ports::kInputLeft, const_cast<float*>(inLeft));
        lilv_instance_connect_port(instance_, lv2_ports::kInputRight, const_cast<float*>(inRight));
        lilv_instance_connect_port(instance_, lv2_ports::kOutputLeft, outLeft);
        lilv_instance_connect_port(instance_, lv2_ports::kOutputRight, outRight);
        lilv_instance_run(instance_, frames);
    }

private:
    Lv2Bundle& bundle_;
    LilvInstance* instance_ = nullptr;

public:
    // Every port's value place by port number: the parameters, the latency and the enabled
    // port; the audio ports' places are unused.
    std::vector<float> controls;
};

} // namespace testing_support
