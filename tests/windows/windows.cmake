# The Windows build's own tests. The test programs run under wine, the emulator of the cross build
# (scripts/wine-run); so do the key scripts of tests/script and zentory-smf.exe, with the same
# expected results as the Linux build.

# The Win32 backends against fakes of the system calls.
if(TARGET zentory_backend_win32)
  zentory_test_suite(zentory_tests_win32 platform_win32 zentory_ui_win32 zentory_backend_win32
                     zentory_wiring)
endif()

set(_wine_run ${CMAKE_SOURCE_DIR}/scripts/wine-run)

if(TARGET zentory)
  file(GLOB _script_cases LIST_DIRECTORIES true ${CMAKE_CURRENT_SOURCE_DIR}/script/*)
  foreach(_case ${_script_cases})
    if(IS_DIRECTORY ${_case})
      get_filename_component(_name ${_case} NAME)
      add_test(NAME script_${_name}
               COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/script/run_case.sh $<TARGET_FILE:zentory>
                       ${_case})
      set_tests_properties(script_${_name} PROPERTIES TIMEOUT 120
                           ENVIRONMENT "ZENTORY_SCRIPT_RUNNER=${_wine_run}")
    endif()
  endforeach()
endif()

if(TARGET zentory AND TARGET zentory-smf)
  add_test(NAME windows_imports_only_system_dlls
           COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/windows/imports.sh ${CMAKE_OBJDUMP}
                   $<TARGET_FILE:zentory> $<TARGET_FILE:zentory-smf>)
endif()

# The Linux zentory-smf to compare with (scripts/test passes the one of build/release).
set(ZENTORY_REFERENCE_SMF "" CACHE FILEPATH "The Linux zentory-smf the Windows one must agree with")
if(TARGET zentory-smf AND ZENTORY_REFERENCE_SMF AND EXISTS /usr/bin/python3)
  add_test(NAME smf_same_as_linux
           COMMAND /usr/bin/python3 ${CMAKE_CURRENT_SOURCE_DIR}/windows/smf_same.py
                   ${ZENTORY_REFERENCE_SMF} $<TARGET_FILE:zentory-smf> ${_wine_run}
                   ${CMAKE_SOURCE_DIR}/../shared/testdata ${CMAKE_CURRENT_BINARY_DIR}/smf_same)
  set_tests_properties(smf_same_as_linux PROPERTIES TIMEOUT 600 SKIP_RETURN_CODE 77)
endif()

if(TARGET zentory AND TARGET zentory-smf)
  add_test(NAME windows_tool_runs
           COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/windows/tool_runs.sh ${_wine_run}
                   $<TARGET_FILE:zentory> $<TARGET_FILE:zentory-smf>)
  set_tests_properties(windows_tool_runs PROPERTIES TIMEOUT 120)
endif()

# The window itself under wine on a virtual display (Xvfb), driven with xdotool.
if(TARGET zentory)
  add_test(NAME windows_window_smoke
           COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/windows/window_smoke.sh ${_wine_run}
                   $<TARGET_FILE:zentory>)
  set_tests_properties(windows_window_smoke PROPERTIES TIMEOUT 180 SKIP_RETURN_CODE 77
                       RUN_SERIAL TRUE)
endif()

# The package of scripts/build-windows, once made.
add_test(NAME windows_package
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/windows/package_check.sh ${_wine_run}
                 ${CMAKE_SOURCE_DIR}/dist/zentory-windows-x64.zip)
set_tests_properties(windows_package PROPERTIES TIMEOUT 120 SKIP_RETURN_CODE 77)

# The window's own tests (tests/platform_win32/win32_window_test.cpp) on a virtual display.
if(TARGET zentory_tests_win32)
  add_test(NAME windows_window_tests
           COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/windows/on_display.sh ${_wine_run}
                   $<TARGET_FILE:zentory_tests_win32> --gtest_filter=Win32Window.*
                   --gtest_brief=1)
  set_tests_properties(windows_window_tests PROPERTIES TIMEOUT 120 SKIP_RETURN_CODE 77
                       RUN_SERIAL TRUE)
endif()
