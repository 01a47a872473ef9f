# Where the program's files are: the folder options, the user's settings folder and the data
# folder found from the program's location (src/platform/wiring/app_folders.*).
if(TARGET zentory_wiring)
  file(GLOB _folders_srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/folders/*.cpp)
  if(_folders_srcs)
    add_executable(zentory_tests_folders ${_folders_srcs})
    target_include_directories(zentory_tests_folders PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
    target_link_libraries(zentory_tests_folders PRIVATE zentory_wiring GTest::gtest
                          GTest::gtest_main zentory_warnings)
    gtest_discover_tests(zentory_tests_folders DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 60)
  endif()
endif()
