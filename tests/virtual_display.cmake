# The test command's virtual display: two test programs started at once without $DISPLAY
# each get a server of their own, ready before the first window test connects, and their
# window tests run (a skip or a failure to open the display fails this test).
add_test(NAME VirtualDisplay.ParallelRunsEachGetAReadyServer
  COMMAND sh -c "\
    run() { env -u DISPLAY ${CMAKE_SOURCE_DIR}/mk/with_display.sh $<TARGET_FILE:tolvanger_tests> \
      --gtest_filter=FrameWindow.*:EditorWindow.OpensPaintsAndReopens >\"$1\" 2>&1; }; \
    run parallel_a.log & a=$!; run parallel_b.log & b=$!; \
    wait $a && wait $b && ! grep -q SKIPPED parallel_a.log parallel_b.log")
