# Real platform backends. Each one is optional: when its library is missing the program is built
# without it and falls back at run time (embedded synth, silent audio, no voice).
find_package(PkgConfig QUIET)

set(ZENTORY_BACKEND_LIBS "")
set(ZENTORY_BACKEND_DEFS "")

# zentory_backend(NAME DIR PKG...) builds src/platform/DIR/*.cpp when every pkg-config module is found.
function(zentory_backend name dir)
  file(GLOB _srcs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/platform/${dir}/*.cpp)
  if(NOT _srcs)
    return()
  endif()
  set(_mods ${ARGN})
  if(_mods)
    if(NOT PkgConfig_FOUND)
      return()
    endif()
    pkg_check_modules(ZB_${name} QUIET IMPORTED_TARGET ${_mods})
    if(NOT ZB_${name}_FOUND)
      message(STATUS "zentory: backend ${name} left out (missing ${_mods})")
      return()
    endif()
  endif()
  add_library(zentory_backend_${name} STATIC ${_srcs})
  target_include_directories(zentory_backend_${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
  target_link_libraries(zentory_backend_${name} PUBLIC zentory_app PRIVATE zentory_warnings)
  if(_mods)
    target_link_libraries(zentory_backend_${name} PUBLIC PkgConfig::ZB_${name})
  endif()
  string(TOUPPER ${name} _up)
  set(ZENTORY_BACKEND_LIBS ${ZENTORY_BACKEND_LIBS} zentory_backend_${name} PARENT_SCOPE)
  set(ZENTORY_BACKEND_DEFS ${ZENTORY_BACKEND_DEFS} ZENTORY_HAVE_${_up}=1 PARENT_SCOPE)
  message(STATUS "zentory: backend ${name} built")
endfunction()

zentory_backend(timer timer)
zentory_backend(sdl_audio sdl_audio sdl2)
# MeCab ships no pkg-config file: take mecab-config when present, else the plain header and library.
find_program(ZENTORY_MECAB_CONFIG mecab-config)
set(_mecab_hint "")
set(_mecab_dicdir "")
if(ZENTORY_MECAB_CONFIG)
  execute_process(COMMAND ${ZENTORY_MECAB_CONFIG} --libs-only-L OUTPUT_VARIABLE _mecab_hint
                  OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  string(REPLACE "-L" "" _mecab_hint "${_mecab_hint}")
  execute_process(COMMAND ${ZENTORY_MECAB_CONFIG} --dicdir OUTPUT_VARIABLE _mecab_dicdir
                  OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
endif()
find_path(ZENTORY_MECAB_INCLUDE mecab.h)
find_library(ZENTORY_MECAB_LIBRARY mecab HINTS ${_mecab_hint})
if(ZENTORY_MECAB_INCLUDE AND ZENTORY_MECAB_LIBRARY)
  if(NOT TARGET zentory_mecab)
    add_library(zentory_mecab INTERFACE IMPORTED)
    target_include_directories(zentory_mecab INTERFACE ${ZENTORY_MECAB_INCLUDE})
    target_link_libraries(zentory_mecab INTERFACE ${ZENTORY_MECAB_LIBRARY})
  endif()
  zentory_backend(espeak_mecab espeak_mecab espeak-ng icu-uc)
  if(TARGET zentory_backend_espeak_mecab)
    target_link_libraries(zentory_backend_espeak_mecab PUBLIC zentory_mecab)
    if(_mecab_dicdir)
      target_compile_definitions(zentory_backend_espeak_mecab PRIVATE
                                 ZENTORY_MECAB_DICDIR="${_mecab_dicdir}")
    endif()
  endif()
else()
  message(STATUS "zentory: backend espeak_mecab left out (missing MeCab)")
endif()
zentory_backend(speechd speechd speech-dispatcher)
zentory_backend(fluidsynth fluidsynth fluidsynth)
if(TARGET zentory_backend_fluidsynth)
  # Offline rendering runs the player in virtual time.
  target_link_libraries(zentory_backend_fluidsynth PUBLIC zentory_fakes)
endif()
zentory_backend(rtmidi rtmidi rtmidi)
zentory_backend(alsa_mixer alsa_mixer alsa)

# The front ends start the backends through one place, so both degrade the same way.
file(GLOB _wiring_srcs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/platform/wiring/*.cpp)
zentory_platform_sources(_wiring_srcs)
add_library(zentory_wiring STATIC ${_wiring_srcs})
target_include_directories(zentory_wiring PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(zentory_wiring PUBLIC zentory_app ${ZENTORY_BACKEND_LIBS} PRIVATE zentory_warnings)
target_compile_definitions(zentory_wiring PRIVATE ${ZENTORY_BACKEND_DEFS})
set(ZENTORY_BACKEND_LIBS zentory_wiring ${ZENTORY_BACKEND_LIBS})

# The Qt window is optional too; without it the program runs in key-script mode only.
find_package(Qt6 QUIET COMPONENTS Widgets)
file(GLOB _ui_srcs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/ui/qt/*.cpp)
if(Qt6_FOUND AND _ui_srcs)
  add_library(zentory_ui_qt STATIC ${_ui_srcs})
  target_include_directories(zentory_ui_qt PUBLIC ${CMAKE_SOURCE_DIR}/src)
  set_target_properties(zentory_ui_qt PROPERTIES AUTOMOC ON)
  # The window wires the backends that were built; they are named by ZENTORY_HAVE_<NAME>.
  target_link_libraries(zentory_ui_qt PUBLIC zentory_app Qt6::Widgets ${ZENTORY_BACKEND_LIBS}
                        PRIVATE zentory_warnings)
  target_compile_definitions(zentory_ui_qt PRIVATE ${ZENTORY_BACKEND_DEFS})
  set(ZENTORY_BACKEND_LIBS ${ZENTORY_BACKEND_LIBS} zentory_ui_qt)
  set(ZENTORY_BACKEND_DEFS ${ZENTORY_BACKEND_DEFS} ZENTORY_HAVE_QT=1)
  message(STATUS "zentory: Qt window built")
endif()

file(GLOB _main_srcs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/main*.cpp)
if(_main_srcs)
  add_executable(zentory ${_main_srcs})
  target_link_libraries(zentory PRIVATE zentory_app zentory_fakes ${ZENTORY_BACKEND_LIBS}
                        zentory_console zentory_warnings)
  target_compile_definitions(zentory PRIVATE ${ZENTORY_BACKEND_DEFS})
endif()

# The speech latency benchmark (bench/speech_bench.cpp) needs the voice and the audio device; the
# benchmark program is made later, so it is linked once the whole tree is read.
function(zentory_link_bench_backends)
  if(TARGET zentory_bench AND TARGET zentory_backend_espeak_mecab AND TARGET zentory_backend_sdl_audio)
    target_link_libraries(zentory_bench PRIVATE zentory_backend_espeak_mecab zentory_backend_sdl_audio
                          zentory_fakes)
    target_compile_definitions(zentory_bench PRIVATE ZENTORY_HAVE_ESPEAK_MECAB=1
                               ZENTORY_HAVE_SDL_AUDIO=1)
  endif()
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL zentory_link_bench_backends)

# The sound benchmarks (bench/sound_bench.cpp) need the synth and the timer thread.
function(zentory_link_sound_bench)
  if(TARGET zentory_bench AND TARGET zentory_backend_fluidsynth AND TARGET zentory_backend_timer)
    target_link_libraries(zentory_bench PRIVATE zentory_backend_fluidsynth zentory_backend_timer)
    target_compile_definitions(zentory_bench PRIVATE ZENTORY_HAVE_FLUIDSYNTH=1
                               ZENTORY_HAVE_TIMER=1)
    if(TARGET zentory_backend_sdl_audio)
      target_link_libraries(zentory_bench PRIVATE zentory_backend_sdl_audio)
      target_compile_definitions(zentory_bench PRIVATE ZENTORY_HAVE_SDL_AUDIO=1)
    endif()
  endif()
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL zentory_link_sound_bench)
