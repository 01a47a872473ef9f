# The installed program: cmake --install into a temporary prefix, then runs of the installed
# zentory with temporary settings folders (tests/install/run_installed.sh).
if(TARGET zentory AND TARGET zentory-smf)
  add_test(NAME Install.InstalledCopyKeepsItsFilesWhereTold
           COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/install/run_installed.sh ${CMAKE_BINARY_DIR})
  set_tests_properties(Install.InstalledCopyKeepsItsFilesWhereTold PROPERTIES TIMEOUT 120
                       SKIP_RETURN_CODE 77)
endif()
