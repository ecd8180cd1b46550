; TOLVStrel's part of the installer script. Windows.cmake includes it in its copy of CPack's NSIS
; template, after defining TOLV_NAME, TOLV_UNINSTALLER, TOLV_VENDOR_KEY, TOLV_DEFAULT_DIR and
; TOLV_SIGN, and hooks the functions and macros below into that template.
;
; Language. The installer holds English and Japanese only, English first and so the default: NSIS
; takes the language of the user's Windows display language when it starts, Japanese on a Japanese
; Windows, English on any other. The uninstaller does the same when it starts, so an installed copy's
; uninstaller speaks the language of whoever runs it, whatever the installer spoke. No language
; dialog, and /S needs none. The texts are in installer-texts.nsh.
;
; More than one installed copy. The launcher works in its own folder (run.dat, solver.bat and the
; suite's programs lie beside it), and engineers may keep a folder per project or per version of
; the suite. So each folder is an installation of its own, with its own uninstall entry (the key
; "TOLVStrel" for the first, "TOLVStrel-2", "TOLVStrel-3", ... for others; a folder's entry is the one
; whose UninstallString names its uninstaller) and its own Start-menu folder ("TOLVStrel",
; "TOLVStrel (2)", ...). Installing into a folder that holds an installation updates it in place and
; keeps its entry and Start-menu folder; without /D=, interactive or silent, the installer offers the
; folder installed last. An uninstaller removes only its own entry and Start-menu folder, and only
; the files it installed: run.dat, solver.bat and the programs copied in stay, and so the folder.

!include LogicLib.nsh
!include /CHARSET=UTF8 "${__FILEDIR__}/installer-texts.nsh"

!define TOLV_UNINSTALL_ROOT "Software\Microsoft\Windows\CurrentVersion\Uninstall"
Var TolvEntry ; this folder's uninstall entry, a key under TOLV_UNINSTALL_ROOT
Var TolvMenu  ; this folder's Start-menu folder

; sign.cmake signs the installer, and the uninstaller before the installer takes it in, when a
; certificate is given (TOLV_SIGN_PFX); without one it does nothing.
!finalize '${TOLV_SIGN}' = 0
!uninstfinalize '${TOLV_SIGN}' = 0

InstallDirRegKey HKCU "${TOLV_VENDOR_KEY}" ""
; The product and version at the bottom of the pages, where NSIS names itself otherwise. (CPack's
; CPACK_NSIS_BRANDING_TEXT always asks for a trim that makensis offers on Windows only.)
BrandingText "${TOLV_NAME} ${VERSION}"

; Texts and callbacks of the pages, defined just before each page. MUI 1 shows the welcome and finish
; texts through InstallOptions, which reads \r\n in them as a line break.
!macro TOLV_BEFORE_MUI_PAGE_WELCOME
  !define MUI_WELCOMEPAGE_TEXT "$(TolvWelcomeText)"
!macroend
!macro TOLV_BEFORE_MUI_PAGE_DIRECTORY
  !define MUI_PAGE_CUSTOMFUNCTION_SHOW TolvInstallButton
  !define MUI_PAGE_HEADER_SUBTEXT "$(TolvDirectorySubtitle)"
  !define MUI_DIRECTORYPAGE_TEXT_TOP "$(TolvDirectoryText)"
  !define MUI_DIRECTORYPAGE_TEXT_DESTINATION "$(TolvDirectoryLabel)"
!macroend
; The Start-menu folder follows from the installation folder (TolvChooseEntry) and is not asked.
!macro TOLV_BEFORE_MUI_PAGE_STARTMENU
  !define MUI_PAGE_CUSTOMFUNCTION_PRE TolvSkipPage
!macroend
!macro TOLV_BEFORE_MUI_PAGE_INSTFILES
  !define MUI_PAGE_HEADER_SUBTEXT "$(TolvInstallingSubtitle)"
  !define MUI_INSTFILESPAGE_FINISHHEADER_SUBTEXT "$(TolvInstalledSubtitle)"
!macroend
!macro TOLV_BEFORE_MUI_PAGE_FINISH
  !define MUI_FINISHPAGE_TEXT "$(TolvFinishText)"
!macroend
!macro TOLV_BEFORE_MUI_UNPAGE_CONFIRM
  !define MUI_PAGE_HEADER_SUBTEXT "$(TolvUnConfirmSubtitle)"
  !define MUI_UNCONFIRMPAGE_TEXT_TOP "$(TolvUnConfirmText)"
  !define MUI_UNCONFIRMPAGE_TEXT_LOCATION "$(TolvUnConfirmLocation)"
!macroend
!macro TOLV_BEFORE_MUI_UNPAGE_INSTFILES
  !define MUI_PAGE_HEADER_SUBTEXT "$(TolvUninstallingSubtitle)"
  !define MUI_INSTFILESPAGE_FINISHHEADER_SUBTEXT "$(TolvUninstalledSubtitle)"
!macroend

Function TolvSkipPage
  Abort
FunctionEnd

; The directory page is the last before the installation (the Start-menu page is skipped): its
; button says so, as NSIS's own would on the last page.
Function TolvInstallButton
  Push $R0
  GetDlgItem $R0 $HWNDPARENT 1
  SendMessage $R0 ${WM_SETTEXT} 0 "STR:$(^InstallBtn)"
  Pop $R0
FunctionEnd

; "インストール(&I)", "アンインストール(&U)" in full-width katakana do not fit the width of NSIS's
; buttons (its Japanese file has the latter in half-width katakana for that): in Japanese, the
; button that starts, ends and closes is made half again as wide, to the left, and Back moves along.
!define MUI_CUSTOMFUNCTION_GUIINIT TolvWidenButton
!define MUI_CUSTOMFUNCTION_UNGUIINIT un.TolvWidenButton
!macro TOLV_WIDEN_BUTTON UN
Function ${UN}TolvWidenButton
  ${IfThen} $LANGUAGE != 1041 ${|} Return ${|}
  System::Call '*(i, i, i, i) p .r0'
  GetDlgItem $1 $HWNDPARENT 1
  System::Call 'user32::GetWindowRect(p r1, p r0)'
  System::Call 'user32::MapWindowPoints(p 0, p $HWNDPARENT, p r0, i 2)'
  System::Call '*$0(i .r2, i .r3, i .r4, i .r5)'
  IntOp $6 $4 - $2
  IntOp $6 $6 / 2
  IntOp $2 $2 - $6
  IntOp $4 $4 - $2
  IntOp $5 $5 - $3
  System::Call 'user32::SetWindowPos(p r1, p 0, i r2, i r3, i r4, i r5, i 0x14)'
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

!macro TOLV_ENTRY_FUNCTIONS UN
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
!macroend
!insertmacro TOLV_ENTRY_FUNCTIONS ""
!insertmacro TOLV_ENTRY_FUNCTIONS "un."

; Before anything is installed: this folder's entry and Start-menu folder, those it has when it holds
; an installation, else the first entry name and the first Start-menu folder that are free.
Function TolvChooseEntry
  Push $R0
  Push $R1
  Push $R2
  Push $R3
  Push $R4
  Call TolvFindEntry
  StrCpy $TolvMenu ""
  ${If} $TolvEntry != ""
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
  StrCpy $STARTMENU_FOLDER $TolvMenu
  Pop $R4
  Pop $R3
  Pop $R2
  Pop $R1
  Pop $R0
FunctionEnd

; After CPack's values of the entry: its name in the list of installed apps shows the folder when it
; is not the default one, and the publisher and comment are in the installer's language.
Function TolvWriteEntry
  Push $R0
  StrCpy $R0 "${TOLV_NAME}"
  ${If} $INSTDIR != "${TOLV_DEFAULT_DIR}"
    StrCpy $R0 "${TOLV_NAME} ($INSTDIR)"
  ${EndIf}
  WriteRegStr HKCU "${TOLV_UNINSTALL_ROOT}\$TolvEntry" "DisplayName" $R0
  WriteRegStr HKCU "${TOLV_UNINSTALL_ROOT}\$TolvEntry" "Publisher" "$(TolvPublisher)"
  WriteRegStr HKCU "${TOLV_UNINSTALL_ROOT}\$TolvEntry" "Comments" "$(TolvDescription)"
  WriteRegStr HKCU "${TOLV_UNINSTALL_ROOT}\$TolvEntry" "InstallLocation" $INSTDIR
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
!macroend

; The launcher's link, started in the application folder (SetOutPath sets the working folder that a
; link records), and the user guide's when it is installed. The template adds the uninstaller's.
Function TolvCreateLinks
  !insertmacro TOLV_DELETE_LINKS $STARTMENU_FOLDER
  SetOutPath "$INSTDIR"
  CreateShortCut "$SMPROGRAMS\$STARTMENU_FOLDER\${TOLV_NAME}.lnk" "$INSTDIR\${TOLV_NAME}.exe" "" \
    "$INSTDIR\${TOLV_NAME}.exe" 0 SW_SHOWNORMAL "" "$(TolvDescription)"
  ${If} ${FileExists} "$INSTDIR\docs\ja\guide.html"
    CreateShortCut "$SMPROGRAMS\$STARTMENU_FOLDER\$(TolvGuideLink).lnk" "$INSTDIR\docs\ja\guide.html"
  ${EndIf}
FunctionEnd

; The uninstaller's entry, found before its pages; a made-up name that no installer gives when it
; has none, so that nothing of another installation is read or removed.
Function un.TolvInit
  Call un.TolvFindEntry
  ${IfThen} $TolvEntry == "" ${|} StrCpy $TolvEntry "${TOLV_NAME}-0" ${|}
FunctionEnd

; The folder installed last is forgotten when it is this one.
Function un.TolvForgetFolder
  Push $R0
  ReadRegStr $R0 HKCU "${TOLV_VENDOR_KEY}" ""
  ${If} $R0 == $INSTDIR
    DeleteRegKey HKCU "${TOLV_VENDOR_KEY}"
  ${EndIf}
  Pop $R0
FunctionEnd
