# The CLAP tests load the built Tolvanger.clap through its clap_entry with the test host of
# tests/clap_host.h, and compare with the VST build.
add_dependencies(tolvanger_tests TolvangerClap)
target_compile_definitions(tolvanger_tests PRIVATE
  TOLVANGER_CLAP_PATH="$<TARGET_FILE:TolvangerClap>"
  TOLVANGER_PROJECT_VERSION="${PROJECT_VERSION}")
