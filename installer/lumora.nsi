; Lumora's installer: installs for the current user, without elevation, into
; the user's local programs folder; updates an earlier installation in place
; and keeps the user's settings. installer/CMakeLists.txt builds it with:
;   ARCH       x86-unicode (the shipped installer) or amd64-unicode
;   STAGE      the program folder to install
;   GENERATED  the folder of program_files.nsh, written from STAGE
;   PLUGINS    the folder of LumoraSetup.dll, built for ARCH
;   WIZARD_BITMAP  the picture of the welcome and finish pages (164 x 314)
;   OUTFILE    the installer to write
;   VERSION    optional: the version this installer claims; without it, the
;              version resource of STAGE's Lumora.exe
; Silent use: "setup.exe /S [/D=folder]" installs, "uninstall.exe /S" removes.

Unicode true
Target ${ARCH}
!addplugindir "${PLUGINS}"

!ifndef VERSION
  !getdllversion "${STAGE}/Lumora.exe" LUMORA_VERSION_
  !define VERSION "${LUMORA_VERSION_1}.${LUMORA_VERSION_2}.${LUMORA_VERSION_3}.${LUMORA_VERSION_4}"
!endif

!include "${GENERATED}/program_files.nsh"
!include MUI2.nsh
!include LogicLib.nsh

!define PRODUCT "Lumora"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Lumora"
; The program's own key (feedback time, association records).
!define PRODUCT_KEY "Software\Lumora"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
BrandingText "${PRODUCT} ${VERSION}"
RequestExecutionLevel user
ManifestDPIAware true
ManifestSupportedOS all
SetCompressor /SOLID lzma
InstallDir "$LOCALAPPDATA\Programs\Lumora"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"

; The folder of an earlier installation, and whether this run updates it.
Var PreviousFolder
Var Updating

!define MUI_ICON "${__FILEDIR__}/../resources/lumora.ico"
!define MUI_UNICON "${__FILEDIR__}/../resources/lumora.ico"
!define MUI_WELCOMEFINISHPAGE_BITMAP "${WIZARD_BITMAP}"
!define MUI_ABORTWARNING

!insertmacro MUI_PAGE_WELCOME
!define MUI_PAGE_CUSTOMFUNCTION_PRE SkipFolderPageOnUpdate
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "$(StartLumora)"
!define MUI_FINISHPAGE_RUN_FUNCTION StartLumora
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; The installer speaks the user's language when it is one of these.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "SimpChinese"
!include "${__FILEDIR__}/languages.nsh"

VIProductVersion "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "Copyright (C) 2026 ${PRODUCT}"

; EndPrograms (folder on the stack): the programs running from the folder
; are closed, after the user agreed; aborts when some cannot be ended.
!macro END_PROGRAMS_FUNCTION PREFIX CLOSE_TEXT
Function ${PREFIX}EndPrograms
  Exch $0
  Push $1
  LumoraSetup::CountPrograms "$0"
  Pop $1
  ${If} $1 > 0
    MessageBox MB_OKCANCEL|MB_ICONINFORMATION "$(${CLOSE_TEXT})" /SD IDOK IDOK close
    Abort
  close:
    LumoraSetup::EndPrograms "$0"
    Pop $1
    ${If} $1 > 0
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(LumoraStillRuns)" /SD IDCANCEL IDRETRY close
      Abort
    ${EndIf}
  ${EndIf}
  Pop $1
  Pop $0
FunctionEnd
!macroend
!insertmacro END_PROGRAMS_FUNCTION "" CloseForSetup
!insertmacro END_PROGRAMS_FUNCTION "un." CloseForRemoval

Function .onInit
  ; One installer at a time.
  System::Call 'kernel32::CreateMutexW(p 0, i 0, w "LumoraSetup-6c0f27a9d41e83b5") p .r0 ?e'
  Pop $1
  ${If} $1 = 183
    MessageBox MB_OK|MB_ICONEXCLAMATION "$(SetupRuns)" /SD IDOK
    Abort
  ${EndIf}

  StrCpy $Updating 0
  ReadRegStr $PreviousFolder HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ; An update goes where the installed version is, whatever /D says: the
  ; file associations name that folder.
  ${If} $PreviousFolder != ""
  ${AndIf} ${FileExists} "$PreviousFolder\Lumora.exe"
    StrCpy $Updating 1
    StrCpy $INSTDIR $PreviousFolder
  ${EndIf}
FunctionEnd

Function SkipFolderPageOnUpdate
  ${If} $Updating = 1
    Abort
  ${EndIf}
FunctionEnd

Function StartLumora
  ${If} $Updating = 1
    Exec '"$INSTDIR\Lumora.exe" --from=upinstall'
  ${Else}
    Exec '"$INSTDIR\Lumora.exe" --from=newinstall'
  ${EndIf}
FunctionEnd

Section
  SetShellVarContext current
  Push "$INSTDIR"
  Call EndPrograms

  SetOutPath "$INSTDIR"
  File /r "${STAGE}/*"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\Lumora.exe" "--from=startmenu" \
      "$INSTDIR\Lumora.exe" 0

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Lumora.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" ${PROGRAM_SIZE_KB}

  ; The program's first run: it makes itself the default viewer by its own
  ; rules. An update keeps what the user chose since.
  ${If} $Updating = 0
    ExecWait '"$INSTDIR\Lumora.exe" /install'
  ${EndIf}
SectionEnd

Section Uninstall
  SetShellVarContext current
  Push "$INSTDIR"
  Call un.EndPrograms

  ; The program undoes its association and deletes its data folder.
  ${If} ${FileExists} "$INSTDIR\Lumora.exe"
    ExecWait '"$INSTDIR\Lumora.exe" /uninstall'
  ${EndIf}

  ; The shortcut and the entries belong to this folder's installation only
  ; while they still name it.
  ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 == ""
  ${OrIf} $0 == $INSTDIR
    Delete "$SMPROGRAMS\${PRODUCT}.lnk"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
    DeleteRegKey HKCU "${PRODUCT_KEY}"
  ${EndIf}

  ; File by file: whatever else the folder holds stays.
  !insertmacro REMOVE_PROGRAM_FILES "$INSTDIR"
  Delete "$INSTDIR\config.ini"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
SectionEnd
