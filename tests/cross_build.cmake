# The Linux side of the comparison between the Linux and the Windows library: a program that
# writes what this library gives on the shared material, for the Windows tests to compare
# (make windows-test runs it before them).
add_executable(tolvanger_cross_reference ${CMAKE_CURRENT_SOURCE_DIR}/windows/linux_reference.cpp)
target_link_libraries(tolvanger_cross_reference PRIVATE hostkit)
target_compile_definitions(tolvanger_cross_reference PRIVATE TOLVANGER_PLUGIN_PATH="$<TARGET_FILE:Tolvanger>")
add_dependencies(tolvanger_cross_reference Tolvanger)
