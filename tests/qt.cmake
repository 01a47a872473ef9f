# Qt smoke tests of the desktop window on the offscreen platform (no display needed).
if(TARGET zentory_ui_qt)
  find_package(Qt6 QUIET COMPONENTS Test)
  file(GLOB _qt_test_srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/qt/*.cpp)
  if(Qt6Test_FOUND AND _qt_test_srcs)
    add_executable(zentory_tests_qt ${_qt_test_srcs})
    target_link_libraries(zentory_tests_qt PRIVATE zentory_ui_qt zentory_fakes Qt6::Test
                          GTest::gtest zentory_warnings)
    gtest_discover_tests(zentory_tests_qt DISCOVERY_TIMEOUT 60
                         DISCOVERY_EXTRA_ARGS ""
                         PROPERTIES TIMEOUT 120
                         ENVIRONMENT "QT_QPA_PLATFORM=offscreen;SDL_AUDIODRIVER=dummy")
  endif()
endif()
