; The TOLVStrel installer and its uninstaller, for the current user, without administrator rights.
; The build (Windows.cmake, target "installer") stages the application folder and calls
;   makensis -DTOLV_VERSION=<x.y.z> -DTOLV_STAGE=<staged folder> -DTOLV_FILES=<its list, .nsh>
;            -DTOLV_PRODUCT=<maker's names, .nsh> -DTOLV_OUTFILE=<installer.exe> -DTOLV_ICON=<tolv.ico>
;            -DTOLV_CMAKE=<cmake> installer.nsi
; where installer-files.cmake has written the list of the staged files.
;
; Language. English and Japanese, English first and so the default: NSIS takes the user's display
; language when it starts, Japanese on a Japanese Windows, English on any other. The uninstaller does
; the same, so it speaks the language of whoever runs it. No language dialog, and /S needs none. The
; texts are in installer-texts.nsh.
;
; More than one installed copy. The launcher works in its own folder (run.dat, solver.bat and the
; suite's programs lie beside it), and engineers keep a folder per project or per version of the
; suite. So each folder is an installation of its own, with its own uninstall entry (the key
; "TOLVStrel" for the first, "TOLVStrel-2", "TOLVStrel-3", ... for others; a folder's entry is the one
; whose UninstallString names its uninstaller) and its own Start-menu folder ("TOLVStrel",
; "TOLVStrel (2)", ...). Installing into a folder that holds an installation updates it in place and
; keeps its entry and Start-menu folder; without /D=, interactive or silent, the installer offers the
; folder installed last.
;
; What is never touched. The folder is shared with the suite's programs and the user's files, so the
; installer replaces only files that an installation of ours put there (the entry's "Files" key lists
; them); any other file of the same name is a clash that the folder page names and asks about. The
; uninstaller removes the files it installed, its entry and Start-menu folder, and nothing else; no
; setting of the system (PATH among them) is read or written by either.
;
; Refusals. One setup or uninstall at a time (a named mutex). A folder that is not a full path, the
; root of a drive, a folder in which an installed file's path would pass 259 characters, a folder
; whose launcher (or another program using its files) is running, and a clash are refused before
; anything changes: on the pages with a message, silently (/S) with an exit code:
;   2  the folder cannot hold an installation (not a full path, a drive's root, too long a path)
;   3  files of the installation are in use: TOLVStrel, or a program started from its folder, runs
;   4  the folder holds files of the same names that no installation of ours put there
;   5  another setup or uninstall of TOLVStrel is running
; A silent uninstall reports its exit code only when run in place: Uninstall.exe /S _?=<folder>.

Unicode true
Target amd64-unicode
ManifestDPIAware true
RequestExecutionLevel user
SetCompressor /SOLID lzma

!include MUI2.nsh
!include LogicLib.nsh
!include /CHARSET=UTF8 "${TOLV_FILES}"
!include /CHARSET=UTF8 "${TOLV_PRODUCT}"

!define TOLV_NAME "TOLVStrel"
!define TOLV_UNINSTALLER "Uninstall.exe"
!define TOLV_UNINSTALL_ROOT "Software\Microsoft\Windows\CurrentVersion\Uninstall"
; The folder installed last, which the installer offers (the key earlier versions used).
!define TOLV_LAST_KEY "Software\TOLVStrel developers\TOLVStrel"
!define TOLV_DEFAULT_DIR "$LOCALAPPDATA\Programs\${TOLV_NAME}"
!define TOLV_MUTEX "TOLVStrel-Setup"
; Windows' limit of a path (MAX_PATH less its terminating NUL).
!define TOLV_PATH_LIMIT 259

Name "${TOLV_NAME}"
OutFile "${TOLV_OUTFILE}"
InstallDir "${TOLV_DEFAULT_DIR}"
InstallDirRegKey HKCU "${TOLV_LAST_KEY}" ""
BrandingText "${TOLV_NAME} ${TOLV_VERSION}"
; A drive's root is refused by the folder page itself, with a message (TolvFolderChosen), not by a
; Next button that NSIS would disable without a word. (A relative path it disables: no word there.)
AllowRootDirInstall true
ShowInstDetails nevershow
ShowUninstDetails nevershow

; sign.cmake signs the installer, and the uninstaller before the installer takes it in, when a
; certificate is given (TOLV_SIGN_PFX); without one it does nothing.
!finalize '"${TOLV_CMAKE}" "-DTOLV_SIGN_FILE=%1" -P "${__FILEDIR__}/sign.cmake"' = 0
!uninstfinalize '"${TOLV_CMAKE}" "-DTOLV_SIGN_FILE=%1" -P "${__FILEDIR__}/sign.cmake"' = 0

Var TolvEntry   ; this folder's uninstall entry, a key under TOLV_UNINSTALL_ROOT ("" for none yet)
Var TolvUpdate  ; 1 when the folder holds an installation of ours, which this one updates
Var TolvMenu    ; this folder's Start-menu folder
Var TolvRefused ; the folder given with /D= when it cannot hold an installation, told on the folder page
Var TolvCode    ; the result of the folder's checks: 0, or an exit code of the list above
Var TolvWhy     ; and what the user reads about it

!define MUI_ICON "${TOLV_ICON}"
!define MUI_UNICON "${TOLV_ICON}"
!define MUI_CUSTOMFUNCTION_GUIINIT TolvWidenButton
!define MUI_CUSTOMFUNCTION_UNGUIINIT un.TolvWidenButton

!define MUI_WELCOMEPAGE_TEXT "$(TolvWelcomeText)"
!insertmacro MUI_PAGE_WELCOME
!define MUI_PAGE_HEADER_SUBTEXT "$(TolvDirectorySubtitle)"
!define MUI_DIRECTORYPAGE_TEXT_TOP "$(TolvDirectoryText)"
!define MUI_DIRECTORYPAGE_TEXT_DESTINATION "$(TolvDirectoryLabel)"
!define MUI_PAGE_CUSTOMFUNCTION_SHOW TolvFolderShown
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE TolvFolderChosen
!insertmacro MUI_PAGE_DIRECTORY
!define MUI_PAGE_HEADER_SUBTEXT "$(TolvInstallingSubtitle)"
!define MUI_INSTFILESPAGE_FINISHHEADER_SUBTEXT "$(TolvInstalledSubtitle)"
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_TEXT "$(TolvFinishText)"
!insertmacro MUI_PAGE_FINISH

!define MUI_PAGE_HEADER_SUBTEXT "$(TolvUnConfirmSubtitle)"
!define MUI_UNCONFIRMPAGE_TEXT_TOP "$(TolvUnConfirmText)"
!define MUI_UNCONFIRMPAGE_TEXT_LOCATION "$(TolvUnConfirmLocation)"
!define MUI_PAGE_CUSTOMFUNCTION_SHOW un.TolvConfirmShown
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE un.TolvConfirmed
!insertmacro MUI_UNPAGE_CONFIRM
!define MUI_PAGE_HEADER_SUBTEXT "$(TolvUninstallingSubtitle)"
!define MUI_INSTFILESPAGE_FINISHHEADER_SUBTEXT "$(TolvUninstalledSubtitle)"
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Japanese"
!include /CHARSET=UTF8 "${__FILEDIR__}/installer-texts.nsh"

; The installer's own version information, in the language of its texts.
VIProductVersion "${TOLV_VERSION}.0"
VIFileVersion "${TOLV_VERSION}.0"
!macro TOLV_VERSION_INFO LANG SUFFIX
  VIAddVersionKey /LANG=${LANG} "ProductName" "${TOLV_NAME}"
  VIAddVersionKey /LANG=${LANG} "ProductVersion" "${TOLV_VERSION}"
  VIAddVersionKey /LANG=${LANG} "FileVersion" "${TOLV_VERSION}"
  VIAddVersionKey /LANG=${LANG} "FileDescription" "${TOLV_SETUP_${SUFFIX}}"
  VIAddVersionKey /LANG=${LANG} "CompanyName" "${TOLV_MAKER_${SUFFIX}}"
  VIAddVersionKey /LANG=${LANG} "LegalCopyright" "${TOLV_COPYRIGHT_${SUFFIX}}"
!macroend
!insertmacro TOLV_VERSION_INFO ${LANG_ENGLISH} EN
!insertmacro TOLV_VERSION_INFO ${LANG_JAPANESE} JA

; NSIS puts Back right against Next: Back moves left by a quarter of the buttons' height, so that
; they keep a gap. "アンインストール(&U)" in full-width katakana does not fit the width of NSIS's
; buttons: in Japanese, the button that starts, ends and closes is also made twice as wide, to the
; left, and Back moves along.
!macro TOLV_WIDEN_BUTTON UN
Function ${UN}TolvWidenButton
  System::Call '*(i, i, i, i) p .r0'
  GetDlgItem $1 $HWNDPARENT 1
  System::Call 'user32::GetWindowRect(p r1, p r0)'
  System::Call 'user32::MapWindowPoints(p 0, p $HWNDPARENT, p r0, i 2)'
  System::Call '*$0(i .r2, i .r3, i .r4, i .r5)'
  IntOp $6 0 + 0
  ${If} $LANGUAGE = ${LANG_JAPANESE}
    IntOp $6 $4 - $2
  ${EndIf}
  IntOp $2 $2 - $6
  IntOp $4 $4 - $2
  IntOp $7 $5 - $3
  System::Call 'user32::SetWindowPos(p r1, p 0, i r2, i r3, i r4, i r7, i 0x14)'
  IntOp $7 $7 / 4
  IntOp $6 $6 + $7
  GetDlgItem $1 $HWNDPARENT 3
  System::Call 'user32::GetWindowRect(p r1, p r0)'
  System::Call 'user32::MapWindowPoints(p 0, p $HWNDPARENT, p r0, i 2)'
  System::Call '*$0(i .r2, i .r3)'
  IntOp $2 $2 - $6
  System::Call 'user32::SetWindowPos(p r1, p 0, i r2, i r3, i 0, i 0, i 0x15)'
  System::Free $0
FunctionEnd
!macroend
!insertmacro TOLV_WIDEN_BUTTON ""
!insertmacro TOLV_WIDEN_BUTTON "un."

; Files of the installation in use: $TolvWhy names the first, else "". Windows refuses to open a
; running program or a loaded DLL for writing; a file that cannot be opened for another reason (read-
; only) is not in use.
!macro TOLV_IN_USE FILE
  !if "${FILE}" != "${TOLV_UNINSTALLER}" ; the uninstaller runs in place (_?=)
  ${If} $TolvWhy == ""
  ${AndIf} ${FileExists} "$INSTDIR\${FILE}"
    System::Call 'kernel32::CreateFileW(w "$INSTDIR\${FILE}", i 0x40000000, i 7, p 0, i 3, i 0, p 0) p .r0 ?e'
    Pop $1
    ${If} $0 = -1
      ${If} $1 = 32   ; ERROR_SHARING_VIOLATION
      ${OrIf} $1 = 33 ; ERROR_LOCK_VIOLATION
        StrCpy $TolvWhy "$INSTDIR\${FILE}"
      ${EndIf}
    ${Else}
      System::Call 'kernel32::CloseHandle(p r0)'
    ${EndIf}
  ${EndIf}
  !endif
!macroend
!macro TOLV_COMMON_FUNCTIONS UN
; One setup at a time: another one running is told (silently: exit code 5), and this one ends.
Function ${UN}TolvOneAtATime
  System::Call 'kernel32::CreateMutexW(p 0, i 1, w "${TOLV_MUTEX}") p .r0 ?e'
  Pop $1
  ${If} $1 = 183 ; ERROR_ALREADY_EXISTS
    MessageBox MB_OK|MB_ICONSTOP "$(TolvSetupRunning)" /SD IDOK
    SetErrorLevel 5
    Quit
  ${EndIf}
FunctionEnd

; $R1: the next uninstall entry of TOLVStrel from index $R0 on ("" after the last); advances $R0.
Function ${UN}TolvNextEntry
  StrLen $R2 "${TOLV_NAME}-"
  ${Do}
    EnumRegKey $R1 HKCU "${TOLV_UNINSTALL_ROOT}" $R0
    IntOp $R0 $R0 + 1
    ${IfThen} $R1 == "" ${|} Return ${|}
    ${IfThen} $R1 == "${TOLV_NAME}" ${|} Return ${|}
    StrCpy $R3 $R1 $R2
    ${IfThen} $R3 == "${TOLV_NAME}-" ${|} Return ${|}
  ${Loop}
FunctionEnd

; $TolvEntry: the entry of the installation in $INSTDIR, or "" when there is none.
Function ${UN}TolvFindEntry
  Push $R0
  Push $R1
  Push $R2
  Push $R3
  StrCpy $TolvEntry ""
  StrCpy $R0 0
  ${Do}
    Call ${UN}TolvNextEntry
    ${IfThen} $R1 == "" ${|} ${ExitDo} ${|}
    ReadRegStr $R2 HKCU "${TOLV_UNINSTALL_ROOT}\$R1" "UninstallString"
    ${If} $R2 == '"$INSTDIR\${TOLV_UNINSTALLER}"'
      StrCpy $TolvEntry $R1
      ${ExitDo}
    ${EndIf}
  ${Loop}
  Pop $R3
  Pop $R2
  Pop $R1
  Pop $R0
FunctionEnd

; Files of the installation in use (TOLV_IN_USE above).
Function ${UN}TolvFilesInUse
  Push $0
  Push $1
  StrCpy $TolvWhy ""
  ; The launcher first: the file a user recognises when it is the one running.
  !insertmacro TOLV_IN_USE "${TOLV_NAME}.exe"
  !insertmacro TOLV_FILES TOLV_IN_USE
  Pop $1
  Pop $0
FunctionEnd
!macroend
!insertmacro TOLV_COMMON_FUNCTIONS ""
!insertmacro TOLV_COMMON_FUNCTIONS "un."

; ---- Installer --------------------------------------------------------------------------------

Function .onInit
  Call TolvOneAtATime
  Call TolvFolderOption
  ${If} ${Silent}
    ${If} $TolvRefused != ""
      SetErrorLevel 2
      Quit
    ${EndIf}
    Call TolvCheckFolder
    ${If} $TolvCode <> 0
      SetErrorLevel $TolvCode
      Quit
    ${EndIf}
  ${EndIf}
FunctionEnd

; /D= as given. NSIS replaces a folder it cannot use (a relative path, a drive's root) with the folder
; installed last, which would update another installation: the command line is read again, and such
; a folder is kept in $TolvRefused, and in $INSTDIR for the folder page to show.
Function TolvFolderOption
  Push $0
  Push $1
  Push $2
  System::Call 'kernel32::GetCommandLineW() w .r0'
  StrLen $2 $0
  ${Do}
    IntOp $2 $2 - 1
    ${IfThen} $2 < 0 ${|} ${ExitDo} ${|}
    StrCpy $1 $0 4 $2
    ${If} $1 S== " /D="
      IntOp $2 $2 + 4
      StrCpy $1 $0 "" $2
      Call TolvFolderProblem
      ${If} $TolvWhy != ""
        StrCpy $TolvRefused $1
        StrCpy $INSTDIR $1
      ${EndIf}
      ${ExitDo}
    ${EndIf}
  ${Loop}
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

; $TolvWhy: why the folder $1 cannot hold an installation, or "" when it can.
Function TolvFolderProblem
  Push $2
  Push $3
  StrCpy $TolvWhy ""
  StrCpy $2 $1 1 1
  StrCpy $3 $1 1 2
  ${If} $2 == ":"
  ${AndIf} $3 == ""
    ; "T:", as NSIS leaves "T:\" in $INSTDIR
    StrCpy $2 ""
  ${ElseIf} $2 == ":"
  ${AndIf} $3 == "\"
    StrCpy $2 $1 "" 3
  ${ElseIf} $2$3 == "\\"
    ; \\server\share\folder: the part after the share
    StrCpy $2 ""
    StrCpy $3 2
    ${Do}
      StrCpy $2 $1 1 $3
      ${IfThen} $2 == "" ${|} ${ExitDo} ${|}
      IntOp $3 $3 + 1
      ${IfThen} $2 == "\" ${|} ${ExitDo} ${|}
    ${Loop}
    ${Do}
      StrCpy $2 $1 1 $3
      ${IfThen} $2 == "" ${|} ${ExitDo} ${|}
      IntOp $3 $3 + 1
      ${IfThen} $2 == "\" ${|} ${ExitDo} ${|}
    ${Loop}
    StrCpy $2 $1 "" $3
  ${Else}
    StrCpy $TolvWhy "$(TolvFolderNotFull)"
    Goto done
  ${EndIf}
  ${If} $2 == ""
  ${OrIf} $2 == "\"
    StrCpy $TolvWhy "$(TolvFolderRoot)"
    Goto done
  ${EndIf}
  StrLen $2 $1
  IntOp $2 $2 + 1
  IntOp $2 $2 + ${TOLV_LONGEST_LENGTH}
  ${If} $2 > ${TOLV_PATH_LIMIT}
    StrCpy $TolvWhy "$(TolvFolderTooLong)"
  ${EndIf}
done:
  Pop $3
  Pop $2
FunctionEnd

; Whether this folder's installation is ours to update: is FILE, if there, one that an installation
; of ours put there? $R8 collects those that are not, one per line.
!macro TOLV_CLASH FILE
  ${If} ${FileExists} "$INSTDIR\${FILE}"
    StrCpy $0 0
    ${If} $TolvEntry != ""
      ClearErrors
      ReadRegDWORD $1 HKCU "${TOLV_UNINSTALL_ROOT}\$TolvEntry\Files" "${FILE}"
      ${IfNot} ${Errors}
      ${OrIf} $R7 == ""
        StrCpy $0 1
      ${EndIf}
    ${EndIf}
    ${If} $0 = 0
      StrCpy $R8 "$R8$\r$\n    ${FILE}"
    ${EndIf}
  ${EndIf}
!macroend

; The checks of $INSTDIR before anything is installed: $TolvCode and $TolvWhy (see the top).
Function TolvCheckFolder
  Push $0
  Push $1
  Push $R7
  Push $R8
  StrCpy $TolvCode 0
  StrCpy $1 $INSTDIR
  Call TolvFolderProblem
  ${If} $TolvWhy != ""
    StrCpy $TolvCode 2
    Goto done
  ${EndIf}
  Call TolvFilesInUse
  ${If} $TolvWhy != ""
    StrCpy $1 $TolvWhy
    StrCpy $TolvWhy "$(TolvInUse)"
    StrCpy $TolvCode 3
    Goto done
  ${EndIf}
  ; An installation of a version that kept no list of its files owns whatever of ours is there.
  Call TolvFindEntry
  StrCpy $R7 ""
  ${If} $TolvEntry != ""
    EnumRegValue $R7 HKCU "${TOLV_UNINSTALL_ROOT}\$TolvEntry\Files" 0
  ${EndIf}
  StrCpy $R8 ""
  !insertmacro TOLV_FILES TOLV_CLASH
  ${If} $R8 != ""
    StrCpy $1 $R8
    StrCpy $TolvWhy "$(TolvClash)"
    StrCpy $TolvCode 4
  ${EndIf}
done:
  Pop $R8
  Pop $R7
  Pop $1
  Pop $0
FunctionEnd

Function TolvFolderShown
  ${If} $TolvRefused != ""
    StrCpy $1 $TolvRefused
    Call TolvFolderProblem
    StrCpy $TolvRefused ""
    MessageBox MB_OK|MB_ICONEXCLAMATION "$TolvWhy"
  ${EndIf}
FunctionEnd

; Leaving the folder page: a folder that cannot be used keeps the page; files in use are retried or
; the page kept; a clash goes on only when the user agrees that those files are replaced.
Function TolvFolderChosen
  ${Do}
    Call TolvCheckFolder
    ${Select} $TolvCode
      ${Case} 0
        Return
      ${Case} 3
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$TolvWhy$\r$\n$\r$\n$(TolvInUseRetry)" IDRETRY +2
        Abort
      ${Case} 4
        MessageBox MB_YESNO|MB_ICONEXCLAMATION|MB_DEFBUTTON2 "$TolvWhy" IDYES +2
        Abort
        Return
      ${CaseElse}
        MessageBox MB_OK|MB_ICONEXCLAMATION "$TolvWhy"
        Abort
    ${EndSelect}
  ${Loop}
FunctionEnd

; Before anything is installed: this folder's Start-menu folder, the one it has when it holds an
; installation, else the first one that is free; likewise its entry.
Function TolvChooseEntry
  Push $R0
  Push $R1
  Push $R2
  Push $R3
  Push $R4
  Call TolvFindEntry
  StrCpy $TolvMenu ""
  StrCpy $TolvUpdate 0
  ${If} $TolvEntry != ""
    StrCpy $TolvUpdate 1
    ReadRegStr $TolvMenu HKCU "${TOLV_UNINSTALL_ROOT}\$TolvEntry" "StartMenu"
  ${Else}
    StrCpy $R4 1
    StrCpy $TolvEntry "${TOLV_NAME}"
    ${Do}
      EnumRegValue $R1 HKCU "${TOLV_UNINSTALL_ROOT}\$TolvEntry" 0
      ${IfThen} $R1 == "" ${|} ${ExitDo} ${|}
      IntOp $R4 $R4 + 1
      StrCpy $TolvEntry "${TOLV_NAME}-$R4"
    ${Loop}
  ${EndIf}
  StrCpy $R4 1
  ${If} $TolvMenu == ""
    StrCpy $TolvMenu "${TOLV_NAME}"
  ${EndIf}
  ${Do}
    ; Is $TolvMenu the Start-menu folder of another installation?
    StrCpy $R0 0
    ${Do}
      Call TolvNextEntry
      ${IfThen} $R1 == "" ${|} ${ExitDo} ${|}
      ReadRegStr $R2 HKCU "${TOLV_UNINSTALL_ROOT}\$R1" "StartMenu"
      ${If} $R1 != $TolvEntry
      ${AndIf} $R2 == $TolvMenu
        ${ExitDo}
      ${EndIf}
    ${Loop}
    ${IfThen} $R1 == "" ${|} ${ExitDo} ${|}
    IntOp $R4 $R4 + 1
    StrCpy $TolvMenu "${TOLV_NAME} ($R4)"
  ${Loop}
  Pop $R4
  Pop $R3
  Pop $R2
  Pop $R1
  Pop $R0
FunctionEnd

; An update removes the files that the installation it replaces listed and this one does not bring.
!macro TOLV_SHIPPED FILE
  ${IfThen} $R1 == "${FILE}" ${|} StrCpy $R2 1 ${|}
!macroend
!macro TOLV_RMDIR FOLDER
  RMDir "$INSTDIR\${FOLDER}"
!macroend
Function TolvRemoveOld
  ${IfThen} $TolvUpdate = 0 ${|} Return ${|}
  Push $R0
  Push $R1
  Push $R2
  StrCpy $R0 0
  ${Do}
    EnumRegValue $R1 HKCU "${TOLV_UNINSTALL_ROOT}\$TolvEntry\Files" $R0
    ${IfThen} $R1 == "" ${|} ${ExitDo} ${|}
    IntOp $R0 $R0 + 1
    StrCpy $R2 0
    !insertmacro TOLV_FILES TOLV_SHIPPED
    ${If} $R2 = 0
      Delete "$INSTDIR\$R1"
    ${EndIf}
  ${Loop}
  ; Versions that kept no list of their files brought this style, now in qmodernwindowsstyle.dll.
  ${If} $R0 = 0
    Delete "$INSTDIR\styles\qwindowsvistastyle.dll"
  ${EndIf}
  DeleteRegKey HKCU "${TOLV_UNINSTALL_ROOT}\$TolvEntry\Files"
  !insertmacro TOLV_FOLDERS TOLV_RMDIR
  RMDir "$INSTDIR\styles"
  Pop $R2
  Pop $R1
  Pop $R0
FunctionEnd

; The links of a Start-menu folder, under the names of both languages and of earlier versions: an
; update in the other language replaces them, and the uninstaller removes whichever are there.
!macro TOLV_DELETE_LINKS FOLDER
  Delete "$SMPROGRAMS\${FOLDER}\${TOLV_NAME}.lnk"
  Delete "$SMPROGRAMS\${FOLDER}\Uninstall.lnk"
  Delete "$SMPROGRAMS\${FOLDER}\${TOLV_UNINSTALL_LINK_EN}.lnk"
  Delete "$SMPROGRAMS\${FOLDER}\${TOLV_UNINSTALL_LINK_JA}.lnk"
  Delete "$SMPROGRAMS\${FOLDER}\${TOLV_GUIDE_LINK_EN}.lnk"
  Delete "$SMPROGRAMS\${FOLDER}\${TOLV_GUIDE_LINK_JA}.lnk"
  Delete "$SMPROGRAMS\${FOLDER}\TOLVStrel User Guide.lnk"
  Delete "$SMPROGRAMS\${FOLDER}\TOLVStrel 使い方.lnk"
!macroend

!macro TOLV_RECORD FILE
  WriteRegDWORD HKCU "${TOLV_UNINSTALL_ROOT}\$TolvEntry\Files" "${FILE}" 1
!macroend

Section
  SetShellVarContext current
  Call TolvChooseEntry
  Call TolvRemoveOld
  SetOutPath "$INSTDIR"
  File /r "${TOLV_STAGE}\*.*"
  WriteUninstaller "$INSTDIR\${TOLV_UNINSTALLER}"

  ; The entry in the list of installed apps: its name shows the folder when it is not the default
  ; one; publisher and comment are in the installer's language.
  StrCpy $0 "${TOLV_NAME}"
  ${If} $INSTDIR != "${TOLV_DEFAULT_DIR}"
    StrCpy $0 "${TOLV_NAME} ($INSTDIR)"
  ${EndIf}
  StrCpy $1 "${TOLV_UNINSTALL_ROOT}\$TolvEntry"
  WriteRegStr HKCU $1 "DisplayName" $0
  WriteRegStr HKCU $1 "DisplayVersion" "${TOLV_VERSION}"
  WriteRegStr HKCU $1 "DisplayIcon" "$INSTDIR\${TOLV_NAME}.exe"
  WriteRegStr HKCU $1 "Publisher" "$(TolvPublisher)"
  WriteRegStr HKCU $1 "Comments" "$(TolvDescription)"
  WriteRegStr HKCU $1 "InstallLocation" $INSTDIR
  WriteRegStr HKCU $1 "UninstallString" '"$INSTDIR\${TOLV_UNINSTALLER}"'
  WriteRegStr HKCU $1 "QuietUninstallString" '"$INSTDIR\${TOLV_UNINSTALLER}" /S'
  WriteRegStr HKCU $1 "StartMenu" $TolvMenu
  WriteRegDWORD HKCU $1 "EstimatedSize" ${TOLV_SIZE_KB}
  WriteRegDWORD HKCU $1 "NoModify" 1
  WriteRegDWORD HKCU $1 "NoRepair" 1
  !insertmacro TOLV_FILES TOLV_RECORD
  WriteRegStr HKCU "${TOLV_LAST_KEY}" "" $INSTDIR

  ; The launcher's link starts it in the application folder (SetOutPath sets the working folder
  ; that a link records); the user guide's when it is installed.
  CreateDirectory "$SMPROGRAMS\$TolvMenu"
  !insertmacro TOLV_DELETE_LINKS $TolvMenu
  SetOutPath "$INSTDIR"
  CreateShortCut "$SMPROGRAMS\$TolvMenu\${TOLV_NAME}.lnk" "$INSTDIR\${TOLV_NAME}.exe" "" \
    "$INSTDIR\${TOLV_NAME}.exe" 0 SW_SHOWNORMAL "" "$(TolvDescription)"
  CreateShortCut "$SMPROGRAMS\$TolvMenu\$(TolvUninstallLink).lnk" "$INSTDIR\${TOLV_UNINSTALLER}"
  ${If} ${FileExists} "$INSTDIR\docs\ja\guide.html"
    CreateShortCut "$SMPROGRAMS\$TolvMenu\$(TolvGuideLink).lnk" "$INSTDIR\docs\ja\guide.html"
  ${EndIf}
SectionEnd

; ---- Uninstaller ------------------------------------------------------------------------------

; Its entry, found before its pages; a made-up name that no installer gives when it has none, so
; that nothing of another installation is read or removed.
Function un.onInit
  Call un.TolvOneAtATime
  Call un.TolvFindEntry
  ${IfThen} $TolvEntry == "" ${|} StrCpy $TolvEntry "${TOLV_NAME}-0" ${|}
  ${If} ${Silent}
    Call un.TolvFilesInUse
    ${If} $TolvWhy != ""
      SetErrorLevel 3
      Quit
    ${EndIf}
  ${EndIf}
FunctionEnd

; Nothing is removed while a file of the installation is in use: retry, or end with nothing changed.
Function un.TolvConfirmed
  ${Do}
    Call un.TolvFilesInUse
    ${IfThen} $TolvWhy == "" ${|} Return ${|}
    StrCpy $1 $TolvWhy
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(TolvInUse)$\r$\n$\r$\n$(TolvUnInUseRetry)" IDRETRY +3
    SetErrorLevel 3
    Quit
  ${Loop}
FunctionEnd

; The confirmation says what is removed and what is kept: its text gets three times the height of
; NSIS's, and the folder below moves down by as much.
!macro TOLV_MOVE_DOWN ID
  GetDlgItem $2 $0 ${ID}
  System::Call 'user32::GetWindowRect(p r2, p r1)'
  System::Call 'user32::MapWindowPoints(p 0, p r0, p r1, i 2)'
  System::Call '*$1(i .r3, i .r4)'
  IntOp $4 $4 + $7
  System::Call 'user32::SetWindowPos(p r2, p 0, i r3, i r4, i 0, i 0, i 0x15)'
!macroend
Function un.TolvConfirmShown
  FindWindow $0 "#32770" "" $HWNDPARENT
  System::Call '*(i, i, i, i) p .r1'
  GetDlgItem $2 $0 1006
  System::Call 'user32::GetWindowRect(p r2, p r1)'
  System::Call 'user32::MapWindowPoints(p 0, p r0, p r1, i 2)'
  System::Call '*$1(i .r3, i .r4, i .r5, i .r6)'
  IntOp $7 $6 - $4
  IntOp $7 $7 * 2
  IntOp $5 $5 - $3
  IntOp $6 $6 - $4
  IntOp $6 $6 + $7
  System::Call 'user32::SetWindowPos(p r2, p 0, i r3, i r4, i r5, i r6, i 0x14)'
  !insertmacro TOLV_MOVE_DOWN 1029
  !insertmacro TOLV_MOVE_DOWN 1000
  System::Free $1
FunctionEnd

!macro TOLV_DELETE FILE
  Delete "$INSTDIR\${FILE}"
!macroend

Section Uninstall
  SetShellVarContext current
  ReadRegStr $TolvMenu HKCU "${TOLV_UNINSTALL_ROOT}\$TolvEntry" "StartMenu"
  !insertmacro TOLV_FILES TOLV_DELETE
  !insertmacro TOLV_FOLDERS TOLV_RMDIR
  RMDir "$INSTDIR"
  ${If} $TolvMenu != ""
    !insertmacro TOLV_DELETE_LINKS $TolvMenu
    RMDir "$SMPROGRAMS\$TolvMenu"
  ${EndIf}
  DeleteRegKey HKCU "${TOLV_UNINSTALL_ROOT}\$TolvEntry"
  ; The folder installed last is forgotten when it is this one.
  ReadRegStr $0 HKCU "${TOLV_LAST_KEY}" ""
  ${If} $0 == $INSTDIR
    DeleteRegKey HKCU "${TOLV_LAST_KEY}"
  ${EndIf}
SectionEnd
