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
# (the launcher writes run.dat and solver.bat into its own folder), in English or Japanese, one
# installation per folder; installer.nsh says how. The uninstaller removes the files it installed,
# one by one, and so keeps run.dat, solver.bat and the suite's programs and with them the folder.
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
# No license page: CPack would show its English placeholder, which grants nothing.
set(CPACK_NSIS_IGNORE_LICENSE_PAGE ON)
# installer.nsh's functions: the folder's uninstall entry and Start-menu folder are chosen before
# anything is installed, the links made in that folder (the launcher's starts in the application
# folder), the entry's name, publisher and comment written after CPack's values.
set(CPACK_NSIS_EXTRA_PREINSTALL_COMMANDS "Call TolvChooseEntry")
set(CPACK_NSIS_CREATE_ICONS_EXTRA "Call TolvCreateLinks")
set(CPACK_NSIS_DELETE_ICONS_EXTRA "!insertmacro TOLV_DELETE_LINKS $MUI_TEMP")
set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS "Call TolvWriteEntry")
# The ZIP holds the application folder as one folder (CPack's default for archives).

# The Japanese user guide, docs/ja/ (guide.html and its images), into docs\ja\ of the application
# folder, when it is there at packaging time; the installer then adds a Start-menu link to it.
set(TOLV_GUIDE_JA_DIR "${PROJECT_SOURCE_DIR}/docs/ja" CACHE PATH
    "The Japanese user guide's folder (guide.html and its images), installed when it exists")
install(DIRECTORY "${TOLV_GUIDE_JA_DIR}/" DESTINATION "${TOLV_INSTALL_APPDIR}/docs/ja"
        COMPONENT launcher OPTIONAL)

