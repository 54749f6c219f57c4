# The renderer's end-to-end tests run the built tolvanger-render on files they write with
# libsndfile and compare with the same processing done in memory through hostkit.
add_dependencies(tolvanger_tests tolvanger-render)
target_link_libraries(tolvanger_tests PRIVATE PkgConfig::SNDFILE)
target_compile_definitions(tolvanger_tests PRIVATE TOLVANGER_RENDER_PATH="$<TARGET_FILE:tolvanger-render>")
# The mastering tests measure loudness with libebur128 directly and read the JSON report.
find_package(nlohmann_json REQUIRED)
target_link_libraries(tolvanger_tests PRIVATE PkgConfig::EBUR128 nlohmann_json::nlohmann_json)
