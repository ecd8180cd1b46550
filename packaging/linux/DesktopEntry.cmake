# Writes the desktop entry at install time, from the template in which @EXEC@ (the launcher),
# @PATH@ (its application folder) and @GUIDE@ (the user guide) stand for absolute paths known only
# then. The install(FILES) rule after it installs the file, so that it is in the installation's
# record (install_manifest.txt) as every other installed file is. install(CODE) sets:
#   TOLV_DESKTOP_TEMPLATE   the template
#   TOLV_DESKTOP_OUTPUT     the entry to write, in the build tree
#   TOLV_APPDIR             the application folder, relative to the prefix

# A path as an argument of Exec=: one with a character that Exec= reserves goes in double quotes,
# inside which \ " ` and $ are escaped with a backslash; a string value escapes each backslash once
# more, and % is doubled.
function(tolv_exec_argument out path)
    if(NOT path MATCHES "^[A-Za-z0-9/._+-]+$")
        string(REPLACE "\\" "\\\\\\\\" path "${path}")
        foreach(c "\"" "`" "$")
            string(REPLACE "${c}" "\\\\${c}" path "${path}")
        endforeach()
        set(path "\"${path}\"")
    endif()
    string(REPLACE "%" "%%" path "${path}")
    set(${out} "${path}" PARENT_SCOPE)
endfunction()

set(appdir "${CMAKE_INSTALL_PREFIX}/${TOLV_APPDIR}")
tolv_exec_argument(exec "${appdir}/TOLVStrel")
tolv_exec_argument(guide "${appdir}/docs/ja/guide.html")
string(REPLACE "\\" "\\\\" path "${appdir}")

file(READ "${TOLV_DESKTOP_TEMPLATE}" entry)
string(REPLACE "@EXEC@" "${exec}" entry "${entry}")
string(REPLACE "@PATH@" "${path}" entry "${entry}")
string(REPLACE "@GUIDE@" "${guide}" entry "${entry}")
file(WRITE "${TOLV_DESKTOP_OUTPUT}" "${entry}")
