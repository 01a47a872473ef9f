# Runs of the real zentory binary in key-script mode: every folder under script/ is one case.
if(TARGET zentory)
  file(GLOB _script_cases LIST_DIRECTORIES true ${CMAKE_CURRENT_SOURCE_DIR}/script/*)
  foreach(_case ${_script_cases})
    if(IS_DIRECTORY ${_case})
      get_filename_component(_name ${_case} NAME)
      add_test(NAME script_${_name}
               COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/script/run_case.sh $<TARGET_FILE:zentory>
                       ${_case})
      set_tests_properties(script_${_name} PROPERTIES TIMEOUT 60)
    endif()
  endforeach()
endif()
