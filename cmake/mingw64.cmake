# Cross-compiles for 64-bit Windows on a Debian host with mingw-w64 (the posix threads variant, which
# the prebuilt Qt was built with) against a Qt for mingw unpacked into TOLV_QT_MINGW_DIR.
#
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw64.cmake -DTOLV_QT_MINGW_DIR=<unpacked Qt>
#
# scripts/build-windows.sh unpacks the Qt archive and calls this. Everything host-specific of the
# Windows build is here; the project's own CMake files work unchanged on a Windows machine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TOLV_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TOLV_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TOLV_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TOLV_MINGW_TRIPLE}-windres)

# Try-compiles read this file again in a folder of their own: hand them the Qt folder.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TOLV_QT_MINGW_DIR TOLV_QT_HOST_DIR)
foreach(dir TOLV_QT_MINGW_DIR TOLV_QT_HOST_DIR)
    if(NOT ${dir} AND DEFINED ENV{${dir}})
        set(${dir} "$ENV{${dir}}")
    endif()
    if(NOT ${dir} OR NOT EXISTS "${${dir}}/lib/cmake/Qt6")
        message(FATAL_ERROR "${dir} must name an unpacked Qt (with lib/cmake/Qt6): '${${dir}}'")
    endif()
endforeach()

# Qt's packages are found only under a find root.
set(CMAKE_FIND_ROOT_PATH /usr/${TOLV_MINGW_TRIPLE} "${TOLV_QT_MINGW_DIR}")
list(APPEND CMAKE_PREFIX_PATH "${TOLV_QT_MINGW_DIR}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# moc, uic and rcc of the same Qt version, built for this host. The CMake folder is named as well:
# Qt would otherwise prefer the folder its host tools were built in, where that exists on this machine.
set(QT_HOST_PATH "${TOLV_QT_HOST_DIR}")
set(QT_HOST_PATH_CMAKE_DIR "${TOLV_QT_HOST_DIR}/lib/cmake")

# Where the compiler's run-time DLLs lie, for the application folder.
file(GLOB TOLV_MINGW_RUNTIME_DIRS LIST_DIRECTORIES true /usr/lib/gcc/${TOLV_MINGW_TRIPLE}/*-posix)
list(APPEND TOLV_MINGW_RUNTIME_DIRS /usr/${TOLV_MINGW_TRIPLE}/lib)

# CTest runs each test program through Wine.
find_program(TOLV_WINE wine)
if(TOLV_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR "${TOLV_WINE}")
endif()
