# Signs one Windows program in place with Authenticode, when a certificate is given:
#   cmake -DTOLV_SIGN_FILE=<program> -P sign.cmake     (or include() it with TOLV_SIGN_FILE set)
# The environment names the certificate, as scripts/build-windows.sh hands it on:
#   TOLV_SIGN_PFX            the certificate with its private key (PKCS #12, .pfx); none: unsigned
#   TOLV_SIGN_PASSWORD_FILE  a file holding its password (none: the .pfx has no password)
#   TOLV_SIGN_TIMESTAMP_URL  an RFC 3161 time-stamp server (none: no time stamp)
# CPack's installation of the launcher runs this for TOLVStrel.exe (after stripping it), and makensis
# for the installer and the uninstaller it carries (installer.nsh). Signing uses osslsigncode.
if("$ENV{TOLV_SIGN_PFX}" STREQUAL "")
    return()
endif()
if(NOT EXISTS "${TOLV_SIGN_FILE}")
    message(FATAL_ERROR "sign.cmake: no program to sign at '${TOLV_SIGN_FILE}'")
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
# osslsigncode writes a new file; the program is replaced only by a whole signed one.
set(tolv_signed "${TOLV_SIGN_FILE}.signed")
file(REMOVE "${tolv_signed}")
execute_process(COMMAND "${TOLV_OSSLSIGNCODE}" ${tolv_sign_args} -in "${TOLV_SIGN_FILE}" -out "${tolv_signed}"
                RESULT_VARIABLE tolv_sign_result
                OUTPUT_VARIABLE tolv_sign_output ERROR_VARIABLE tolv_sign_output)
if(NOT tolv_sign_result EQUAL 0)
    file(REMOVE "${tolv_signed}")
    message(FATAL_ERROR "Signing ${TOLV_SIGN_FILE} failed:\n${tolv_sign_output}")
endif()
file(RENAME "${tolv_signed}" "${TOLV_SIGN_FILE}")
message(STATUS "Signed ${TOLV_SIGN_FILE}")
