; Velkor-setup.exe: installs Velkor.exe, its log-on companion Arbolt.exe and a
; read-me on Windows 95/98, and writes the uninstaller that takes them, the
; settings and the boot-time clock records away again.
;
;   makensis -DVELKOR_EXE=... -DARBOLT_EXE=... -DREADME=... -DICON=... -DOUTFILE=... velkor.nsi
;
; The companion answers for the program: "-running" says whether Velkor runs
; and "-uninstall" removes the boot records, so that neither the window title
; rule nor the display driver's key is copied into this script.
;
; Silent use: /S, /D=FOLDER (last, unquoted, spaces allowed) and /TRAY (the
; tray start at log-on). Exit code 5: Velkor runs, nothing was changed.

Unicode false  ; NSIS 3's Unicode installers do not run on the 9x line
SetCompressor /SOLID lzma
RequestExecutionLevel admin  ; HKLM and Program Files on the NT line; 9x ignores it

!include "FileFunc.nsh"
!include "LogicLib.nsh"
!include "Sections.nsh"

; The one version: Velkor.exe's own version block.
!getdllversion "${VELKOR_EXE}" VelkorVersion_
!define VERSION "${VelkorVersion_1}.${VelkorVersion_2}.${VelkorVersion_3}.${VelkorVersion_4}"

!define SETTINGS_KEY "SOFTWARE\Ostrane\Velkor"
!define UNINSTALL_KEY "SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Velkor"
!define VELKOR_RUNNING 5  ; the companion's exit code when Velkor runs, and ours then
!define RUNNING_TEXT "Velkor is running. Please exit it first (right-click its tray icon, then Exit) and click Retry."

Name "Velkor"
; The program's own icon, on the setup program, its pages and the uninstaller.
Icon "${ICON}"
UninstallIcon "${ICON}"
Caption "Velkor ${VERSION} Setup"
UninstallCaption "Velkor ${VERSION} Uninstall"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\Ostrane\Velkor"
; Installing again goes to the folder of the installation already there.
InstallDirRegKey HKLM "${SETTINGS_KEY}" "Path"

VIProductVersion "${VERSION}"
VIAddVersionKey "ProductName" "Velkor"
VIAddVersionKey "CompanyName" "Ostrane"
VIAddVersionKey "FileDescription" "Velkor Setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "Ostrane"

Page components
Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; Asks the companion $R0 whether Velkor runs until it does not; the user may
; give up, and a silent run gives up at once: exit code 5, nothing changed.
; A companion that cannot be started cannot tell: the run goes on.
!macro VELKOR_MUST_NOT_RUN UN
Function ${UN}VelkorMustNotRun
  again:
    ClearErrors
    ExecWait '"$R0" -running' $R1
    ${If} ${Errors}
    ${OrIf} $R1 != ${VELKOR_RUNNING}
      Return
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${RUNNING_TEXT}" /SD IDCANCEL IDRETRY again
    SetErrorLevel ${VELKOR_RUNNING}
    Quit
FunctionEnd
!macroend
!insertmacro VELKOR_MUST_NOT_RUN ""
!insertmacro VELKOR_MUST_NOT_RUN "un."

Section "Velkor" SecVelkor
  SectionIn RO
  SetOutPath "$INSTDIR"
  File "/oname=Velkor.exe" "${VELKOR_EXE}"
  File "/oname=Arbolt.exe" "${ARBOLT_EXE}"
  File "/oname=ReadMe.txt" "${README}"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  ; Where Velkor's log-on entry finds Arbolt.exe. The user's limits, flag and
  ; kept clocks beside it stay as they are.
  WriteRegStr HKLM "${SETTINGS_KEY}" "Path" "$INSTDIR"

  CreateDirectory "$SMPROGRAMS\Velkor"
  CreateShortcut "$SMPROGRAMS\Velkor\Velkor.lnk" "$INSTDIR\Velkor.exe"
  CreateShortcut "$SMPROGRAMS\Velkor\Uninstall Velkor.lnk" "$INSTDIR\Uninstall.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Velkor"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Ostrane"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Velkor.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section /o "Start Velkor in the tray at log-on" SecTray
  CreateShortcut "$SMSTARTUP\Velkor.lnk" "$INSTDIR\Velkor.exe" "-q"
SectionEnd

; Unticked on a reinstall: the tray start chosen before goes.
Section "-TrayStartOff"
  ${IfNot} ${SectionIsSelected} ${SecTray}
    Delete "$SMSTARTUP\Velkor.lnk"
  ${EndIf}
SectionEnd

Function .onInit
  ; Velkor's records are the machine's, so are its shortcuts.
  SetShellVarContext all
  InitPluginsDir
  File "/oname=$PLUGINSDIR\Arbolt.exe" "${ARBOLT_EXE}"
  StrCpy $R0 "$PLUGINSDIR\Arbolt.exe"
  Call VelkorMustNotRun

  ; The tray start stays as the user had it, and /TRAY asks for it.
  ${If} ${FileExists} "$SMSTARTUP\Velkor.lnk"
    !insertmacro SelectSection ${SecTray}
  ${EndIf}
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/TRAY" $1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${SecTray}
  ${EndIf}
FunctionEnd

Function un.onInit
  SetShellVarContext all
  ; Silent runs are asked once, by the removal itself.
  ${IfNot} ${Silent}
    StrCpy $R0 "$INSTDIR\Arbolt.exe"
    Call un.VelkorMustNotRun
  ${EndIf}
FunctionEnd

Section "Uninstall"
  ; The boot records first, while the settings key still shows what Velkor
  ; wrote: the board boots at its default clocks again. The companion does
  ; nothing while Velkor runs, which may have started since the question.
  ${If} ${FileExists} "$INSTDIR\Arbolt.exe"
    ClearErrors
    ExecWait '"$INSTDIR\Arbolt.exe" -uninstall' $0
    ${If} $0 == ${VELKOR_RUNNING}
      MessageBox MB_OK|MB_ICONEXCLAMATION "Velkor is running. Please exit it first, then uninstall again." /SD IDOK
      SetErrorLevel ${VELKOR_RUNNING}
      Quit
    ${EndIf}
  ${EndIf}

  Delete "$SMSTARTUP\Velkor.lnk"
  Delete "$SMPROGRAMS\Velkor\Velkor.lnk"
  Delete "$SMPROGRAMS\Velkor\Uninstall Velkor.lnk"
  RMDir "$SMPROGRAMS\Velkor"

  Delete "$INSTDIR\Velkor.exe"
  Delete "$INSTDIR\Arbolt.exe"
  Delete "$INSTDIR\ReadMe.txt"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  RMDir "$PROGRAMFILES\Ostrane"  ; only when nothing else is in it

  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  DeleteRegKey HKLM "${SETTINGS_KEY}"
  DeleteRegKey /ifempty HKLM "SOFTWARE\Ostrane"
SectionEnd
