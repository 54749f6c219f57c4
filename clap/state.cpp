// The state extension: the plug-in's 260-byte chunk and the bypass after it, through the
// host's streams, which may move fewer bytes per call than asked.

#include <vector>

#include "clap/instance.h"

namespace clap_adapter {

namespace {

// More than any chunk of ours; a longer stream is read no further (the chunk's values
// past the last slider are ignored anyway).
constexpr size_t kMostStateBytes = 64 * 1024;

bool Save(const clap_plugin_t* plugin, const clap_ostream_t* stream)
{
    Instance* self = Instance::From(plugin);
    if (!self || !stream || !stream->write || !self->OnMainThread()) return false;
    const void* data = nullptr;
    const int32_t size = self->plugin.GetStateWithBypass(&data);
    if (size <= 0 || !data) return false;
    const auto* bytes = static_cast<const unsigned char*>(data);
    uint64_t left = static_cast<uint64_t>(size);
    while (left > 0) {
        const int64_t written = stream->write(stream, bytes, left);
        // 0 would repeat for ever, -1 is the host's error, more than asked is a broken stream.
        if (written <= 0 || static_cast<uint64_t>(written) > left) return false;
        bytes += written;
        left -= static_cast<uint64_t>(written);
    }
    return true;
}

bool Load(const clap_plugin_t* plugin, const clap_istream_t* stream)
{
    Instance* self = Instance::From(plugin);
    if (!self || !stream || !stream->read || !self->OnMainThread()) return false;
    try {
        std::vector<unsigned char> bytes;
        unsigned char buffer[1024];
        while (bytes.size() < kMostStateBytes) {
            const int64_t read = stream->read(stream, buffer, sizeof buffer);
            if (read == 0) break;
            if (read < 0 || static_cast<uint64_t>(read) > sizeof buffer) return false;
            bytes.insert(bytes.end(), buffer, buffer + read);
        }
        if (!self->plugin.SetStateWithBypass(bytes.data(), static_cast<int32_t>(bytes.size()))) return false;
    } catch (...) {
        return false;
    }
    self->ValuesChanged();
    return true;
}

} // namespace

const clap_plugin_state_t kState = {Save, Load};

} // namespace clap_adapter
