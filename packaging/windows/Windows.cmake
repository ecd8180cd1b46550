# The Windows application folder and its installer: the launcher's resources (icon, version
# information, manifest), the run-time DLLs and plugins beside it, an NSIS installer for one user
# and a ZIP of the same folder. Included from packaging/CMakeLists.txt; works for a cross build
# (cmake/mingw64.cmake) as for a native one.

# Icon, version information and manifest. MSVC's linker embeds a manifest of its own and merges
# ours into it; with mingw the resource compiler embeds ours.
set(TOLV_RC_ICON "${PROJECT_SOURCE_DIR}/resources/tolv.ico")
set(manifest "${CMAKE_CURRENT_BINARY_DIR}/TOLVStrel.manifest")
configure_file("${CMAKE_CURRENT_LIST_DIR}/TOLVStrel.manifest.in" "${manifest}" @ONLY)
if(MSVC)
    set(TOLV_RC_MANIFEST "")
    target_sources(TOLVStrel PRIVATE "${manifest}")
else()
    set(TOLV_RC_MANIFEST "1 24 \"${manifest}\"")
endif()
configure_file("${CMAKE_CURRENT_LIST_DIR}/TOLVStrel.rc.in" "${CMAKE_CURRENT_BINARY_DIR}/TOLVStrel.rc" @ONLY)
target_sources(TOLVStrel PRIVATE "${CMAKE_CURRENT_BINARY_DIR}/TOLVStrel.rc")
set_property(SOURCE "${CMAKE_CURRENT_BINARY_DIR}/TOLVStrel.rc" APPEND PROPERTY OBJECT_DEPENDS "${manifest}")

# What the launcher and the stand-ins need beside them at run time, gathered (stripped where the
# toolchain can strip) in runtime/, which is copied into bin/, the demo folder and the installation.
set(TOLV_RUNTIME_DIR "${CMAKE_BINARY_DIR}/runtime" CACHE INTERNAL "")
set(runtime_files "")
function(tolv_runtime_file source subdir name)
    set(dest "${TOLV_RUNTIME_DIR}/${subdir}${name}")
    if(CMAKE_STRIP AND MINGW)
        set(copy "${CMAKE_STRIP}" -o "${dest}" "${source}")
    else()
        set(copy "${CMAKE_COMMAND}" -E copy "${source}" "${dest}")
    endif()
    add_custom_command(OUTPUT "${dest}"
        COMMAND "${CMAKE_COMMAND}" -E make_directory "${TOLV_RUNTIME_DIR}/${subdir}"
        COMMAND ${copy}
        DEPENDS "${source}"
        VERBATIM)
    set(runtime_files ${runtime_files} "${dest}" PARENT_SCOPE)
endfunction()

# Qt's imported targets are known only in the folder that found Qt: take their files now.
foreach(plugin :Core :Gui :Widgets platforms:QWindowsIntegrationPlugin imageformats:QJpegPlugin imageformats:QICOPlugin
               styles:QWindowsVistaStylePlugin)
    string(FIND "${plugin}" ":" colon)
    string(SUBSTRING "${plugin}" 0 ${colon} subdir)
    math(EXPR colon "${colon} + 1")
    string(SUBSTRING "${plugin}" ${colon} -1 target)
    if(subdir)
        string(APPEND subdir "/")
    endif()
    if(NOT TARGET Qt6::${target})
        message(FATAL_ERROR "Qt has no ${target}, which the application folder needs")
    endif()
    get_target_property(file Qt6::${target} LOCATION)
    get_filename_component(name "${file}" NAME)
    tolv_runtime_file("${file}" "${subdir}" "${name}")
endforeach()
if(MINGW)
    get_filename_component(compiler_dir "${CMAKE_CXX_COMPILER}" DIRECTORY)
    foreach(dll libgcc_s_seh-1.dll libstdc++-6.dll libwinpthread-1.dll)
        find_file(TOLV_MINGW_${dll} "${dll}" HINTS ${TOLV_MINGW_RUNTIME_DIRS} "${compiler_dir}"
                  NO_CMAKE_FIND_ROOT_PATH REQUIRED)
        tolv_runtime_file("${TOLV_MINGW_${dll}}" "" "${dll}")
    endforeach()
endif()
add_custom_target(tolv_runtime ALL
    COMMAND "${CMAKE_COMMAND}" -E copy_directory "${TOLV_RUNTIME_DIR}" "${TOLV_BIN_DIR}"
    DEPENDS ${runtime_files}
    COMMENT "Run-time DLLs and plugins into ${TOLV_BIN_DIR}"
    VERBATIM)
