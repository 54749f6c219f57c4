# The README names the release and its package file; both must be the version CMake holds.
# Included by tests/CMakeLists.txt it adds the test; run with -P it is the test.
if(CMAKE_SCRIPT_MODE_FILE)
  file(READ ${README} text)
  foreach(expected "This is Tolvanger ${VERSION}." "tolvanger_${VERSION}_amd64.deb")
    string(FIND "${text}" "${expected}" at)
    if(at EQUAL -1)
      message(FATAL_ERROR "README.md does not say \"${expected}\"")
    endif()
  endforeach()
  string(REGEX MATCHALL "tolvanger_[0-9.]+_amd64\\.deb|This is Tolvanger [0-9.]+[0-9]" named "${text}")
  foreach(name ${named})
    if(NOT name MATCHES "${VERSION}")
      message(FATAL_ERROR "README.md names another version: ${name}")
    endif()
  endforeach()
else()
  add_test(NAME Readme.NamesTheProjectVersion
    COMMAND ${CMAKE_COMMAND} -DREADME=${CMAKE_SOURCE_DIR}/README.md -DVERSION=${PROJECT_VERSION}
            -P ${CMAKE_CURRENT_LIST_FILE})
endif()
