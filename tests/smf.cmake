# Runs of zentory-smf: the tool itself, and the cross-check of our reader and writer with mido
# (python3-mido belongs to Debian's /usr/bin/python3, which need not be the first python3 on PATH).
if(TARGET zentory-smf AND EXISTS /usr/bin/python3)
  add_test(NAME smf_tool_runs
           COMMAND /usr/bin/python3 ${CMAKE_CURRENT_SOURCE_DIR}/smf/tool_check.py
                   $<TARGET_FILE:zentory-smf> ${CMAKE_SOURCE_DIR}/../shared/testdata/midi
                   ${CMAKE_CURRENT_BINARY_DIR}/smf_tool_runs)
  add_test(NAME smf_mido_crosscheck
           COMMAND /usr/bin/python3 ${CMAKE_CURRENT_SOURCE_DIR}/smf/mido_check.py
                   $<TARGET_FILE:zentory-smf> ${CMAKE_CURRENT_BINARY_DIR}/smf_mido)
  set_tests_properties(smf_tool_runs smf_mido_crosscheck PROPERTIES TIMEOUT 120)
endif()
