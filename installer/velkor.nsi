; Velkor-setup.exe: installs Velkor.exe, its log-on companion Arbolt.exe and a
; read-me on Windows 95/98/ME, and writes the uninstaller that takes them, the
; settings and the boot-time clock records away again.
;
;   makensis -DVELKOR_EXE=... -DARBOLT_EXE=... -DREADME=... -DICON=...
;            -DRESOURCE_H=... -DOUTFILE=... velkor.nsi
;
; The companion answers for the program: "-running" says whether Velkor runs,
; "-board" whether this computer has a board Velkor drives, and "-uninstall"
; removes the boot records, so that neither the window title rule, the board
; list nor the display driver's key is copied into this script. Both the
; setup and the uninstaller run their own copy of it from their temporary
; folder, which works whatever is left of an installation.
;
; Silent use: /S, /TRAY (the tray start at log-on) and /D=FOLDER (last,
; unquoted, spaces allowed). Exit codes: 0 done; 5 Velkor runs; 6 the folder
; was refused (it holds another program's files under Velkor's names, or its
; name is longer than 244 characters); 7 a file could not be written. With 5
; and 6 nothing was changed; with 7 no setting, shortcut or Add/Remove entry
; was written. The uninstaller: 0 done; 5 Velkor runs; 2 its companion could
; not run: nothing was removed.

Unicode false  ; NSIS 3's Unicode installers do not run on the 9x line
SetCompressor /SOLID lzma
RequestExecutionLevel admin  ; HKLM and Program Files on the NT line; 9x ignores it

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"
!include "Sections.nsh"

; The one version: Velkor.exe's own version block.
!getdllversion "${VELKOR_EXE}" VelkorVersion_
!define VERSION "${VelkorVersion_1}.${VelkorVersion_2}.${VelkorVersion_3}.${VelkorVersion_4}"
; The maker's web address, where Velkor's own link takes it from.
!searchparse /file "${RESOURCE_H}" '#define VELKOR_WEB_URL "' WEB_URL '"'

!define SETTINGS_KEY "SOFTWARE\Ostrane\Velkor"
!define UNINSTALL_KEY "SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Velkor"
!define VELKOR_RUNNING 5  ; the companion's exit code when Velkor runs, and ours then
!define FOLDER_REFUSED 6
!define FILE_NOT_WRITTEN 7
; The Run entry holds "Path" + "\Arbolt.exe" in 255 characters, and the
; uninstaller's own path stays within MAX_PATH with it.
!define MAX_FOLDER_LENGTH 244
!define RUNNING_TEXT "Velkor is running. Please exit it first (right-click its tray icon, then Exit) and click Retry."

Name "Velkor"
Caption "Velkor ${VERSION} Setup"
UninstallCaption "Velkor ${VERSION} Uninstall"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\Ostrane\Velkor"
; Installing again offers the folder of the installation already there, by
; its long name ("Path" holds the short one).
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Velkor ${VERSION}"

VIProductVersion "${VERSION}"
VIAddVersionKey "ProductName" "Velkor"
VIAddVersionKey "CompanyName" "Ostrane"
VIAddVersionKey "FileDescription" "Velkor Setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "Ostrane"

; The program's own icon, on the setup program, its pages and the uninstaller.
!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_ABORTWARNING_TEXT "Are you sure you want to quit Velkor Setup? Nothing has been installed."
!define MUI_UNABORTWARNING
!define MUI_COMPONENTSPAGE_SMALLDESC

!define MUI_WELCOMEPAGE_TITLE "Welcome to Velkor ${VERSION} Setup"
!define MUI_WELCOMEPAGE_TEXT "Velkor changes the graphics core and memory clocks of NVIDIA RIVA TNT, TNT2, Vanta and GeForce 256 boards on Windows 95, 98 and ME.$\r$\n$\r$\nIf Velkor is running, please exit it first (right-click its tray icon, then Exit).$\r$\n$\r$\nClick Next to continue."
!insertmacro MUI_PAGE_WELCOME

!define MUI_PAGE_HEADER_TEXT "Read Me"
!define MUI_PAGE_HEADER_SUBTEXT "What Velkor does, and what to know before you install it."
!define MUI_LICENSEPAGE_TEXT_TOP "This text is also installed as ReadMe.txt in Velkor's folder."
!define MUI_LICENSEPAGE_TEXT_BOTTOM "Click Next to continue."
!define MUI_LICENSEPAGE_BUTTON "$(^NextBtn)"
!insertmacro MUI_PAGE_LICENSE "${README}"

