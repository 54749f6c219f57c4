# The factory bank as .fxp files in presets/ of the build tree, written from the bank's one
# table by tolvanger-factory-presets: the renderer's package installs them in
# share/tolvanger/presets, and the VST 2.4 plug-in's install puts them beside it in
# tolvanger_presets/.
add_executable(tolvanger-factory-presets ${CMAKE_CURRENT_SOURCE_DIR}/factory_presets/main.cpp)
target_link_libraries(tolvanger-factory-presets PRIVATE tolvanger_presets)

set(TOLVANGER_PRESET_DIR ${CMAKE_BINARY_DIR}/presets)
set(TOLVANGER_PRESET_DIR ${TOLVANGER_PRESET_DIR} PARENT_SCOPE)
set(stamp ${TOLVANGER_PRESET_DIR}/.written)
add_custom_command(
  OUTPUT ${stamp}
  COMMAND tolvanger-factory-presets ${TOLVANGER_PRESET_DIR}
  COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
  DEPENDS tolvanger-factory-presets
  COMMENT "Writing the factory presets as .fxp files"
  VERBATIM)
add_custom_target(tolvanger_factory_fxp ALL DEPENDS ${stamp})

install(DIRECTORY ${TOLVANGER_PRESET_DIR}/ DESTINATION share/tolvanger/presets COMPONENT render
  FILES_MATCHING PATTERN "*.fxp")
install(DIRECTORY ${TOLVANGER_PRESET_DIR}/ DESTINATION tolvanger_presets COMPONENT vst
  FILES_MATCHING PATTERN "*.fxp")
