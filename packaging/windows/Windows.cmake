# The Windows application folder and its installer: the launcher's resources (icon, version
# information, manifest), the run-time DLLs and plugins beside it, an NSIS installer for one user
# and a ZIP of the same folder. Included from packaging/CMakeLists.txt; works for a cross build
# (cmake/mingw64.cmake) as for a native one.

# The maker, as the main window names it (ui/main/Main.ui), in the version information of the
# launcher and the installer and as the publisher in the list of installed apps.
set(TOLV_MAKER_EN "Kumoribashi Structural Lab. Inc.")
set(TOLV_MAKER_JA "株式会社 曇橋構造研究所")
set(TOLV_COPYRIGHT_YEAR 2026)
set(TOLV_COPYRIGHT_EN "Copyright (C) ${TOLV_COPYRIGHT_YEAR} ${TOLV_MAKER_EN}")
set(TOLV_COPYRIGHT_JA "Copyright (C) ${TOLV_COPYRIGHT_YEAR} ${TOLV_MAKER_JA}")

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
               styles:QModernWindowsStylePlugin)
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

# The ZIP holds the application folder as one folder (CPack's default for archives).
set(CPACK_GENERATOR ZIP)
set(CPACK_MONOLITHIC_INSTALL ON)
set(CPACK_STRIP_FILES TRUE)
set(CPACK_PACKAGE_FILE_NAME "TOLVStrel-${PROJECT_VERSION}-win64")

# The Japanese user guide, docs/ja/ (guide.html and its images), into docs\ja\ of the application
# folder, when it is there at packaging time; the installer then adds a Start-menu link to it.
set(TOLV_GUIDE_JA_DIR "${PROJECT_SOURCE_DIR}/docs/ja" CACHE PATH
    "The Japanese user guide's folder (guide.html and its images), installed when it exists")
install(DIRECTORY "${TOLV_GUIDE_JA_DIR}/" DESTINATION "${TOLV_INSTALL_APPDIR}/docs/ja"
        COMPONENT launcher OPTIONAL)

# Authenticode: with a certificate named at packaging time (TOLV_SIGN_PFX, see sign.cmake), the
# launcher and every DLL beside it are signed as installed into the installer and the ZIP, after
# stripping; makensis signs the installer and its uninstaller (installer.nsi). Without one, nothing
# is signed.
install(CODE "file(GLOB_RECURSE TOLV_SIGN_FILE \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${TOLV_INSTALL_APPDIR}/*.dll\")
    list(PREPEND TOLV_SIGN_FILE \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${TOLV_INSTALL_APPDIR}/TOLVStrel.exe\")
    include(\"${CMAKE_CURRENT_LIST_DIR}/sign.cmake\")" COMPONENT launcher)

# The installer (target "installer", TOLVStrel-<version>-win64.exe in the build folder): the
# application folder is installed, stripped and signed, into installer/stage/, installer-files.cmake
# lists it, and makensis builds installer.nsi, the installer script, on it. It installs for the
# current user, in English or Japanese, one installation per folder; installer.nsi says how.
find_program(TOLV_MAKENSIS makensis)
set(stage "${CMAKE_BINARY_DIR}/installer/stage")
set(files "${CMAKE_BINARY_DIR}/installer/files.nsh")
set(product "${CMAKE_BINARY_DIR}/installer/product.nsh")
set(installer "${CMAKE_BINARY_DIR}/${CPACK_PACKAGE_FILE_NAME}.exe")
file(WRITE "${product}" "!define TOLV_MAKER_EN \"${TOLV_MAKER_EN}\"
!define TOLV_MAKER_JA \"${TOLV_MAKER_JA}\"
!define TOLV_COPYRIGHT_EN \"${TOLV_COPYRIGHT_EN}\"
!define TOLV_COPYRIGHT_JA \"${TOLV_COPYRIGHT_JA}\"
")
if(TOLV_MAKENSIS)
    add_custom_target(installer
        COMMAND "${CMAKE_COMMAND}" -E rm -rf "${stage}"
        COMMAND "${CMAKE_COMMAND}" --install "${CMAKE_BINARY_DIR}" --prefix "${stage}" --component launcher --strip
        COMMAND "${CMAKE_COMMAND}" "-DTOLV_STAGE=${stage}" "-DTOLV_OUT=${files}"
                -P "${CMAKE_CURRENT_LIST_DIR}/installer-files.cmake"
        COMMAND "${TOLV_MAKENSIS}" -V2 -INPUTCHARSET UTF8 "-DTOLV_VERSION=${PROJECT_VERSION}"
                "-DTOLV_STAGE=${stage}" "-DTOLV_FILES=${files}" "-DTOLV_PRODUCT=${product}"
                "-DTOLV_OUTFILE=${installer}" "-DTOLV_ICON=${PROJECT_SOURCE_DIR}/resources/tolv.ico"
                "-DTOLV_CMAKE=${CMAKE_COMMAND}" "${CMAKE_CURRENT_LIST_DIR}/installer.nsi"
        COMMENT "Installer ${installer}"
        VERBATIM)
    add_dependencies(installer TOLVStrel tolv_runtime)
endif()
