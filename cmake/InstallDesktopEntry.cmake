# Runs at install time: writes the desktop entry from its template with the installed program's
# path. Expects JOTWELL_DESKTOP_TEMPLATE and JOTWELL_BINDIR / JOTWELL_DATADIR (relative).
file(READ "${JOTWELL_DESKTOP_TEMPLATE}" entry)
set(program "${CMAKE_INSTALL_PREFIX}/${JOTWELL_BINDIR}/jotwell")
# The Exec value's quoting: these characters take a backslash; then the key file doubles every
# backslash.
string(REGEX REPLACE "([\"`$\\\\])" "\\\\\\1" program "${program}")
string(REPLACE "\\" "\\\\" program "${program}")
string(REPLACE "%" "%%" program "${program}")
string(REPLACE "@JOTWELL_EXEC@" "\"${program}\"" entry "${entry}")
set(target "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/${JOTWELL_DATADIR}/applications/jotwell.desktop")
message(STATUS "Installing: ${target}")
file(WRITE "${target}" "${entry}")
