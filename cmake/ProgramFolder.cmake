# The runnable program folder: build/bin holds the program, its tools, the
# engine under MPlayer/, the converter link under FFMpeg/ and the data folders.
set(VELTARA_PROGRAM_DIR ${CMAKE_BINARY_DIR}/bin)
file(MAKE_DIRECTORY ${VELTARA_PROGRAM_DIR})

# `cmake --install` puts the same folder under the prefix; bin/ gets links to
# the programs in it (see dist/).
include(GNUInstallDirs)
set(VELTARA_INSTALL_PROGRAM_DIR lib/veltara-dvr-player CACHE STRING
  "The program folder in the installation, relative to the prefix")

# Puts an executable target into the program folder (optionally a subfolder).
function(veltara_program_target target)
  cmake_parse_arguments(ARG "" "SUBDIR;NAME" "" ${ARGN})
  set(dir ${VELTARA_PROGRAM_DIR})
  if(ARG_SUBDIR)
    set(dir ${VELTARA_PROGRAM_DIR}/${ARG_SUBDIR})
  endif()
  set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${dir})
  if(ARG_NAME)
    set_target_properties(${target} PROPERTIES OUTPUT_NAME ${ARG_NAME})
  endif()
  install(TARGETS ${target} RUNTIME DESTINATION ${VELTARA_INSTALL_PROGRAM_DIR}/${ARG_SUBDIR})
endfunction()

# Copies a data folder of the source tree into the program folder on every build.
function(veltara_copy_data_folder target source_dir dest_name)
  add_custom_target(${target} ALL
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${source_dir} ${VELTARA_PROGRAM_DIR}/${dest_name}
    COMMENT "Copying ${dest_name} into the program folder")
  install(DIRECTORY ${source_dir}/ DESTINATION ${VELTARA_INSTALL_PROGRAM_DIR}/${dest_name}
    PATTERN CMakeLists.txt EXCLUDE)
endfunction()

# FFMpeg/ffmpeg in the program folder is a link to the system's converter.
find_program(VELTARA_FFMPEG ffmpeg)
if(VELTARA_FFMPEG)
  file(MAKE_DIRECTORY ${VELTARA_PROGRAM_DIR}/FFMpeg)
  file(CREATE_LINK ${VELTARA_FFMPEG} ${VELTARA_PROGRAM_DIR}/FFMpeg/ffmpeg SYMBOLIC)
  # Installed as the same link to the system's converter.
  install(FILES ${VELTARA_PROGRAM_DIR}/FFMpeg/ffmpeg DESTINATION ${VELTARA_INSTALL_PROGRAM_DIR}/FFMpeg)
else()
  message(WARNING "ffmpeg not found: the program folder gets no FFMpeg/ffmpeg and tracks stay empty")
endif()
