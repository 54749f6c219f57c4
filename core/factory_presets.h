#pragma once
// The factory bank, once: each preset's name, the one line that says what it is for, and the
// thirty parameter values in the sliders' own units, in the host's parameter order (the order
// of effect/parameter_table.h). Every format's presets come from this table: the VST 3
// program list, the CLAP preset provider, the LV2 bundle's presets and the .fxp files are
// generated from it, and the renderer lists and loads it. core/presets.cpp checks every value
// against the parameter table when it compiles: within the range and on the step.
//
// A name is at most 24 characters (the longest program name a VST 2.4 host reads) and is
// unique in any case; its words give the preset's file name and load key ("Bright Punch":
// bright_punch.fxp). Designed by measurement (tools/preset_figures: loudness, band levels,
// gain reduction, width and crest on the demo programme, a band mix and a voice); the
// corrective presets keep the level within about a decibel, for fair comparison. The README
// lists the figures.
inline constexpr int kFactoryPresetValues = 30;

struct FactoryPreset {
    const char* name;
    const char* line;
    double values[kFactoryPresetValues];
};

// clang-format off
inline constexpr FactoryPreset kFactoryPresets[] = {
    // Compress LO LM HM HI, Compressor | Transient LO LM HM HI, Transient | Gain LO LM HM HI, EQ |
    // Solo LO LM HM HI | Bypass LO LM HM HI | Inertia, Punch, M-S Balance, Stereo/M-S, Mix Level | Input, Output
    {"Gentle Glue",
     "gentle glue for a finished mix: slow, soft-kneed compression alike in every band, level kept",
     {25, 25, 25, 25, 1,   0, 0, 0, 0, 1,   0, 0, 0, 0, 1,   0, 0, 0, 0,   0, 0, 0, 0,   0.8, 0, 0, 1, 0,   0, -3}},
    {"Tight Low End",
     "tighten the low end: quick, firm control below 600 Hz, the kick's attack kept",
     {26, 22, 15, 15, 1,   1, 0, 0, 0, 1,   1, 0, 0, 0, 1,   0, 0, 0, 0,   0, 0, 0, 0,   0.3, 0, 0, 1, 0,   0, -1.5}},
    {"Tame Harsh Mids",
     "tame harsh upper mids: 600 Hz to 6 kHz held down and softened when it bites",
     {15, 15, 30, 15, 1,   0, 0, -2, 0, 1,   0, 0, -1.5, 0, 1,   0, 0, 0, 0,   0, 0, 0, 0,   0.4, 0, 0, 1, 0,   0, -2}},
    {"More Air",
     "more air: 3 dB more above 6 kHz, its peaks held smooth",
     {15, 15, 15, 20, 1,   0, 0, 0, 0, 1,   0, 0, 0, 3, 1,   0, 0, 0, 0,   0, 0, 0, 0,   0.5, 0, 0, 1, 0,   0, -2}},
    {"Drum Punch",
     "punch for drum-heavy material: sharper attacks in every band, quick recovery",
     {20, 20, 20, 20, 1,   4, 3, 3, 2, 1,   0, 0, 0, 0, 1,   0, 0, 0, 0,   0, 0, 0, 0,   0.2, 1, 0, 1, 0,   0, -2.5}},
    {"Wider M-S",
     "wider stereo: the mid compressed harder than the side, so the side comes forward",
     {22, 22, 22, 22, 1,   0, 0, 0, 0, 1,   0, 0, 0, 0, 1,   0, 0, 0, 0,   0, 0, 0, 0,   0.6, 0, 3, 1, 0,   0, -1}},
    {"Broadcast Voice",
     "broadcast voice-over: rumble below 80 Hz out, level held even, presence up",
     {10, 30, 28, 24, 1,   -3, -3, -3, -3, 1,   -12, 0, 2, 0, 1,   0, 0, 0, 0,   0, 0, 0, 0,   0.4, 0, 0, 1, 0,   0, 1.5}},
    {"Vinyl-Safe Low End",
     "vinyl-safe low end: low peaks held steady, stereo narrowed, sibilance down",
     {28, 22, 22, 28, 1,   0, 0, 0, -2, 1,   0, 0, 0, -1, 1,   0, 0, 0, 0,   0, 0, 0, 0,   0.6, 0, -3, 1, 0,   0, -3}},
    {"Loud Modern Master",
     "loud modern master: dense in every band, attacks rounded so the peaks stay in check",
     {28, 28, 28, 28, 1,   -10, -10, -10, -10, 1,   0, 0, 0, 0, 1,   0, 0, 0, 0,   0, 0, 0, 0,   0.1, 0, 0, 1, 0,   2, 2.8}},
    {"Transparent Peaks",
     "transparent peak control: attacks softened a little in every band, no compression, level kept",
     {15, 15, 15, 15, 0,   -6, -6, -6, -6, 1,   0, 0, 0, 0, 1,   0, 0, 0, 0,   0, 0, 0, 0,   0.5, 0, 0, 1, 0,   0, -0.4}},
    {"Bright Punch",
     "bright punch: crisp attacks, a brighter top and firm lows (the demo's master)",
     {22, 18, 16, 12, 1,   2.5, 0, 3.5, 4, 1,   1.5, 0, 0, 2, 1,   0, 0, 0, 0,   0, 0, 0, 0,   0.3, 1, -1, 1, 0,   0, -1}},
    {"Clear Low Mids",
     "clear the low mids: less mud between 80 and 600 Hz, held and lowered",
     {15, 28, 15, 15, 1,   0, 0, 0, 0, 1,   0, -2, 0, 0, 1,   0, 0, 0, 0,   0, 0, 0, 0,   0.5, 0, 0, 1, 0,   0, -0.5}},
    {"Pass-Through",
     "listen to the crossover alone: every section off, for A/B",
     {15, 15, 15, 15, 0,   0, 0, 0, 0, 0,   0, 0, 0, 0, 0,   0, 0, 0, 0,   0, 0, 0, 0,   0.5, 0, 0, 1, 0,   0, 0}},
    {"Solo Lows",
     "listen to the lows alone (below 80 Hz), unprocessed",
     {15, 15, 15, 15, 0,   0, 0, 0, 0, 0,   0, 0, 0, 0, 1,   1, 0, 0, 0,   0, 0, 0, 0,   0.5, 0, 0, 1, 0,   0, 0}},
    {"Solo Low Mids",
     "listen to the low mids alone (80 to 600 Hz), unprocessed",
     {15, 15, 15, 15, 0,   0, 0, 0, 0, 0,   0, 0, 0, 0, 1,   0, 1, 0, 0,   0, 0, 0, 0,   0.5, 0, 0, 1, 0,   0, 0}},
    {"Solo High Mids",
     "listen to the high mids alone (600 Hz to 6 kHz), unprocessed",
     {15, 15, 15, 15, 0,   0, 0, 0, 0, 0,   0, 0, 0, 0, 1,   0, 0, 1, 0,   0, 0, 0, 0,   0.5, 0, 0, 1, 0,   0, 0}},
    {"Solo Highs",
     "listen to the highs alone (above 6 kHz), unprocessed",
     {15, 15, 15, 15, 0,   0, 0, 0, 0, 0,   0, 0, 0, 0, 1,   0, 0, 0, 1,   0, 0, 0, 0,   0.5, 0, 0, 1, 0,   0, 0}},
    {"Bypass Lows",
     "band bypass: the lows (below 80 Hz) pass untouched, the rest at the default settings",
     {15, 15, 15, 15, 1,   0, 0, 0, 0, 1,   0, 0, 0, 0, 1,   0, 0, 0, 0,   1, 0, 0, 0,   0.5, 0, 0, 1, 0,   0, 0}},
};
// clang-format on

inline constexpr int kFactoryPresetCount = static_cast<int>(sizeof kFactoryPresets / sizeof kFactoryPresets[0]);
