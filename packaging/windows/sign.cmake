# Signs Windows programs and DLLs in place with Authenticode, when a certificate is given:
#   cmake -DTOLV_SIGN_FILE=<program> -P sign.cmake     (or include() it with TOLV_SIGN_FILE set
#                                                       to a list of files)
# The environment names the certificate, as scripts/build-windows.sh hands it on:
#   TOLV_SIGN_PFX            the certificate with its private key (PKCS #12, .pfx); none: unsigned
#   TOLV_SIGN_PASSWORD_FILE  a file holding its password (none: the .pfx has no password)
#   TOLV_SIGN_TIMESTAMP_URL  an RFC 3161 time-stamp server (none: no time stamp)
# The installation of the launcher runs this for TOLVStrel.exe and the DLLs (after stripping),
# and makensis
# for the installer and the uninstaller it carries (installer.nsi). Signing uses osslsigncode.
if("$ENV{TOLV_SIGN_PFX}" STREQUAL "")
    return()
endif()
find_program(TOLV_OSSLSIGNCODE osslsigncode)
if(NOT TOLV_OSSLSIGNCODE)
    message(FATAL_ERROR "TOLV_SIGN_PFX is set, but osslsigncode is not installed")
endif()
set(tolv_sign_args sign -pkcs12 "$ENV{TOLV_SIGN_PFX}" -h sha256 -n TOLVStrel)
if(NOT "$ENV{TOLV_SIGN_PASSWORD_FILE}" STREQUAL "")
    list(APPEND tolv_sign_args -readpass "$ENV{TOLV_SIGN_PASSWORD_FILE}")
endif()
if(NOT "$ENV{TOLV_SIGN_TIMESTAMP_URL}" STREQUAL "")
    list(APPEND tolv_sign_args -ts "$ENV{TOLV_SIGN_TIMESTAMP_URL}")
endif()
# osslsigncode writes a new file; a file is replaced only by a whole signed one.
foreach(tolv_sign_one IN LISTS TOLV_SIGN_FILE)
    if(NOT EXISTS "${tolv_sign_one}")
        message(FATAL_ERROR "sign.cmake: nothing to sign at '${tolv_sign_one}'")
    endif()
    set(tolv_signed "${tolv_sign_one}.signed")
    file(REMOVE "${tolv_signed}")
    execute_process(COMMAND "${TOLV_OSSLSIGNCODE}" ${tolv_sign_args} -in "${tolv_sign_one}" -out "${tolv_signed}"
                    RESULT_VARIABLE tolv_sign_result
                    OUTPUT_VARIABLE tolv_sign_output ERROR_VARIABLE tolv_sign_output)
    if(NOT tolv_sign_result EQUAL 0)
        file(REMOVE "${tolv_signed}")
        message(FATAL_ERROR "Signing ${tolv_sign_one} failed:\n${tolv_sign_output}")
    endif()
    file(RENAME "${tolv_signed}" "${tolv_sign_one}")
    message(STATUS "Signed ${tolv_sign_one}")
endforeach()
