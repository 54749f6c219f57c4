# tolvanger-lv2-turtle: writes the LV2 bundle's Turtle files from lv2/*.ttl.in and the
# effect's description; lv2/CMakeLists.txt runs it.
add_executable(tolvanger-lv2-turtle ${CMAKE_CURRENT_SOURCE_DIR}/lv2_turtle/main.cpp)
target_link_libraries(tolvanger-lv2-turtle PRIVATE tolvanger_core)
