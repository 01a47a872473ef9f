# Runs of zentory-smf: the tool itself, and the cross-check of our reader and writer with mido
# (python3-mido belongs to Debian's /usr/bin/python3, which need not be the first python3 on PATH).
# Tests that read the public files take the folder from ZENTORY_TESTDATA, else the default given
# here, and report themselves skipped (exit code 77) when it is absent.
if(TARGET zentory-smf AND EXISTS /usr/bin/python3)
  set(_testdata ${CMAKE_SOURCE_DIR}/../shared/testdata)
  add_test(NAME smf_tool_runs
           COMMAND /usr/bin/python3 ${CMAKE_CURRENT_SOURCE_DIR}/smf/tool_check.py
                   $<TARGET_FILE:zentory-smf> ${_testdata} ${CMAKE_CURRENT_BINARY_DIR}/smf_tool_runs)
  add_test(NAME smf_mido_crosscheck
           COMMAND /usr/bin/python3 ${CMAKE_CURRENT_SOURCE_DIR}/smf/mido_check.py
                   $<TARGET_FILE:zentory-smf> ${CMAKE_CURRENT_BINARY_DIR}/smf_mido)
  add_test(NAME smf_mido_public_files
           COMMAND /usr/bin/python3 ${CMAKE_CURRENT_SOURCE_DIR}/smf/mido_public.py
                   $<TARGET_FILE:zentory-smf> ${_testdata} ${CMAKE_CURRENT_BINARY_DIR}/smf_public)
  set_tests_properties(smf_tool_runs smf_mido_crosscheck smf_mido_public_files
                       PROPERTIES TIMEOUT 120 SKIP_RETURN_CODE 77)
endif()
