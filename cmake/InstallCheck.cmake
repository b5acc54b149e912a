# Installs the build into a fresh prefix and checks the installed tree: the program, its data,
# the desktop entry, the MIME package and the icon; then runs PROGRAM from the installed bin
# folder, which must print the installed data folder.
# Run as: cmake -DBUILD_DIR=... -DPREFIX=... -DPROGRAM=... -DSOURCE_DATA=... -P InstallCheck.cmake
cmake_minimum_required(VERSION 3.25)

file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${PREFIX}"
  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed:\n${output}")
endif()

set(data "${PREFIX}/share/jotwell")
foreach(file bin/jotwell share/applications/jotwell.desktop share/mime/packages/jotwell-mime.xml
    share/icons/hicolor/scalable/apps/jotwell.svg share/jotwell/icons/jotwell.svg
    share/jotwell/jotwell.desktop.in share/jotwell/jotwell-mime.xml
    share/jotwell/translations/jotwell_en.qm)
  if(NOT EXISTS "${PREFIX}/${file}")
    message(FATAL_ERROR "not installed: ${file}")
  endif()
endforeach()
file(READ "${PREFIX}/share/applications/jotwell.desktop" entry)
if(NOT entry MATCHES "\nExec=\"${PREFIX}/bin/jotwell\" %f\n")
  message(FATAL_ERROR "the desktop entry does not start the installed program:\n${entry}")
endif()
# The start-up notes and the help pages, whichever of them the source tree has.
foreach(folder startup help)
  file(GLOB_RECURSE sources RELATIVE "${SOURCE_DATA}/${folder}" "${SOURCE_DATA}/${folder}/*")
  foreach(source ${sources})
    if(NOT EXISTS "${data}/${folder}/${source}")
      message(FATAL_ERROR "not installed: share/jotwell/${folder}/${source}")
    endif()
  endforeach()
endforeach()

get_filename_component(name "${PROGRAM}" NAME)
if(NOT name STREQUAL "jotwell")
  file(COPY "${PROGRAM}" DESTINATION "${PREFIX}/bin")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
    "${PREFIX}/bin/${name}" --print-data-folder
  RESULT_VARIABLE result OUTPUT_VARIABLE printed ERROR_VARIABLE errors TIMEOUT 30)
string(STRIP "${printed}" printed)
if(NOT result EQUAL 0 OR NOT printed STREQUAL data)
  message(FATAL_ERROR "the installed program found \"${printed}\" (exit ${result}), not ${data}\n${errors}")
endif()
message("The installed program finds its data in ${printed}")

# The installed program itself starts on a notes folder, shows its window and ends.
if(name STREQUAL "jotwell")
  set(home "${PREFIX}/home")
  file(MAKE_DIRECTORY "${home}/Notes")
  file(WRITE "${home}/Notes/index.xml"
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\" ?>\n<tree version=\"1.0\">\n</tree>\n")
  file(WRITE "${home}/config/OrvaneInc/Jotwell.conf" "[NoteStore]\nNoteStorePath=${home}/Notes\n")
  execute_process(COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen HOME=${home}
      XDG_CONFIG_HOME=${home}/config XDG_DATA_HOME=${home}/data TMPDIR=${home}
      JOTWELL_EXIT_AFTER_SHOWN=1 "${PREFIX}/bin/jotwell"
    RESULT_VARIABLE result OUTPUT_VARIABLE said ERROR_VARIABLE errors TIMEOUT 60)
  if(NOT result EQUAL 0 OR NOT said STREQUAL "shown\n")
    message(FATAL_ERROR "the installed program did not start and end (exit ${result}): ${said}\n${errors}")
  endif()
  if(NOT EXISTS "${home}/data/applications/jotwell.desktop")
    message(FATAL_ERROR "the installed program did not write its desktop entry for the user")
  endif()
  message("The installed program showed its window and ended")
endif()