Page custom NoBoardPage

!define MUI_COMPONENTSPAGE_TEXT_TOP "Choose what Setup installs, then click Next."
!insertmacro MUI_PAGE_COMPONENTS

!define MUI_PAGE_CUSTOMFUNCTION_LEAVE FolderPageLeave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES

!define MUI_FINISHPAGE_RUN "$INSTDIR\Velkor.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Run Velkor"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\ReadMe.txt"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Show read-me"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!insertmacro MUI_PAGE_FINISH

!define MUI_UNCONFIRMPAGE_TEXT_TOP "Velkor will be removed from the folder below. Its settings and the clock records it left for the next start of Windows go with it, so the graphics board starts at its default clocks again."
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

Var BoardFound      ; 1, or 0 when the companion found no board it drives
Var EarlierFolder   ; an installation elsewhere to remove first, "" for none
Var Refusal         ; why the folder cannot take Velkor, "" when it can

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

; The short (8.3) form of an existing folder in $R3, "" when it has none.
!macro SHORT_FORM FOLDER
  ClearErrors
  GetFullPathName /SHORT $R3 "${FOLDER}"
  ${If} ${Errors}
    StrCpy $R3 ""
  ${EndIf}
!macroend

; $EarlierFolder: the folder of an installation other than the one in
; $INSTDIR that its own uninstaller can remove; "" when there is none.
; $R2 is 1 when $INSTDIR is the installation's own folder.
Function FindEarlierInstallation
  StrCpy $EarlierFolder ""
  StrCpy $R2 0
  ReadRegStr $R4 HKLM "${SETTINGS_KEY}" "Path"
  ${If} $R4 == ""
    Return
  ${EndIf}
  !insertmacro SHORT_FORM "$R4"
  StrCpy $R4 $R3
  !insertmacro SHORT_FORM "$INSTDIR"
  ${If} $R4 != ""
  ${AndIf} $R4 == $R3  ; without regard to case, as Windows compares names
    StrCpy $R2 1
  ${ElseIf} $R4 != ""
  ${AndIf} ${FileExists} "$R4\Uninstall.exe"
    StrCpy $EarlierFolder $R4
  ${EndIf}
FunctionEnd

; $Refusal: why $INSTDIR cannot take Velkor, "" when it can. Velkor never
; writes over a file it did not install: its names in a folder other than
; its own installation's belong to another program.
Function CheckFolder
  StrCpy $Refusal ""
  StrLen $R0 "$INSTDIR"
  ${If} $R0 > ${MAX_FOLDER_LENGTH}
    StrCpy $Refusal "The folder name is $R0 characters long. Windows starts Velkor's log-on program from a folder of at most ${MAX_FOLDER_LENGTH} characters: please choose a shorter one."
    Return
  ${EndIf}
  Call FindEarlierInstallation
  ${If} $R2 == 1
    Return
  ${EndIf}
  ${ForEach} $R1 1 4 + 1
    ${Select} $R1
      ${Case} 1
        StrCpy $R5 "Velkor.exe"
      ${Case} 2
        StrCpy $R5 "Arbolt.exe"
      ${Case} 3
        StrCpy $R5 "ReadMe.txt"
      ${Case} 4
        StrCpy $R5 "Uninstall.exe"
    ${EndSelect}
    ${If} ${FileExists} "$INSTDIR\$R5"
      StrCpy $Refusal "The folder $INSTDIR already holds a file named $R5 that Velkor did not install. Setup would replace it: please choose another folder."
      Return
    ${EndIf}
  ${Next}
FunctionEnd

Function FolderPageLeave
  Call CheckFolder
  ${If} $Refusal != ""
    MessageBox MB_OK|MB_ICONEXCLAMATION "$Refusal"
    Abort
  ${EndIf}
  ${If} $EarlierFolder != ""
    ReadRegStr $R6 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $R6 == ""
      StrCpy $R6 $EarlierFolder
    ${EndIf}
    MessageBox MB_OKCANCEL|MB_ICONQUESTION "Velkor is already installed in $R6.$\r$\n$\r$\nSetup removes that installation first, with its settings and kept clocks, so that only one remains." IDOK +2
    Abort
  ${EndIf}
