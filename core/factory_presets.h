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
// bright_punch.fxp). Designed by ear and measured on the demo programme and a mix of
// sustained instruments; the README lists the figures.

inline constexpr int kFactoryPresetValues = 30;

struct FactoryPreset {
    const char* name;
    const char* line;
    double values[kFactoryPresetValues];
};

// clang-format off
inline constexpr FactoryPreset kFactoryPresets[] = {
    //        Compress            Comp | Transient               Trans | Gain                      EQ
    //        LO  LM  HM  HI           | LO    LM    HM    HI          | LO    LM    HM    HI
    //        Solo LO..HI | Bypass LO..HI | Inertia Punch Balance M-S MixLevel | Input Output
    {"Gentle Glue", "gentle glue for a finished mix: slow, soft-kneed, every band alike",
     {        8,  8,  8,  8,   1,        0,    0,    0,    0,    1,     0,    0,    0,    0,    1,
              0, 0, 0, 0,   0, 0, 0, 0,   0.8, 0, 0,   1, 0,   0, 0}},
    {"Tight Low End", "tighten the low end: firm, quick control below 600 Hz",
     {       22, 16,  8,  8,   1,        1.5,  0,    0,    0,    1,     0,   -1,    0,    0,    1,
              0, 0, 0, 0,   0, 0, 0, 0,   0.3, 0, 0,   1, 0,   0, 0}},
    {"Tame Harsh Mids", "tame harsh upper mids: 600 Hz to 6 kHz held down when it bites",
     {        8, 10, 24, 12,   1,        0,    0,   -2,    0,    1,     0,    0, -1.5,    0,    1,
              0, 0, 0, 0,   0, 0, 0, 0,   0.4, 0, 0,   1, 0,   0, 0}},
    {"More Air", "more air: a lift above 6 kHz, its peaks kept smooth",
     {        8,  8,  8, 10,   1,        0,    0,    0,    1,    1,     0,    0,    0,    3,    1,
              0, 0, 0, 0,   0, 0, 0, 0,   0.6, 0, 0,   1, 0,   0, 0}},
    {"Drum Punch", "punch for drum-heavy material: sharper attacks, quick recovery",
     {       16, 14, 12, 10,   1,        3,    2,    2,    1,    1,     0.5,  0,    0,    0.5,  1,
              0, 0, 0, 0,   0, 0, 0, 0,   0.2, 1, 0,   1, 0,   0, 0}},
    {"Wider M-S", "wider stereo: the mid held firmer than the side, side lifted",
     {       10, 12, 12, 10,   1,        0,    0,    0,    0,    1,     0,    0,    0,    0,    1,
              0, 0, 0, 0,   0, 0, 0, 0,   0.6, 0, 2.5, 1, 0,   0, 0}},
    {"Broadcast Voice", "broadcast voice-over: rumble out, even level, clear presence",
     {        6, 20, 20, 14,   1,        0,    0,    0,    0,    1,    -8,    0,    1.5,  0,    1,
              0, 0, 0, 0,   0, 0, 0, 0,   0.3, 0, 0,   1, 0,   0, 0}},
    {"Vinyl-Safe Low End", "vinyl-safe low end: lows held steady and narrow, sibilance down",
     {       24, 10,  8, 16,   1,       -2,    0,    0,   -1,    1,    -1,    0,    0,   -1,    1,
              0, 0, 0, 0,   0, 0, 0, 0,   0.6, 0, -2.5, 1, 0,  0, 0}},
    {"Loud Modern Master", "loud modern master: dense in every band, driven from the input",
     {       24, 22, 22, 20,   1,        1,    0,    1,    1,    1,     0.5,  0,    0,    1,    1,
              0, 0, 0, 0,   0, 0, 0, 0,   0.2, 1, 0,   1, 0,   4, -1}},
    {"Transparent Peaks", "transparent peak control: only the loudest moments touched",
     {        4,  4,  4,  4,   1,        0,    0,    0,    0,    0,     0,    0,    0,    0,    0,
              0, 0, 0, 0,   0, 0, 0, 0,   0.1, 0, 0,   0, 0,   0, 0}},
    {"Bright Punch", "bright punch: the shipped demo master, crisp attacks and a bright top",
     {       22, 18, 16, 12,   1,        2.5,  0,    3.5,  4,    1,     1.5,  0,    0,    2,    1,
              0, 0, 0, 0,   0, 0, 0, 0,   0.3, 1, -1,  1, 0,   0, -1}},
    {"Clear Low Mids", "clear the low mids: less mud between 80 and 600 Hz",
     {       10, 18, 10, 10,   1,        0,    0,    0,    0,    1,     0,   -2,    0,    0,    1,
              0, 0, 0, 0,   0, 0, 0, 0,   0.5, 0, 0,   1, 0,   0, 0}},
    {"Pass-Through", "listen to the crossover alone: every section off, for A/B",
     {       15, 15, 15, 15,   0,        0,    0,    0,    0,    0,     0,    0,    0,    0,    0,
              0, 0, 0, 0,   0, 0, 0, 0,   0.5, 0, 0,   1, 0,   0, 0}},
    {"Solo Lows", "listen to the lows alone (below 80 Hz), unprocessed",
     {       15, 15, 15, 15,   0,        0,    0,    0,    0,    0,     0,    0,    0,    0,    1,
              1, 0, 0, 0,   0, 0, 0, 0,   0.5, 0, 0,   1, 0,   0, 0}},
    {"Solo Low Mids", "listen to the low mids alone (80 to 600 Hz), unprocessed",
     {       15, 15, 15, 15,   0,        0,    0,    0,    0,    0,     0,    0,    0,    0,    1,
              0, 1, 0, 0,   0, 0, 0, 0,   0.5, 0, 0,   1, 0,   0, 0}},
    {"Solo High Mids", "listen to the high mids alone (600 Hz to 6 kHz), unprocessed",
     {       15, 15, 15, 15,   0,        0,    0,    0,    0,    0,     0,    0,    0,    0,    1,
              0, 0, 1, 0,   0, 0, 0, 0,   0.5, 0, 0,   1, 0,   0, 0}},
    {"Solo Highs", "listen to the highs alone (above 6 kHz), unprocessed",
     {       15, 15, 15, 15,   0,        0,    0,    0,    0,    0,     0,    0,    0,    0,    1,
              0, 0, 0, 1,   0, 0, 0, 0,   0.5, 0, 0,   1, 0,   0, 0}},
    {"Lows Untouched", "process all but the lows: the band below 80 Hz bypassed",
     {       15, 15, 15, 15,   1,        0,    0,    0,    0,    1,     0,    0,    0,    0,    1,
              0, 0, 0, 0,   1, 0, 0, 0,   0.5, 0, 0,   1, 0,   0, 0}},
};
// clang-format on

inline constexpr int kFactoryPresetCount = static_cast<int>(sizeof kFactoryPresets / sizeof kFactoryPresets[0]);
