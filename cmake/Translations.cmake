# The program's message catalogues: lrelease (Debian: qt6-l10n-tools) compiles each .ts into a .qm.
find_program(JOTWELL_LRELEASE NAMES lrelease lrelease-qt6
  HINTS "${QT6_INSTALL_PREFIX}/${QT6_INSTALL_BINS}" /usr/lib/qt6/bin REQUIRED)
find_program(JOTWELL_LUPDATE NAMES lupdate lupdate-qt6
  HINTS "${QT6_INSTALL_PREFIX}/${QT6_INSTALL_BINS}" /usr/lib/qt6/bin)

# Compiles the .ts files given after OUTPUT_DIR into OUTPUT_DIR/<name>.qm, built with `target`
# (which is part of the default build); the .qm paths are returned in `qm_files`.
function(jotwell_add_catalogues target output_dir qm_files)
  set(outputs)
  foreach(ts ${ARGN})
    get_filename_component(name ${ts} NAME_WE)
    set(qm ${output_dir}/${name}.qm)
    add_custom_command(OUTPUT ${qm}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${output_dir}
      COMMAND ${JOTWELL_LRELEASE} -silent ${ts} -qm ${qm}
      DEPENDS ${ts}
      COMMENT "Compiling the catalogue ${name}"
      VERBATIM)
    list(APPEND outputs ${qm})
  endforeach()
  add_custom_target(${target} ALL DEPENDS ${outputs})
  set(${qm_files} ${outputs} PARENT_SCOPE)
endfunction()
