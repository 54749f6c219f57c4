# The LV2 tests load the built bundle through lilv and suil, run Debian's LV2 tools
# (sord_validate, lv2info, lv2apply) on it, and compare with the VST build.
pkg_check_modules(LILV REQUIRED IMPORTED_TARGET lilv-0)
pkg_check_modules(SUIL REQUIRED IMPORTED_TARGET suil-0)
# lv2-dev installs the LV2 vocabularies (core, atom, ui, ...) here; its pkg-config file does not say where.
find_path(LV2_VOCABULARY_DIR NAMES core.lv2/lv2core.ttl PATHS /usr/lib/lv2 /usr/local/lib/lv2 REQUIRED NO_DEFAULT_PATH)
add_dependencies(tolvanger_tests tolvanger_lv2)
target_link_libraries(tolvanger_tests PRIVATE PkgConfig::LILV PkgConfig::SUIL PkgConfig::LV2)
target_compile_definitions(tolvanger_tests PRIVATE
  TOLVANGER_LV2_BUNDLE="${TOLVANGER_LV2_BUNDLE}"
  TOLVANGER_LV2_VOCABULARY_DIR="${LV2_VOCABULARY_DIR}")