# Authenticode: with a certificate named at packaging time (TOLV_SIGN_PFX, see sign.cmake),
# TOLVStrel.exe is signed as installed into the installer and the ZIP, after CPack has stripped it;
# makensis signs the installer and its uninstaller (installer.nsh). Without one, nothing is signed.
install(CODE "set(TOLV_SIGN_FILE \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${TOLV_INSTALL_APPDIR}/TOLVStrel.exe\")
    include(\"${CMAKE_CURRENT_LIST_DIR}/sign.cmake\")" COMPONENT launcher)

# CMake's NSIS template installs for all users with administrator rights (and, for a user without
# them, into Documents), as a 32-bit program, in 60 languages, with one uninstall entry whatever the
# folder. Our copy of it installs for the current user, in English and Japanese, one entry per
# folder (installer.nsh): same template, changed here, each change checked so that a new CMake
# cannot quietly undo it.
file(READ "${CMAKE_ROOT}/Modules/Internal/CPack/NSIS.template.in" template)
function(tolv_nsis_change from to)
    string(FIND "${template}" "${from}" at)
    if(at LESS 0)
        message(FATAL_ERROR "CMake's NSIS template has changed: no '${from}' in it")
    endif()
    string(REPLACE "${from}" "${to}" template "${template}")
    set(template "${template}" PARENT_SCOPE)
endfunction()
tolv_nsis_change("RequestExecutionLevel admin" "RequestExecutionLevel user")
tolv_nsis_change("SetShellVarContext all" "SetShellVarContext current")
tolv_nsis_change("StrCpy $INSTDIR \"$DOCUMENTS\\@CPACK_PACKAGE_INSTALL_DIRECTORY@\"" "")
tolv_nsis_change("HKLM \"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall"
                 "SHCTX \"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall")
# The uninstall entry is this folder's, $TolvEntry, in the installer and the uninstaller.
tolv_nsis_change("CurrentVersion\\Uninstall\\@CPACK_PACKAGE_INSTALL_REGISTRY_KEY@"
                 "CurrentVersion\\Uninstall\\$TolvEntry")
tolv_nsis_change("Function un.onInit\n" "Function un.onInit\n  Call un.TolvInit\n")
# Its Start-menu folder is the one of its own entry, not the folder installed last.
tolv_nsis_change("!insertmacro MUI_STARTMENU_GETFOLDER Application $MUI_TEMP" "StrCpy $MUI_TEMP \"$START_MENU\"")
# The folder installed last is forgotten only by its own uninstaller.
tolv_nsis_change("DeleteRegKey SHCTX \"Software\\@CPACK_PACKAGE_VENDOR@\\@CPACK_PACKAGE_INSTALL_REGISTRY_KEY@\""
                 "Call un.TolvForgetFolder")
# The uninstaller's link in the installer's language; no English in the list of details.
tolv_nsis_change("\"$SMPROGRAMS\\$STARTMENU_FOLDER\\Uninstall.lnk\""
                 "\"$SMPROGRAMS\\$STARTMENU_FOLDER\\$(TolvUninstallLink).lnk\"")
tolv_nsis_change("DetailPrint \"Set install registry entry: '$1' to '$0'\"" "")
# Our part, with the values it needs, where the template takes definitions.
tolv_nsis_change("@CPACK_NSIS_DEFINES@" "@CPACK_NSIS_DEFINES@
  !define TOLV_NAME \"@CPACK_NSIS_PACKAGE_NAME@\"
  !define TOLV_UNINSTALLER \"@CPACK_NSIS_UNINSTALL_NAME@.exe\"
  !define TOLV_VENDOR_KEY \"Software\\@CPACK_PACKAGE_VENDOR@\\@CPACK_PACKAGE_INSTALL_REGISTRY_KEY@\"
  !define TOLV_DEFAULT_DIR \"@CPACK_NSIS_INSTALL_ROOT@\\@CPACK_PACKAGE_INSTALL_DIRECTORY@\"
  !define TOLV_SIGN '\"${CMAKE_COMMAND}\" \"-DTOLV_SIGN_FILE=%1\" -P \"${CMAKE_CURRENT_LIST_DIR}/sign.cmake\"'
  !include /CHARSET=UTF8 \"${CMAKE_CURRENT_LIST_DIR}/installer.nsh\"")
# Each page's texts and callbacks just before it.
foreach(page MUI_PAGE_WELCOME MUI_PAGE_DIRECTORY MUI_PAGE_STARTMENU MUI_PAGE_INSTFILES MUI_PAGE_FINISH
             MUI_UNPAGE_CONFIRM MUI_UNPAGE_INSTFILES)
    tolv_nsis_change("!insertmacro ${page}" "!insertmacro TOLV_BEFORE_${page}\n  !insertmacro ${page}")
endforeach()
# English, the first and so the default, and Japanese, for the rest of the template's languages.
string(FIND "${template}" "!insertmacro MUI_LANGUAGE \"English\"" at)
if(at LESS 0)
    message(FATAL_ERROR "CMake's NSIS template has changed: English is not among its languages")
endif()
string(REGEX REPLACE "!insertmacro MUI_LANGUAGE \"[A-Za-z]+\"[^\n]*" "" template "${template}")
string(SUBSTRING "${template}" 0 ${at} head)
string(SUBSTRING "${template}" ${at} -1 rest)
set(template "${head}!insertmacro MUI_LANGUAGE \"English\"\n  !insertmacro MUI_LANGUAGE \"Japanese\"${rest}")
# A 64-bit installer for the 64-bit program (it then also runs where Windows has no 32-bit layer),
# said after the template's first line, which begins with a byte-order mark.
string(FIND "${template}" "\n" first)
math(EXPR first "${first} + 1")
string(SUBSTRING "${template}" 0 ${first} head)
string(SUBSTRING "${template}" ${first} -1 rest)
file(WRITE "${CMAKE_BINARY_DIR}/nsis/NSIS.template.in" "${head}Target amd64-unicode\n${rest}")
list(PREPEND CMAKE_MODULE_PATH "${CMAKE_BINARY_DIR}/nsis")
