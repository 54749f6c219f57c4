# tolvanger-render: renders audio files through a VST 2.4 plug-in (by default the Tolvanger
# library of this build), and tolvanger-demo, which writes the demo programme it renders.
if(NOT SNDFILE_FOUND OR NOT EBUR128_FOUND)
  message(FATAL_ERROR "tolvanger-render needs libsndfile and libebur128 (Debian: libsndfile1-dev libebur128-dev)")
endif()

file(GLOB RENDER_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/render/*.cpp)
add_executable(tolvanger-render ${RENDER_SOURCES} ${CMAKE_SOURCE_DIR}/gui/x11/open_display.cpp)
target_link_libraries(tolvanger-render PRIVATE hostkit tolvanger_presets PkgConfig::SNDFILE PkgConfig::EBUR128
  PkgConfig::X11 PkgConfig::CAIRO)
target_compile_definitions(tolvanger-render PRIVATE TOLVANGER_VERSION="${PROJECT_VERSION}")
set_target_properties(tolvanger-render PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
add_dependencies(tolvanger-render Tolvanger)

file(GLOB DEMO_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/demo/*.cpp)
add_executable(tolvanger-demo ${DEMO_SOURCES})
target_include_directories(tolvanger-demo PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(tolvanger-demo PRIVATE PkgConfig::SNDFILE)
set_target_properties(tolvanger-demo PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

install(TARGETS tolvanger-render RUNTIME DESTINATION bin COMPONENT render)
install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION share/doc/tolvanger COMPONENT render)