FunctionEnd

; Shown only when the companion found no board: the user learns it now, not
; from a Velkor that ends without a word at every start.
Function NoBoardPage
  ${If} $BoardFound == 1
    Abort
  ${EndIf}
  !insertmacro MUI_HEADER_TEXT "No supported graphics board found" "Velkor cannot change the clocks of this computer."
  nsDialogs::Create 1018
  Pop $R0
  ${NSD_CreateLabel} 0 0 100% 100% "Setup found no graphics board in this computer that Velkor can drive. Velkor supports these NVIDIA boards:$\r$\n$\r$\n    RIVA TNT, RIVA TNT2, RIVA TNT2 Ultra$\r$\n    Vanta, TNT2 M64$\r$\n    GeForce 256 and GeForce 256 DDR$\r$\n$\r$\non Windows 95, 98 and ME.$\r$\n$\r$\nOn this computer Velkor will end without showing a window when you start it. Click Next to install it anyway, or Cancel to quit Setup."
  Pop $R0
  nsDialogs::Show
FunctionEnd

; The earlier installation goes through its own uninstaller, in place so
; that it can be waited for; that leaves the uninstaller and its folder.
Function RemoveEarlierInstallation
  ${If} $EarlierFolder == ""
    Return
  ${EndIf}
  DetailPrint "Removing the installation in $EarlierFolder"
  ClearErrors
  ExecWait '"$EarlierFolder\Uninstall.exe" /S _?=$EarlierFolder' $R0
  ${If} $R0 == ${VELKOR_RUNNING}
    SetErrorLevel ${VELKOR_RUNNING}
    Abort "Velkor is running. Please exit it first, then run Setup again."
  ${EndIf}
  ${IfNot} ${Errors}
    Delete "$EarlierFolder\Uninstall.exe"
    RMDir "$EarlierFolder"
    RMDir "$PROGRAMFILES\Ostrane"  ; as the uninstaller would, had it not been kept
  ${EndIf}
FunctionEnd

Section "Velkor" SecVelkor
  SectionIn RO
  Call RemoveEarlierInstallation

  ; Every file first: a folder that cannot take them all gets no setting,
  ; shortcut or Add/Remove entry that would name files not there.
  SetOutPath "$INSTDIR"
  ClearErrors
  File "/oname=Velkor.exe" "${VELKOR_EXE}"
  File "/oname=Arbolt.exe" "${ARBOLT_EXE}"
  File "/oname=ReadMe.txt" "${README}"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  ${If} ${Errors}
    SetErrorLevel ${FILE_NOT_WRITTEN}
    MessageBox MB_OK|MB_ICONSTOP "Setup could not write Velkor's files to $INSTDIR." /SD IDOK
    Abort "Setup could not write Velkor's files."
  ${EndIf}

  ; Where Velkor's log-on entry finds Arbolt.exe, by the folder's short
  ; name: an entry without blanks starts the same way on every Windows. The
  ; user's limits, flag and kept clocks beside it stay as they are.
  !insertmacro SHORT_FORM "$INSTDIR"
  ${If} $R3 == ""
    StrCpy $R3 "$INSTDIR"
  ${EndIf}
  WriteRegStr HKLM "${SETTINGS_KEY}" "Path" "$R3"

  CreateDirectory "$SMPROGRAMS\Velkor"
  CreateShortcut "$SMPROGRAMS\Velkor\Velkor.lnk" "$INSTDIR\Velkor.exe"
  CreateShortcut "$SMPROGRAMS\Velkor\Read me.lnk" "$INSTDIR\ReadMe.txt"
  CreateShortcut "$SMPROGRAMS\Velkor\Uninstall Velkor.lnk" "$INSTDIR\Uninstall.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Velkor"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Ostrane"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "URLInfoAbout" "${WEB_URL}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Velkor.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  ; The folder's size for Add/Remove Programs, in KB, measured with NSIS's
  ; own instructions: a plug-in (System.dll) might fail to load on Windows 95,
  ; and NSIS would go on with whatever the stack then held.
  StrCpy $R0 0
  FindFirst $R1 $R2 "$INSTDIR\*.*"
  ${DoWhile} $R2 != ""
    ClearErrors
    FileOpen $R3 "$INSTDIR\$R2" r  ; fails on the folder entries . and ..
    ${IfNot} ${Errors}
      FileSeek $R3 0 END $R4
      FileClose $R3
      IntOp $R4 $R4 + 1023
      IntOp $R4 $R4 / 1024
      IntOp $R0 $R0 + $R4
    ${EndIf}
    FindNext $R1 $R2
  ${Loop}
  FindClose $R1
  ClearErrors
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $R0
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

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecVelkor} "Velkor, Arbolt.exe that sets kept clocks again at log-on, the read-me and Start-menu shortcuts."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecTray} "Starts Velkor hidden in the tray (Velkor -q) every time you log on."
!insertmacro MUI_FUNCTION_DESCRIPTION_END

