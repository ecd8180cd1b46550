# Writes what the installer script needs to know of the application folder it installs, as NSIS
# definitions (an .nsh file), from the folder staged for it:
#   cmake -DTOLV_STAGE=<staged folder> -DTOLV_OUT=<file.nsh> -P installer-files.cmake
# TOLV_FILES and TOLV_FOLDERS insert a given macro once per installed file and folder (the deepest
# folder first, so that emptied folders can be removed in that order), TOLV_LONGEST is the longest
# installed file's path inside the folder (with its length, TOLV_LONGEST_LENGTH) and TOLV_SIZE_KB the
# installed size.
if(NOT IS_DIRECTORY "${TOLV_STAGE}" OR NOT TOLV_OUT)
    message(FATAL_ERROR "usage: cmake -DTOLV_STAGE=<folder> -DTOLV_OUT=<file.nsh> -P installer-files.cmake")
endif()
file(GLOB_RECURSE files RELATIVE "${TOLV_STAGE}" "${TOLV_STAGE}/*")
list(SORT files)
# Written by the installer itself.
list(APPEND files Uninstall.exe)
set(file_lines "")
set(folders "")
set(longest "")
set(size 0)
foreach(file IN LISTS files)
    string(REPLACE "/" "\\" name "${file}")
    if(name MATCHES "[\"$`]")
        message(FATAL_ERROR "installer-files.cmake: a file name the installer script cannot quote: ${file}")
    endif()
    string(APPEND file_lines "  !insertmacro \${DO} \"${name}\"\n")
    string(LENGTH "${name}" length)
    string(LENGTH "${longest}" longest_length)
    if(length GREATER longest_length)
        set(longest "${name}")
    endif()
    if(EXISTS "${TOLV_STAGE}/${file}")
        file(SIZE "${TOLV_STAGE}/${file}" bytes)
        math(EXPR size "${size} + ${bytes}")
    endif()
    get_filename_component(folder "${file}" DIRECTORY)
    while(folder)
        list(APPEND folders "${folder}")
        get_filename_component(folder "${folder}" DIRECTORY)
    endwhile()
endforeach()
list(REMOVE_DUPLICATES folders)
list(SORT folders ORDER DESCENDING)   # a folder after the folders in it
set(folder_lines "")
foreach(folder IN LISTS folders)
    string(REPLACE "/" "\\" name "${folder}")
    string(APPEND folder_lines "  !insertmacro \${DO} \"${name}\"\n")
endforeach()
string(LENGTH "${longest}" longest_length)
math(EXPR size "(${size} + 1023) / 1024")
file(WRITE "${TOLV_OUT}" "; Written by installer-files.cmake from ${TOLV_STAGE}.
!define TOLV_LONGEST \"${longest}\"
!define TOLV_LONGEST_LENGTH ${longest_length}
!define TOLV_SIZE_KB ${size}
!macro TOLV_FILES DO
${file_lines}!macroend
!macro TOLV_FOLDERS DO
${folder_lines}!macroend
")
