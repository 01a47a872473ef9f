# A real window run killed with SIGKILL, on a virtual display (skipped without Xvfb or xdotool).
if(TARGET zentory AND TARGET zentory_ui_qt)
  add_test(NAME ZentoryWindow.KilledRunLeavesItsSongToRecover
           COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/recovery/kill_window.sh $<TARGET_FILE:zentory>)
  set_tests_properties(ZentoryWindow.KilledRunLeavesItsSongToRecover PROPERTIES TIMEOUT 90
                       SKIP_RETURN_CODE 77)
endif()
