# The files the program ships, and what `cmake --install` puts under the prefix.
#
# The program finds its data folder from its own location: share/zentory beside the binary in
# the build tree, ../share/zentory once installed. Both layouts are fixed here rather than taken
# from GNUInstallDirs, so that an installed copy always finds its data.
set(ZENTORY_DATA_FILES ${CMAKE_SOURCE_DIR}/res/menu.wav)

if(WIN32)
  # On Windows the data folder is "data" beside the .exe.
  set(_zentory_data_dir ${CMAKE_BINARY_DIR}/data)
else()
  set(_zentory_data_dir ${CMAKE_BINARY_DIR}/share/zentory)
endif()
set(_zentory_data_outputs "")
foreach(_file ${ZENTORY_DATA_FILES})
  get_filename_component(_name ${_file} NAME)
  add_custom_command(OUTPUT ${_zentory_data_dir}/${_name}
                     COMMAND ${CMAKE_COMMAND} -E make_directory ${_zentory_data_dir}
                     COMMAND ${CMAKE_COMMAND} -E copy_if_different ${_file} ${_zentory_data_dir}/${_name}
                     DEPENDS ${_file}
                     COMMENT "Data folder: ${_name}")
  list(APPEND _zentory_data_outputs ${_zentory_data_dir}/${_name})
endforeach()
add_custom_target(zentory_data ALL DEPENDS ${_zentory_data_outputs})

set(_zentory_programs "")
foreach(_program zentory zentory-smf)
  if(TARGET ${_program})
    list(APPEND _zentory_programs ${_program})
  endif()
endforeach()
if(TARGET zentory)
  add_dependencies(zentory zentory_data)
endif()

if(_zentory_programs)
  install(TARGETS ${_zentory_programs} RUNTIME DESTINATION bin)
endif()
install(FILES ${ZENTORY_DATA_FILES} DESTINATION share/zentory)
if(TARGET zentory)
  install(FILES ${CMAKE_SOURCE_DIR}/res/zentory.desktop DESTINATION share/applications)
  install(FILES ${CMAKE_SOURCE_DIR}/res/zentory.svg DESTINATION share/icons/hicolor/scalable/apps)
  install(FILES ${CMAKE_SOURCE_DIR}/res/zentory.1 DESTINATION share/man/man1)
endif()
if(TARGET zentory-smf)
  install(FILES ${CMAKE_SOURCE_DIR}/res/zentory-smf.1 DESTINATION share/man/man1)
endif()
