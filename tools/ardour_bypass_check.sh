#!/bin/sh
# Shows Ardour 7 (Debian package ardour) bypassing the LV2 build its own way and the track
# staying in time. Ardour's Lua session tool (ardour7-lua) makes a session on the dummy audio
# back end with one stereo track: a click generator (a small Lua DSP script of ours, restarted
# before each render) and then Tolvanger. Ardour bounces the track three times, compensating
# the plug-in's latency as it does on playback and export: the generator's output alone, the
# track through Tolvanger, and the track with Tolvanger bypassed by Ardour's own switch (which
# sets the plug-in's "enabled" port). Bypassed, the bounce must equal the generator's own, sample
# for sample; a bypass that dropped the plug-in's delay would move it by the latency. Everything
# Ardour writes goes into a scratch folder; nothing of the user's is touched.
#   tools/ardour_bypass_check.sh [build folder]     (default: build)
set -eu
build=${1:-build}
bundle=$build/tolvanger.lv2
[ -f "$bundle/manifest.ttl" ] || { echo "no LV2 bundle in $build" >&2; exit 1; }
command -v ardour7-lua >/dev/null || { echo "ardour7-lua is missing (Debian package ardour)" >&2; exit 1; }
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# Ardour finds Lua scripts in the scripts folder of its configuration.
mkdir -p "$scratch/lv2" "$scratch/config/ardour7/scripts"
cp -rL "$bundle" "$scratch/lv2/"
export HOME="$scratch" XDG_CACHE_HOME="$scratch/cache" XDG_CONFIG_HOME="$scratch/config" LV2_PATH="$scratch/lv2"

# A click every 4800 samples and a low hum beneath, counted from the last restart (a change
# of its Restart control): the same samples in every bounce.
cat >"$scratch/config/ardour7/scripts/tolvanger_clicks.lua" <<'LUA'
ardour { ["type"] = "dsp", name = "Tolvanger Check Clicks", category = "Utility", license = "MIT",
	author = "Tolvanger", description = [[Clicks for the bypass check]] }
function dsp_ioconfig () return { { audio_in = 2, audio_out = 2 } } end
function dsp_params () return { { ["type"] = "input", name = "Restart", min = 0, max = 1000, default = 0, integer = true } } end
local count, epoch = 0, -1
function dsp_run (ins, outs, n_samples)
	local restart = CtrlPorts:array ()[1]
	if restart ~= epoch then epoch = restart; count = 0 end
	local a = {}
	for s = 1, n_samples do
		local n = count + s - 1
		a[s] = (n % 4800 == 100 and 0.5 or 0) + 0.1 * math.sin (2 * math.pi * 110 * n / 48000)
	end
	count = count + n_samples
	for c = 1, #outs do outs[c]:set_table (a, n_samples) end
end
LUA

cat >"$scratch/check.lua" <<LUA
AudioEngine:set_backend ("None (Dummy)", "", "")
local session = create_session ("$scratch/session", "session", 48000)
assert (session, "no session")
local track = Session:new_audio_track (2, 2, nil, 1, "Track", ARDOUR.PresentationInfo.max_order,
	ARDOUR.TrackMode.Normal, true):front ()
local clicks = ARDOUR.LuaAPI.new_luaproc (Session, "Tolvanger Check Clicks")
assert (not clicks:isnil (), "no click generator")
assert (track:add_processor_by_index (clicks, 0, nil, true))
local tolvanger = ARDOUR.LuaAPI.new_plugin (Session, "urn:calder-forges:tolvanger", ARDOUR.PluginType.LV2, "")
assert (not tolvanger:isnil (), "Ardour could not load the LV2 plug-in")
assert (track:add_processor_by_index (tolvanger, 1, nil, true))
local insert = tolvanger:to_insert ()
local plugin = insert:plugin (0)
local enabled
for i = 0, plugin:parameter_count () - 1 do
	if plugin:parameter_is_input (i) and plugin:parameter_label (i) == "Output" then
		ARDOUR.LuaAPI.set_plugin_insert_param (insert, i, -20)
	elseif plugin:parameter_is_input (i) and plugin:parameter_label (i) == "Enabled" then
		enabled = i
	end
end
assert (enabled, "no Enabled port")
print (string.format ("%s by %s on %q, latency %d samples", plugin:name (), plugin:maker (), track:name (),
	tolvanger:signal_latency ()))

local length = 48000
local restarts = 0
local function bounce (endpoint, include)
	restarts = restarts + 1
	ARDOUR.LuaAPI.set_processor_param (clicks, 0, restarts)
	local region = track:bounce_range (0, length, ARDOUR.InterThreadInfo (), endpoint, include, "")
	local readable = region:to_audioregion ():to_readable ()
	local buffer = ARDOUR.DSP.DspShm (length)
	local got = readable:read (buffer:to_float (0), 0, length, 0)
	assert (got == length, "short bounce")
	local samples = {}
	local d = buffer:to_float (0):array ()
	for i = 1, length do samples[i] = d[i] end
	return samples
end
-- The first five clicks: peaks above half the bounce's loudest sample.
local function clicks_at (s)
	local loudest = 0
	for i = 1, #s do loudest = math.max (loudest, math.abs (s[i])) end
	local at = {}
	for i = 1, #s do
		if math.abs (s[i]) > 0.5 * loudest and (i == 1 or math.abs (s[i]) >= math.abs (s[i - 1])) and
			(i == #s or math.abs (s[i]) > math.abs (s[i + 1])) then at[#at + 1] = i - 1 end
	end
	return table.concat (at, " ", 1, math.min (#at, 5))
end
local function differing (a, b)
	local n = 0
	for i = 1, #a do if a[i] ~= b[i] then n = n + 1 end end
	return n
end

local dry = bounce (clicks, true)
local processed = bounce (track:main_outs (), false)
insert:enable (false)
-- The engine runs on: the plug-in takes the switch and fades within a few cycles.
assert (ARDOUR.LuaAPI.wait_for_process_callback (16, 2000), "the engine does not run")
print (string.format ("Ardour's bypass: insert enabled %s, plug-in still running %s, its Enabled port %g",
	tostring (insert:enabled ()), tostring (insert:active ()), ARDOUR.LuaAPI.get_plugin_insert_param (insert, enabled, true)))
local bypassed = bounce (track:main_outs (), false)
print (string.format ("latency while bypassed: %d samples", tolvanger:signal_latency ()))
print ("clicks of the generator at samples:      " .. clicks_at (dry))
print ("clicks through Tolvanger at samples:     " .. clicks_at (processed))
print ("clicks through Tolvanger bypassed:       " .. clicks_at (bypassed))
print (string.format ("processed bounce against the generator's: %d of %d samples differ", differing (dry, processed),
	length))
print (string.format ("bypassed bounce against the generator's: %d of %d samples differ", differing (dry, bypassed),
	length))
close_session ()
LUA
ardour7-lua "$scratch/check.lua" 2>&1 | grep -v '^\[WARNING\]: Falling back\|^Butler drops'