Function .onInit
  ; Velkor's records are the machine's, so are its shortcuts.
  SetShellVarContext all
  InitPluginsDir
  File "/oname=$PLUGINSDIR\Arbolt.exe" "${ARBOLT_EXE}"
  StrCpy $R0 "$PLUGINSDIR\Arbolt.exe"
  Call VelkorMustNotRun

  ${If} ${Silent}
    ; Nobody to ask: a folder that cannot take Velkor is left as it was, and
    ; an earlier installation elsewhere is simply replaced.
    Call CheckFolder
    ${If} $Refusal != ""
      SetErrorLevel ${FOLDER_REFUSED}
      Quit
    ${EndIf}
  ${Else}
    ; A companion that cannot be started cannot tell: no page then.
    StrCpy $BoardFound 1
    ClearErrors
    ExecWait '"$R0" -board' $R1
    ${IfNot} ${Errors}
    ${AndIf} $R1 == 1
      StrCpy $BoardFound 0
    ${EndIf}
  ${EndIf}

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
  ; The uninstaller's own companion: the boot records go, and the question
  ; is asked, even when the installed Arbolt.exe is gone.
  InitPluginsDir
  File "/oname=$PLUGINSDIR\Arbolt.exe" "${ARBOLT_EXE}"
  StrCpy $R0 "$PLUGINSDIR\Arbolt.exe"
  ; Silent runs are asked once, by the removal itself.
  ${IfNot} ${Silent}
    Call un.VelkorMustNotRun
  ${EndIf}
FunctionEnd

Section "Uninstall"
  ; The boot records first, while the settings key still shows what Velkor
  ; wrote: the board boots at its default clocks again. The companion does
  ; nothing while Velkor runs, which may have started since the question.
  ; The log-on entry is this installation's when it names the installed
  ; Arbolt.exe, not the copy that runs.
  ClearErrors
  ExecWait '"$PLUGINSDIR\Arbolt.exe" -uninstall "$INSTDIR\Arbolt.exe"' $0
  ${If} ${Errors}
    ; The settings key is the only proof of which records are Velkor's:
    ; it stays until they can be removed.
    SetErrorLevel 2
    MessageBox MB_OK|MB_ICONSTOP "Velkor's clock records could not be removed. Nothing was changed." /SD IDOK
    Quit
  ${EndIf}
  ${If} $0 == ${VELKOR_RUNNING}
    MessageBox MB_OK|MB_ICONEXCLAMATION "Velkor is running. Please exit it first, then uninstall again." /SD IDOK
    SetErrorLevel ${VELKOR_RUNNING}
    Quit
  ${EndIf}

  Delete "$SMSTARTUP\Velkor.lnk"
  Delete "$SMPROGRAMS\Velkor\Velkor.lnk"
  Delete "$SMPROGRAMS\Velkor\Read me.lnk"
  Delete "$SMPROGRAMS\Velkor\Uninstall Velkor.lnk"
  RMDir "$SMPROGRAMS\Velkor"

  ; Only the files the setup wrote; the folders only when nothing else is in them.
  Delete "$INSTDIR\Velkor.exe"
  Delete "$INSTDIR\Arbolt.exe"
  Delete "$INSTDIR\ReadMe.txt"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  RMDir "$PROGRAMFILES\Ostrane"

  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  DeleteRegKey HKLM "${SETTINGS_KEY}"
  DeleteRegKey /ifempty HKLM "SOFTWARE\Ostrane"
SectionEnd