install(DIRECTORY "${TOLV_RUNTIME_DIR}/" DESTINATION "${TOLV_INSTALL_APPDIR}" COMPONENT launcher)
# A native MSVC build needs the compiler's run-time DLLs beside the program instead.
if(MSVC)
    set(CMAKE_INSTALL_SYSTEM_RUNTIME_DESTINATION "${TOLV_INSTALL_APPDIR}")
    set(CMAKE_INSTALL_SYSTEM_RUNTIME_COMPONENT launcher)
    include(InstallRequiredSystemLibraries)
endif()

# Installer: for the current user only, no administrator rights, into a folder the user can write
# (the launcher writes run.dat and solver.bat into its own folder). The uninstaller removes the
# files it installed, one by one, and so keeps run.dat and solver.bat and with them the folder.
set(CPACK_GENERATOR NSIS ZIP)
set(CPACK_MONOLITHIC_INSTALL ON)
set(CPACK_STRIP_FILES TRUE)
set(CPACK_PACKAGE_FILE_NAME "TOLVStrel-${PROJECT_VERSION}-win64")
set(CPACK_PACKAGE_INSTALL_DIRECTORY TOLVStrel)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY TOLVStrel)
set(CPACK_NSIS_PACKAGE_NAME TOLVStrel)
set(CPACK_NSIS_DISPLAY_NAME TOLVStrel)
set(CPACK_NSIS_INSTALL_ROOT "$LOCALAPPDATA\\\\Programs")
set(CPACK_NSIS_MUI_ICON "${PROJECT_SOURCE_DIR}/resources/tolv.ico")
set(CPACK_NSIS_MUI_UNIICON "${PROJECT_SOURCE_DIR}/resources/tolv.ico")
set(CPACK_NSIS_INSTALLED_ICON_NAME TOLVStrel.exe)
set(CPACK_NSIS_CONTACT "${CPACK_PACKAGE_CONTACT}")
set(CPACK_NSIS_MANIFEST_DPI_AWARE ON)
# The shortcut starts in the application folder: SetOutPath sets the working folder it records.
set(CPACK_NSIS_CREATE_ICONS_EXTRA
    "SetOutPath \\\"$INSTDIR\\\"\nCreateShortCut \\\"$SMPROGRAMS\\\\$STARTMENU_FOLDER\\\\TOLVStrel.lnk\\\" \\\"$INSTDIR\\\\TOLVStrel.exe\\\"")
set(CPACK_NSIS_DELETE_ICONS_EXTRA "Delete \\\"$SMPROGRAMS\\\\$MUI_TEMP\\\\TOLVStrel.lnk\\\"")
# The ZIP holds the application folder as one folder (CPack's default for archives).

# CMake's NSIS template installs for all users with administrator rights (and, for a user without
# them, into Documents), as a 32-bit program. Our copy of it installs for the current user: same
# template, those lines changed, each change checked so that a new CMake cannot quietly undo it.
file(READ "${CMAKE_ROOT}/Modules/Internal/CPack/NSIS.template.in" template)
foreach(change
        "RequestExecutionLevel admin|RequestExecutionLevel user"
        "SetShellVarContext all|SetShellVarContext current"
        "StrCpy $INSTDIR \"$DOCUMENTS\\@CPACK_PACKAGE_INSTALL_DIRECTORY@\"|"
        "HKLM \"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall|SHCTX \"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall")
    string(FIND "${change}" "|" bar)
    string(SUBSTRING "${change}" 0 ${bar} from)
    math(EXPR bar "${bar} + 1")
    string(SUBSTRING "${change}" ${bar} -1 to)
    string(FIND "${template}" "${from}" at)
    if(at LESS 0)
        message(FATAL_ERROR "CMake's NSIS template has changed: no '${from}' in it")
    endif()
    string(REPLACE "${from}" "${to}" template "${template}")
endforeach()
# A 64-bit installer for the 64-bit program (it then also runs where Windows has no 32-bit layer),
# said after the template's first line, which begins with a byte-order mark.
string(FIND "${template}" "\n" first)
math(EXPR first "${first} + 1")
string(SUBSTRING "${template}" 0 ${first} head)
string(SUBSTRING "${template}" ${first} -1 rest)
file(WRITE "${CMAKE_BINARY_DIR}/nsis/NSIS.template.in" "${head}Target amd64-unicode\n${rest}")
list(PREPEND CMAKE_MODULE_PATH "${CMAKE_BINARY_DIR}/nsis")
