# The thread stress test is a program of its own: the ThreadSanitizer build (make tsan) builds
# it and the libraries alone, and the suites run it with the rest.
add_executable(tolvanger_stress_tests ${CMAKE_CURRENT_SOURCE_DIR}/stress_test.cpp)
target_link_libraries(tolvanger_stress_tests PRIVATE tolvanger_vst2 GTest::gtest GTest::gtest_main)
gtest_discover_tests(tolvanger_stress_tests DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300
  ENVIRONMENT "XDG_CONFIG_HOME=${CMAKE_CURRENT_BINARY_DIR}/config" ENVIRONMENT_MODIFICATION "GDK_SCALE=unset:")
# A stress test written into another file would join the suite program, which ThreadSanitizer
# never runs: there must be none.
add_test(NAME Stress.NoneOutsideTheStressProgram
  COMMAND sh -c "! $<TARGET_FILE:tolvanger_tests> --gtest_list_tests --gtest_filter='Stress*' | grep -q '^Stress'"
  WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
