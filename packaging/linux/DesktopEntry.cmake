# Writes the installed desktop entry at install time: the template, then Exec= with the launcher's
# absolute path and Path= with its application folder, both known only then. install(CODE) sets:
#   TOLV_DESKTOP_TEMPLATE   the entry without Exec= and Path=
#   TOLV_APPDIR             the application folder, relative to the prefix
set(appdir "${CMAKE_INSTALL_PREFIX}/${TOLV_APPDIR}")
set(exec "${appdir}/TOLVStrel")
# A path with a character that Exec= reserves goes in double quotes, inside which \ " ` and $ are
# escaped with a backslash; a string value escapes each backslash once more.
if(NOT exec MATCHES "^[A-Za-z0-9/._+-]+$")
    string(REPLACE "\\" "\\\\\\\\" exec "${exec}")
    foreach(c "\"" "`" "$")
        string(REPLACE "${c}" "\\\\${c}" exec "${exec}")
    endforeach()
    set(exec "\"${exec}\"")
endif()
string(REPLACE "%" "%%" exec "${exec}")
string(REPLACE "\\" "\\\\" path "${appdir}")

file(READ "${TOLV_DESKTOP_TEMPLATE}" entry)
set(dir "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/share/applications")
file(MAKE_DIRECTORY "${dir}")
file(WRITE "${dir}/tolvstrel.desktop" "${entry}Exec=${exec}\nPath=${path}\n")
message(STATUS "Installing: ${dir}/tolvstrel.desktop")
