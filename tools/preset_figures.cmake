# tolvanger-preset-figures: measures what each factory preset does (loudness, band levels,
# gain reduction, width) on programme files; the README's table of the bank comes from it.
# Built only when asked for (ninja -C build tolvanger-preset-figures); not installed.
add_executable(tolvanger-preset-figures EXCLUDE_FROM_ALL ${CMAKE_CURRENT_SOURCE_DIR}/preset_figures/main.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/preset_figures/programmes.cpp)
target_link_libraries(tolvanger-preset-figures PRIVATE tolvanger_core PkgConfig::SNDFILE PkgConfig::EBUR128)
set_target_properties(tolvanger-preset-figures PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
