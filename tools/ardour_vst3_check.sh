#!/bin/sh
# Shows Ardour 7 (Debian package ardour) finding and loading the VST 3 bundle without a GUI:
# Ardour's own VST 3 scanner loads the bundle, reads its factory, class and buses and writes
# Ardour's cache entry; then its Lua session tool (ardour7-lua) makes a session on the dummy
# audio back end and, where it lists VST 3 plug-ins, inserts Tolvanger on a stereo track and
# reads its parameters back. (Ardour 7.3's session tool indexes no VST 3 plug-ins itself, so
# there the second part says so and stops.) Everything Ardour writes goes into a scratch
# folder; nothing of the user's is touched.
#   tools/ardour_vst3_check.sh [build folder]     (default: build)
set -eu
build=${1:-build}
bundle=$build/Tolvanger.vst3
[ -f "$bundle/Contents/x86_64-linux/Tolvanger.so" ] || { echo "no VST 3 bundle in $build" >&2; exit 1; }
command -v ardour7-lua >/dev/null || { echo "ardour7-lua is missing (Debian package ardour)" >&2; exit 1; }
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/vst3"
cp -r "$bundle" "$scratch/vst3/"
export HOME="$scratch" XDG_CACHE_HOME="$scratch/cache" XDG_CONFIG_HOME="$scratch/config" VST3_PATH="$scratch/vst3"

echo "== Ardour's VST 3 scanner"
LD_LIBRARY_PATH=/usr/lib/ardour7 /usr/lib/ardour7/ardour-vst3-scanner -f -v "$scratch/vst3/Tolvanger.vst3"

echo "== ardour7-lua"
cat >"$scratch/check.lua" <<LUA
AudioEngine:set_backend("None (Dummy)", "", "")
local session = create_session("$scratch/session", "session", 48000)
assert(session, "no session")
local found = 0
for info in ARDOUR.LuaAPI.list_plugins():iter() do
  if info.type == ARDOUR.PluginType.VST3 then
    print(string.format("found VST3 %q by %q, id %s, %s", info.name, info.creator, info.unique_id, info.path))
    found = found + 1
  end
end
if found == 0 then
  print("the session tool lists no VST3 plug-ins (it does not index them); stopping here")
  close_session()
  return
end
local tracks = Session:new_audio_track(2, 2, nil, 1, "Master bus test", ARDOUR.PresentationInfo.max_order,
  ARDOUR.TrackMode.Normal, true)
local track = tracks:front()
local processor = ARDOUR.LuaAPI.new_plugin(Session, "Tolvanger", ARDOUR.PluginType.VST3, "")
assert(not processor:isnil(), "Ardour could not load the plug-in")
assert(track:add_processor_by_index(processor, 0, nil, true), "the track did not take the plug-in")
local insert = processor:to_insert()
local plugin = insert:plugin(0)
print(string.format("loaded %q by %q on track %q: %d inputs, %d outputs, latency %d samples",
  plugin:name(), plugin:maker(), track:name(), insert:input_streams():n_audio(),
  insert:output_streams():n_audio(), processor:signal_latency()))
local count = 0
for i = 0, plugin:parameter_count() - 1 do
  if plugin:parameter_is_input(i) then
    local _, t = plugin:get_parameter_descriptor(i, ARDOUR.ParameterDescriptor())
    local d = t[2]
    print(string.format("  %2d %-16s %8.2f .. %-8.2f default %-8.2f %s", count, plugin:parameter_label(i),
      d.lower, d.upper, d.normal, d.toggled and "(switch)" or (d.enumeration and "(options)" or "")))
    count = count + 1
  end
end
print(string.format("%d parameters", count))
ARDOUR.LuaAPI.set_plugin_insert_param(insert, 10, 6.1)
ARDOUR.LuaAPI.set_plugin_insert_param(insert, 24, 1)
print(string.format("after setting LO Gain to 6.1 and Punch on: %.2f, %.0f",
  ARDOUR.LuaAPI.get_plugin_insert_param(insert, 10, true), ARDOUR.LuaAPI.get_plugin_insert_param(insert, 24, true)))
Session:save_state("", false, false, false, false, false)
close_session()
LUA
ardour7-lua "$scratch/check.lua" 2>&1 | grep -v '^\[WARNING\]: Falling back\|^Butler drops'
