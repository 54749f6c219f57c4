#pragma once
// The names under which LV2 hosts know the plug-in, its editor and its saved state. The
// Turtle generator writes them into the bundle; the two libraries answer to them.

namespace lv2_uris {

inline constexpr char kPlugin[] = "urn:calder-forges:tolvanger";
inline constexpr char kEditor[] = "urn:calder-forges:tolvanger#editor";
// The factory presets: this and the preset's key ("...:preset:bright_punch").
inline constexpr char kPresetPrefix[] = "urn:calder-forges:tolvanger:preset:";
// The key of the state chunk in a host's saved state.
inline constexpr char kStateChunk[] = "urn:calder-forges:tolvanger#chunk";

} // namespace lv2_uris
