# On Windows the pictures are resources of type "DATA" with the identifiers 0 and 1 (200, 201,
# 300 and 301 for the scaled ones), compiled into the DLL with windres. The build machine draws
# them: TOLVANGER_SKIN_DIR names the folder where a native build's skin program wrote bg.png,
# sliderknob.png and their scaled versions (make windows passes build/tolvanger_gfx), so both
# libraries carry the same pictures.
set(TOLVANGER_SKIN_DIR "" CACHE PATH "Folder with bg.png and sliderknob.png drawn by the native build")
if(NOT TOLVANGER_SKIN_DIR)
  message(FATAL_ERROR "TOLVANGER_SKIN_DIR is not set: the Windows build takes the skin pictures the Linux "
    "build draws (make windows passes build/tolvanger_gfx)")
endif()

# Copied beside the DLL as well, where the file fall-back looks for them.
set(TOLVANGER_SKIN_COPY ${CMAKE_BINARY_DIR}/tolvanger_gfx)
set(TOLVANGER_SKIN_NAMES bg.png sliderknob.png bg@2x.png sliderknob@2x.png bg@3x.png sliderknob@3x.png)
list(TRANSFORM TOLVANGER_SKIN_NAMES PREPEND ${TOLVANGER_SKIN_DIR}/ OUTPUT_VARIABLE TOLVANGER_SKIN_SOURCES)
list(TRANSFORM TOLVANGER_SKIN_NAMES PREPEND ${TOLVANGER_SKIN_COPY}/ OUTPUT_VARIABLE TOLVANGER_SKIN_FILES)
add_custom_command(
  OUTPUT ${TOLVANGER_SKIN_FILES}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${TOLVANGER_SKIN_COPY}
  COMMAND ${CMAKE_COMMAND} -E copy ${TOLVANGER_SKIN_SOURCES} ${TOLVANGER_SKIN_COPY}
  DEPENDS ${TOLVANGER_SKIN_SOURCES}
  COMMENT "Taking the editor skin from ${TOLVANGER_SKIN_DIR}"
  VERBATIM)
add_custom_target(tolvanger_skin_pictures DEPENDS ${TOLVANGER_SKIN_FILES})

set(TOLVANGER_RESOURCE_SCRIPT ${CMAKE_CURRENT_BINARY_DIR}/skin.rc)
file(CONFIGURE OUTPUT ${TOLVANGER_RESOURCE_SCRIPT} CONTENT
  "// The editor's skin pictures, written by resources/windows.cmake.\n0 DATA \"@TOLVANGER_SKIN_COPY@/bg.png\"\n1 DATA \"@TOLVANGER_SKIN_COPY@/sliderknob.png\"\n200 DATA \"@TOLVANGER_SKIN_COPY@/bg@2x.png\"\n201 DATA \"@TOLVANGER_SKIN_COPY@/sliderknob@2x.png\"\n300 DATA \"@TOLVANGER_SKIN_COPY@/bg@3x.png\"\n301 DATA \"@TOLVANGER_SKIN_COPY@/sliderknob@3x.png\"\n"
  @ONLY)
set_source_files_properties(${TOLVANGER_RESOURCE_SCRIPT} PROPERTIES OBJECT_DEPENDS "${TOLVANGER_SKIN_FILES}")
# An object library: linked straight into the DLL, where the linker keeps resources.
add_library(tolvanger_resources OBJECT ${TOLVANGER_RESOURCE_SCRIPT})
add_dependencies(tolvanger_resources tolvanger_skin_pictures)
install(FILES ${TOLVANGER_SKIN_FILES} DESTINATION tolvanger_gfx)
