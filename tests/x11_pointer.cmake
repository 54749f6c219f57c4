# Tests that move the X server's one pointer with XTest cannot run side by side, so they
# share a lock. The file below runs after the discovered tests are defined; a name that
# no test has (no XTest on the build machine) is passed over.
set(X11_POINTER_TESTS
  EditorWindow.DragOutsideTheWindowKeepsReportingTheMouse
  EditorDrag.DraggingTheLoGainKnobChangesTheParameter
  Lv2Editor.DragWritesThePortAndAPortEventMovesTheKnob)
set(X11_POINTER_LOCK_FILE ${CMAKE_CURRENT_BINARY_DIR}/x11_pointer_lock.cmake)
file(WRITE ${X11_POINTER_LOCK_FILE} "set_tests_properties(${X11_POINTER_TESTS} PROPERTIES RESOURCE_LOCK x11_pointer)\n")
set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${X11_POINTER_LOCK_FILE})
