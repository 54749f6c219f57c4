# The editor's skin pictures are drawn by a program of ours at build time. The library
# that embeds them is defined in resources/, which includes this file first so that the
# pictures and the sources made from them share one directory; the second include from
# tools/ then does nothing.
include_guard(GLOBAL)

add_executable(tolvanger_skin
  ${CMAKE_SOURCE_DIR}/tools/skin/main.cpp
  ${CMAKE_SOURCE_DIR}/tools/skin/background.cpp
  ${CMAKE_SOURCE_DIR}/tools/skin/knob.cpp)
target_include_directories(tolvanger_skin PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(tolvanger_skin PRIVATE PkgConfig::CAIRO)

# Beside the library in the build tree, so the file fall-back works there too.
set(TOLVANGER_SKIN_DIR ${CMAKE_BINARY_DIR}/tolvanger_gfx)
set(TOLVANGER_SKIN_BACKGROUND ${TOLVANGER_SKIN_DIR}/bg.png)
set(TOLVANGER_SKIN_KNOB ${TOLVANGER_SKIN_DIR}/sliderknob.png)
# The same pictures for scaled screens (resources/picture_scales.h).
set(TOLVANGER_SKIN_SCALED)
foreach(scale 2 3)
  list(APPEND TOLVANGER_SKIN_SCALED ${TOLVANGER_SKIN_DIR}/bg@${scale}x.png ${TOLVANGER_SKIN_DIR}/sliderknob@${scale}x.png)
endforeach()

# The font library keeps caches until exit, which a sanitizer build would report as leaks.
add_custom_command(
  OUTPUT ${TOLVANGER_SKIN_BACKGROUND} ${TOLVANGER_SKIN_KNOB} ${TOLVANGER_SKIN_SCALED}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${TOLVANGER_SKIN_DIR}
  COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0 $<TARGET_FILE:tolvanger_skin> ${TOLVANGER_SKIN_DIR}
  DEPENDS tolvanger_skin
  COMMENT "Drawing the editor skin"
  VERBATIM)
add_custom_target(tolvanger_skin_pictures ALL
  DEPENDS ${TOLVANGER_SKIN_BACKGROUND} ${TOLVANGER_SKIN_KNOB} ${TOLVANGER_SKIN_SCALED})

install(FILES ${TOLVANGER_SKIN_BACKGROUND} ${TOLVANGER_SKIN_KNOB} ${TOLVANGER_SKIN_SCALED} DESTINATION tolvanger_gfx COMPONENT vst)
