# The audio entries' allocation test replaces the allocator, so it is a program of its own;
# the sanitizers replace the allocator themselves and build without it.
if(NOT TOLVANGER_SANITIZE AND NOT TOLVANGER_TSAN AND NOT TOLVANGER_FUZZ AND NOT WIN32)
  add_executable(tolvanger_allocation_tests ${CMAKE_CURRENT_SOURCE_DIR}/allocation/audio_allocation_test.cpp)
  target_link_libraries(tolvanger_allocation_tests PRIVATE hostkit GTest::gtest GTest::gtest_main)
  target_compile_definitions(tolvanger_allocation_tests PRIVATE TOLVANGER_PLUGIN_PATH="$<TARGET_FILE:Tolvanger>")
  add_dependencies(tolvanger_allocation_tests Tolvanger)
  gtest_discover_tests(tolvanger_allocation_tests DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 120)
endif()
