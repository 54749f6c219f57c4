# The VST 3 tests load the built bundle through our own test host (tests/vst3_host.h) and
# compare it with the VST 2.4 build; they compile to nothing in a tree without the bundle.
if(TARGET tolvanger_vst3)
  add_dependencies(tolvanger_tests tolvanger_vst3)
  target_compile_definitions(tolvanger_tests PRIVATE
    TOLVANGER_VST3_LIBRARY="$<TARGET_FILE:tolvanger_vst3>"
    TOLVANGER_VERSION_TEXT="${PROJECT_VERSION}")
endif()
