# The Windows build: the core with the Win32 backends of src/platform/win32 (WinMM MIDI output,
# the waitable-timer service) and the desktop front end of src/ui/win32 (window, keyboard hook,
# dialogs, voice). zentory.exe is a GUI program that writes to the console it was started from.
set(ZENTORY_BACKEND_LIBS "")
set(ZENTORY_BACKEND_DEFS "")

file(GLOB _win32_srcs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/platform/win32/*.cpp)
if(_win32_srcs)
  # The user's readings (readings.txt) and the reading rules that hold for any voice apply before
  # the SAPI voice as before the embedded one.
  list(APPEND _win32_srcs ${CMAKE_SOURCE_DIR}/src/platform/espeak_mecab/reading_dictionary.cpp
       ${CMAKE_SOURCE_DIR}/src/platform/espeak_mecab/reading_spans.cpp)
  add_library(zentory_backend_win32 STATIC ${_win32_srcs})
  target_include_directories(zentory_backend_win32 PUBLIC ${CMAKE_SOURCE_DIR}/src)
  target_link_libraries(zentory_backend_win32 PUBLIC zentory_sound zentory_win32_ui_logic winmm ole32
                        oleaut32 uuid normaliz PRIVATE zentory_warnings)
  set(ZENTORY_BACKEND_LIBS zentory_backend_win32)
  set(ZENTORY_BACKEND_DEFS ZENTORY_HAVE_WIN32=1)
endif()

file(GLOB _wiring_srcs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/platform/wiring/*.cpp)
zentory_platform_sources(_wiring_srcs)
add_library(zentory_wiring STATIC ${_wiring_srcs})
target_include_directories(zentory_wiring PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(zentory_wiring PUBLIC zentory_app ${ZENTORY_BACKEND_LIBS}
                      PRIVATE zentory_warnings)
target_compile_definitions(zentory_wiring PRIVATE ${ZENTORY_BACKEND_DEFS})
set(ZENTORY_BACKEND_LIBS zentory_wiring ${ZENTORY_BACKEND_LIBS})

file(GLOB _ui_win32_srcs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/ui/win32/*.cpp)
list(FILTER _ui_win32_srcs EXCLUDE REGEX "_logic\\.cpp$")
add_library(zentory_ui_win32 STATIC ${_ui_win32_srcs})
target_include_directories(zentory_ui_win32 PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(zentory_ui_win32 PUBLIC zentory_app zentory_win32_ui_logic
                      ${ZENTORY_BACKEND_LIBS} zentory_fakes comctl32 comdlg32 ole32 uuid
                      PRIVATE zentory_warnings)
target_compile_definitions(zentory_ui_win32 PRIVATE ${ZENTORY_BACKEND_DEFS})

add_executable(zentory ${CMAKE_SOURCE_DIR}/src/main.cpp)
target_link_libraries(zentory PRIVATE zentory_ui_win32 zentory_app zentory_fakes
                      ${ZENTORY_BACKEND_LIBS} zentory_console zentory_warnings)
target_compile_definitions(zentory PRIVATE ${ZENTORY_BACKEND_DEFS} ZENTORY_HAVE_WIN32_UI=1)
# A GUI program: started with a double-click it opens no console window.
target_link_options(zentory PRIVATE -mwindows)

# The timer service's lateness (bench/win32/timer_bench.cpp); a program that prints figures.
if(TARGET zentory_backend_win32 AND EXISTS ${CMAKE_SOURCE_DIR}/bench/win32/timer_bench.cpp)
  add_executable(zentory_win32_timer_bench ${CMAKE_SOURCE_DIR}/bench/win32/timer_bench.cpp)
  target_link_libraries(zentory_win32_timer_bench PRIVATE zentory_backend_win32 zentory_warnings)
endif()
