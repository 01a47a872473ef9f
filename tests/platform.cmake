# Unit tests of the platform backends: the timer thread, the speech reading rules and PCM
# conversion, the SDL mixer (dummy driver) and the key-code table of the Qt window.
set(_platform_srcs "")
set(_platform_libs "")
if(TARGET zentory_backend_timer)
  list(APPEND _platform_srcs ${CMAKE_CURRENT_SOURCE_DIR}/platform/timer_test.cpp
       ${CMAKE_CURRENT_SOURCE_DIR}/platform/preview_thread_test.cpp)
  list(APPEND _platform_libs zentory_backend_timer zentory_edit)
endif()
if(TARGET zentory_backend_espeak_mecab)
  list(APPEND _platform_srcs ${CMAKE_CURRENT_SOURCE_DIR}/platform/speech_text_test.cpp
       ${CMAKE_CURRENT_SOURCE_DIR}/platform/espeak_speech_test.cpp
       ${CMAKE_CURRENT_SOURCE_DIR}/platform/speech_readings_test.cpp)
  list(APPEND _platform_libs zentory_backend_espeak_mecab)
endif()
if(TARGET zentory_backend_sdl_audio)
  list(APPEND _platform_srcs ${CMAKE_CURRENT_SOURCE_DIR}/platform/sdl_audio_test.cpp)
  list(APPEND _platform_libs zentory_backend_sdl_audio)
endif()
if(TARGET zentory_backend_fluidsynth)
  list(APPEND _platform_srcs ${CMAKE_CURRENT_SOURCE_DIR}/platform/fluid_render_test.cpp)
  list(APPEND _platform_libs zentory_backend_fluidsynth)
  if(TARGET zentory_backend_timer)
    list(APPEND _platform_srcs ${CMAKE_CURRENT_SOURCE_DIR}/platform/fluid_stop_test.cpp)
  endif()
  if(TARGET zentory_backend_espeak_mecab)
    list(APPEND _platform_srcs ${CMAKE_CURRENT_SOURCE_DIR}/platform/synth_voice_balance_test.cpp)
  endif()
endif()
if(TARGET zentory_ui_qt)
  list(APPEND _platform_srcs ${CMAKE_CURRENT_SOURCE_DIR}/platform/key_codes_test.cpp)
  list(APPEND _platform_libs zentory_ui_qt)
endif()
foreach(_f ${_platform_srcs})
  if(NOT EXISTS ${_f})
    list(REMOVE_ITEM _platform_srcs ${_f})
  endif()
endforeach()
if(_platform_srcs)
  add_executable(zentory_tests_platform ${_platform_srcs})
  target_link_libraries(zentory_tests_platform PRIVATE ${_platform_libs} zentory_fakes GTest::gtest
                        GTest::gtest_main zentory_warnings)
  target_include_directories(zentory_tests_platform PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
  # The reviewed readings of every fixed text (tests/platform/speech_readings.tsv).
  target_compile_definitions(zentory_tests_platform PRIVATE
                             ZENTORY_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  gtest_discover_tests(zentory_tests_platform DISCOVERY_TIMEOUT 60
                       PROPERTIES TIMEOUT 120 ENVIRONMENT "SDL_AUDIODRIVER=dummy")
endif()
