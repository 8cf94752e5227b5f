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
; Silent use: /S, /TRAY (the tray start when Windows starts) and /D=FOLDER
; (last, unquoted, spaces allowed). Exit codes: 0 done; 5 Velkor runs; 6 the
; folder was refused (it holds another program's files under Velkor's names,
; its name is longer than 244 characters, holds a character that no name
; may hold, or it cannot be made); 7 a file
; could not be written. With 5, 6 and 7 nothing was changed: the files are
; written and checked before an earlier installation elsewhere is moved, and
; what a failed run wrote goes again. NSIS itself replaces a /D folder it
; does not take (a file on the way, no such drive, a relative name) with the
; installed or default one: Setup reads /D from the command line as Windows
; gave it (its plug-in, setup_plugin.cpp) and refuses such a folder with 6.
; The uninstaller: 0 done; 5 Velkor runs; 2 its companion could not run:
; nothing was removed.

Unicode false  ; NSIS 3's Unicode installers do not run on the 9x line
SetCompressor /SOLID lzma
RequestExecutionLevel admin  ; HKLM and Program Files on the NT line; 9x ignores it

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"
!include "Sections.nsh"

; The setup's own plug-in: the real command line, a file's product name.
!addplugindir /x86-ansi "${PLUGIN_DIR}"

; The one version: Velkor.exe's own version block; shown to the user as the
; About box spells it ("1.11.00.0022"), taken from that box's template.
!getdllversion "${VELKOR_EXE}" VelkorVersion_
!define VERSION "${VelkorVersion_1}.${VelkorVersion_2}.${VelkorVersion_3}.${VelkorVersion_4}"
!searchreplace VELKOR_RC "${RESOURCE_H}" "resource.h" "velkor.rc"
!searchparse /file "${VELKOR_RC}" 'LTEXT           "Version ' SHOWN_VERSION '"'
; The read-me page shows the part to read before installing; the whole
; read-me is installed and offered at the end.
!searchreplace README_FIRST "${README}" "ReadMe.txt" "ReadMeFirst.txt"
; The maker's web address, where Velkor's own link takes it from.
!searchparse /file "${RESOURCE_H}" '#define VELKOR_WEB_URL "' WEB_URL '"'

!define SETTINGS_KEY "SOFTWARE\Ostrane\Velkor"
!define UNINSTALL_KEY "SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Velkor"
!define RUN_KEY "SOFTWARE\Microsoft\Windows\CurrentVersion\Run"
!define VELKOR_RUNNING 5  ; the companion's exit code when Velkor runs, and ours then
!define FOLDER_REFUSED 6
!define FILE_NOT_WRITTEN 7
; The Run entry holds "Path" + "\Arbolt.exe" in 255 characters, and the
; uninstaller's own path stays within MAX_PATH with it.
!define MAX_FOLDER_LENGTH 244
; "Space required" counts the uninstaller too, which Setup writes itself: the
; stub it is made from, and its script and icon (about 19 KB here; 24 allowed).
!tempfile UNINSTALLER_SIZE_NSH
!system 'printf "!define STUB_BYTES %s\n" "$(wc -c < "${NSISDIR}/Stubs/lzma_solid-x86-ansi")" > "${UNINSTALLER_SIZE_NSH}"' = 0
!include "${UNINSTALLER_SIZE_NSH}"
!delfile "${UNINSTALLER_SIZE_NSH}"
!define /math STUB_KB ${STUB_BYTES} / 1024
!define /math UNINSTALLER_KB ${STUB_KB} + 24
!define RUNNING_TEXT "Velkor is running. Please exit it first (right-click its tray icon, then Exit) and click Retry."

Name "Velkor"
Caption "Velkor ${SHOWN_VERSION} Setup"
UninstallCaption "Velkor ${SHOWN_VERSION} Uninstall"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\Ostrane\Velkor"
; Installing again offers the folder of the installation already there, by
; its long name ("Path" holds the short one).
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Velkor ${SHOWN_VERSION}"

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

!define MUI_WELCOMEPAGE_TITLE "Welcome to Velkor ${SHOWN_VERSION} Setup"
!define MUI_WELCOMEPAGE_TEXT "Velkor changes the graphics core and memory clocks of these NVIDIA boards on Windows 95, 98 and ME:$\r$\n$\r$\n    RIVA TNT, RIVA TNT2, RIVA TNT2 Ultra,$\r$\n    Vanta, TNT2 M64,$\r$\n    GeForce 256 and GeForce 256 DDR.$\r$\n$\r$\nIf Velkor is running, please exit it first (right-click its tray icon, then Exit).$\r$\n$\r$\nClick Next to continue."
!insertmacro MUI_PAGE_WELCOME

!define MUI_PAGE_HEADER_TEXT "Read Me"
!define MUI_PAGE_HEADER_SUBTEXT "What Velkor does, and what to know before you install it."
!define MUI_LICENSEPAGE_TEXT_TOP "Please read this first. The whole read-me is installed with Velkor."
!define MUI_LICENSEPAGE_TEXT_BOTTOM "Click Next to continue."
!define MUI_LICENSEPAGE_BUTTON "$(^NextBtn)"
!insertmacro MUI_PAGE_LICENSE "${README_FIRST}"

Page custom NoBoardPage

!define MUI_COMPONENTSPAGE_TEXT_TOP "Choose what Setup installs, then click Next."
!insertmacro MUI_PAGE_COMPONENTS

!define MUI_PAGE_CUSTOMFUNCTION_LEAVE FolderPageLeave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES

!define MUI_PAGE_CUSTOMFUNCTION_SHOW FinishPageShow
!define MUI_FINISHPAGE_RUN "$INSTDIR\Velkor.exe"
!define MUI_FINISHPAGE_RUN_TEXT "&Run Velkor"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\ReadMe.txt"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "&Show read-me"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!insertmacro MUI_PAGE_FINISH

!define MUI_UNCONFIRMPAGE_TEXT_TOP "Velkor will be removed from the folder below. Its settings and the clock records it left for the next start of Windows go with it, so the graphics board starts at its default clocks again."
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

Var BoardFound      ; 1, or 0 when the companion found no board it drives
Var EarlierFolder   ; Velkor's installation elsewhere, moved here: "" for none
Var EarlierDoubt    ; why a folder that "Path" names is left alone, "" for none
Var SameFolder      ; 1 when $INSTDIR is the installation's own folder
Var Refusal         ; why the folder cannot take Velkor, "" when it can
Var CreatedTop      ; the outermost folder of $INSTDIR that Setup made, "" for none

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

; $R9 is "" when the folder $R4 (short form) holds Velkor's own installation,
; as Setup leaves it: the Add/Remove entry names that folder, and the
; uninstaller's version block names Velkor and the version that entry names (another
; program's Uninstall.exe, even one written into the same folder later, has
; its own or none). Otherwise $R9 says why not. Changes $R3, $R6-$R8.
Function CheckVelkorsInstallation
  StrCpy $R9 ""
  ReadRegStr $R6 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  !insertmacro SHORT_FORM "$R6"
  ${If} $R6 == ""
  ${OrIf} $R3 != $R4
    StrCpy $R9 "Add/Remove Programs names another folder for Velkor"
    Return
  ${EndIf}
  VelkorSetup::ProductName "$R4\Uninstall.exe"
  Pop $R6
  ${If} $R6 != "Velkor"
    StrCpy $R9 "its Uninstall.exe is not Velkor's: it is not named Velkor"
    Return
  ${EndIf}
  ClearErrors
  GetDLLVersion "$R4\Uninstall.exe" $R6 $R7
  ${If} ${Errors}
    StrCpy $R9 "its Uninstall.exe is not Velkor's: it has no version"
    Return
  ${EndIf}
  IntOp $R3 $R6 >> 16
  IntOp $R6 $R6 & 0xFFFF
  IntOp $R8 $R7 >> 16
  IntOp $R7 $R7 & 0xFFFF
  StrCpy $R6 "$R3.$R6.$R8.$R7"
  ReadRegStr $R7 HKLM "${UNINSTALL_KEY}" "DisplayVersion"
  ${If} $R6 != $R7
    StrCpy $R9 "its Uninstall.exe is not Velkor's: its version is $R6, not $R7"
  ${EndIf}
FunctionEnd

; $EarlierFolder: the folder of Velkor's installation other than the one in
; $INSTDIR, provably Velkor's, which Setup moves here; $EarlierDoubt: why a
; folder that "Path" names is left as it is. $SameFolder is 1 when $INSTDIR
; is the installation's own folder.
Function FindEarlierInstallation
  StrCpy $EarlierFolder ""
  StrCpy $EarlierDoubt ""
  StrCpy $SameFolder 0
  ReadRegStr $R4 HKLM "${SETTINGS_KEY}" "Path"
  ${If} $R4 == ""
    Return
  ${EndIf}
  !insertmacro SHORT_FORM "$R4"
  StrCpy $R4 $R3
  !insertmacro SHORT_FORM "$INSTDIR"
  ${If} $R4 != ""
  ${AndIf} $R4 == $R3  ; without regard to case, as Windows compares names
    StrCpy $SameFolder 1
  ${ElseIf} $R4 != ""
  ${AndIf} ${FileExists} "$R4\Uninstall.exe"
    Call CheckVelkorsInstallation
    ${If} $R9 == ""
      StrCpy $EarlierFolder $R4
    ${Else}
      ; Named by its long name where Add/Remove Programs has it.
      ReadRegStr $R6 HKLM "${UNINSTALL_KEY}" "InstallLocation"
      !insertmacro SHORT_FORM "$R6"
      ${If} $R3 != $R4
        StrCpy $R6 $R4
      ${EndIf}
      StrCpy $EarlierDoubt "Setup found an earlier Velkor folder, $R6, and leaves it as it is: $R9."
    ${EndIf}
  ${EndIf}
FunctionEnd

; $R5: the outermost folder of $INSTDIR that does not exist yet ("" when it
; does); $Refusal when a file stands where a folder has to be.
Function FindMissingFolders
  StrCpy $R5 ""
  StrCpy $R6 "$INSTDIR"
  ${DoWhile} $R6 != ""
    ${If} ${FileExists} "$R6\*.*"
      Return
    ${EndIf}
    ${If} ${FileExists} "$R6"
      StrCpy $Refusal "Setup cannot make the folder $INSTDIR: $R6 is a file. Please choose another folder."
      Return
    ${EndIf}
    StrCpy $R5 $R6
    ${GetParent} "$R6" $R6
  ${Loop}
FunctionEnd

; $Refusal: why $INSTDIR cannot take Velkor, "" when it can. Velkor never
; writes over a file it did not install: its names in a folder other than
; its own installation's belong to another program.
Function CheckFolder
  StrCpy $Refusal ""
  StrLen $R0 "$INSTDIR"
  ${If} $R0 > ${MAX_FOLDER_LENGTH}
    StrCpy $Refusal "The folder name is $R0 characters long. Windows starts Velkor's helper program from a folder of at most ${MAX_FOLDER_LENGTH} characters: please choose a shorter one."
    Return
  ${EndIf}
  Call FindMissingFolders
  ${If} $Refusal != ""
    Return
  ${EndIf}
  Call FindEarlierInstallation
  ${If} $SameFolder == 1
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

; $Refusal when the folder $R0, as given, holds a character that no name may
; hold: NSIS drops those unasked (C:\a|b would become C:\ab).
Function FindNameFault
  VelkorSetup::NameFault "$R0"
  Pop $R3
  ${If} $R3 != "0"
    StrCpy $Refusal "Setup cannot install into $R0: a folder name cannot hold < > $\" | ? * / or control characters, nor a colon but after the drive letter. Please choose another folder."
  ${EndIf}
FunctionEnd

Function FolderPageLeave
  Call CheckFolder
  ${If} $Refusal == ""
    ; $INSTDIR holds what NSIS kept of the folder typed: the typed one tells.
    ${NSD_GetText} $mui.DirectoryPage.Directory $R0
    Call FindNameFault
  ${EndIf}
  ${If} $Refusal != ""
    MessageBox MB_OK|MB_ICONEXCLAMATION "$Refusal"
    Abort
  ${EndIf}
  ${If} $EarlierFolder != ""
    ReadRegStr $R6 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    MessageBox MB_OKCANCEL|MB_ICONQUESTION "Velkor is already installed in $R6.$\r$\n$\r$\nSetup moves it to $INSTDIR: its files there are removed. Your settings, limits and kept clocks stay as they are." IDOK +2
    Abort
  ${ElseIf} $EarlierDoubt != ""
    MessageBox MB_OKCANCEL|MB_ICONINFORMATION "$EarlierDoubt$\r$\n$\r$\nSetup installs Velkor in $INSTDIR." IDOK +2
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

; Without a board Velkor would end at once without a window: the finish
; page does not offer to run it then (unticked, so it does not run either).
Function FinishPageShow
  ${If} $BoardFound == 0
    ${NSD_Uncheck} $mui.FinishPage.Run
    ShowWindow $mui.FinishPage.Run ${SW_HIDE}
    ${NSD_SetFocus} $mui.FinishPage.ShowReadme
  ${EndIf}
FunctionEnd

; Removes the folder $R0 and the folders around it up to $R1, each only when
; empty: what Setup made and nothing else. When $R1 is "", not there, or does
; not hold $R0 as spelled, $R0 alone goes. The climb stops at $R1 by its
; short form, however a folder on the way is spelled. Changes $R2-$R4.
!macro REMOVE_MADE_FOLDERS UN
Function ${UN}RemoveMadeFolders
  StrCpy $R2 ""
  StrLen $R3 "$R1"
  StrCpy $R4 "$R0" $R3
  ${If} $R1 != ""
  ${AndIf} $R4 == $R1
    StrCpy $R4 "$R0" 1 $R3
    ${If} $R4 == "\"
    ${OrIf} $R4 == ""
      ClearErrors
      GetFullPathName /SHORT $R2 "$R1"
      ${If} ${Errors}
        StrCpy $R2 ""
      ${EndIf}
    ${EndIf}
  ${EndIf}
  ${Do}
    ClearErrors
    GetFullPathName /SHORT $R3 "$R0"
    ${If} ${Errors}
      StrCpy $R3 ""
    ${EndIf}
    RMDir "$R0"
    ${If} $R2 == ""
    ${OrIf} $R3 == $R2
      Return
    ${EndIf}
    ${GetParent} "$R0" $R0
  ${LoopUntil} $R0 == ""
FunctionEnd
!macroend
!insertmacro REMOVE_MADE_FOLDERS ""
!insertmacro REMOVE_MADE_FOLDERS "un."

; A failed run leaves no trace: the files it wrote (none of them was there,
; or the folder was refused) and the folders it made.
Function UndoFailedInstall
  ${If} $SameFolder != 1
    Delete "$INSTDIR\Velkor.exe"
    Delete "$INSTDIR\Arbolt.exe"
    Delete "$INSTDIR\ReadMe.txt"
    Delete "$INSTDIR\Uninstall.exe"
  ${EndIf}
  ${If} $CreatedTop != ""
    StrCpy $R0 "$INSTDIR"
    StrCpy $R1 $CreatedTop
    Call RemoveMadeFolders
  ${EndIf}
FunctionEnd

; Velkor moves, the user's choices stay: the earlier installation's files
; go, its settings, limits, kept clocks and boot records are left as they
; are, and a log-on entry that starts its Arbolt.exe starts the new one.
Function MoveEarlierInstallation
  ${If} $EarlierFolder == ""
    Return
  ${EndIf}
  DetailPrint "Moving Velkor from $EarlierFolder"
  ReadRegStr $R0 HKLM "${RUN_KEY}" "NvInitialize"
  ${If} $R0 != ""
    !insertmacro SHORT_FORM "$R0"
    StrCpy $R4 $R3
    !insertmacro SHORT_FORM "$EarlierFolder\Arbolt.exe"
    ${If} $R4 != ""
    ${AndIf} $R4 == $R3
      !insertmacro SHORT_FORM "$INSTDIR\Arbolt.exe"
      WriteRegStr HKLM "${RUN_KEY}" "NvInitialize" "$R3"
    ${EndIf}
  ${EndIf}
  Delete "$EarlierFolder\Velkor.exe"
  Delete "$EarlierFolder\Arbolt.exe"
  Delete "$EarlierFolder\ReadMe.txt"
  Delete "$EarlierFolder\Uninstall.exe"
  ReadRegStr $R0 HKLM "${UNINSTALL_KEY}" "InstallLocation"  ; its folder, as CreatedFolder spells it
  ReadRegStr $R1 HKLM "${UNINSTALL_KEY}" "CreatedFolder"
  Call RemoveMadeFolders
  ${If} $R1 == ""
    RMDir "$PROGRAMFILES\Ostrane"  ; as the uninstaller of a setup that did not note its folders
  ${EndIf}
FunctionEnd

Section "Velkor" SecVelkor
  SectionIn RO
  AddSize ${UNINSTALLER_KB}

  ; The folder, noting which of its folders Setup makes: the earlier
  ; checks saw a name, only making it shows that Windows takes it.
  StrCpy $Refusal ""
  Call FindMissingFolders
  StrCpy $CreatedTop $R5
  ClearErrors
  ${If} $Refusal == ""
    CreateDirectory "$INSTDIR"
  ${EndIf}
  ${If} ${Errors}
  ${OrIfNot} ${FileExists} "$INSTDIR\*.*"
    Call UndoFailedInstall
    SetErrorLevel ${FOLDER_REFUSED}
    MessageBox MB_OK|MB_ICONSTOP "Setup cannot make the folder $INSTDIR. Nothing was changed." /SD IDOK
    Abort "Setup cannot make the folder $INSTDIR."
  ${EndIf}

  ; Every file first, before anything else changes: a folder that cannot
  ; take them all leaves the earlier installation, the settings and the
  ; records as they were.
  SetOutPath "$INSTDIR"
  ClearErrors
  File "/oname=Velkor.exe" "${VELKOR_EXE}"
  File "/oname=Arbolt.exe" "${ARBOLT_EXE}"
  File "/oname=ReadMe.txt" "${README}"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  ${If} ${Errors}
    SetOutPath "$TEMP"  ; a folder that is in use cannot go
    Call UndoFailedInstall
    SetErrorLevel ${FILE_NOT_WRITTEN}
    MessageBox MB_OK|MB_ICONSTOP "Setup could not write Velkor's files to $INSTDIR. Nothing was changed." /SD IDOK
    Abort "Setup could not write Velkor's files."
  ${EndIf}
  Call MoveEarlierInstallation

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
  ; The uninstaller removes the folders Setup made, when they end up empty.
  ${If} $CreatedTop != ""
    WriteRegStr HKLM "${UNINSTALL_KEY}" "CreatedFolder" "$CreatedTop"
  ${ElseIf} $SameFolder != 1
    DeleteRegValue HKLM "${UNINSTALL_KEY}" "CreatedFolder"
  ${EndIf}
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

Section /o "Start Velkor in the tray when Windows starts" SecTray
  CreateShortcut "$SMSTARTUP\Velkor.lnk" "$INSTDIR\Velkor.exe" "-q"
SectionEnd

; Unticked on a reinstall: the tray start chosen before goes.
Section "-TrayStartOff"
  ${IfNot} ${SectionIsSelected} ${SecTray}
    Delete "$SMSTARTUP\Velkor.lnk"
  ${EndIf}
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecVelkor} "Velkor, Arbolt.exe that sets kept clocks again when Windows starts, the read-me and Start-menu shortcuts."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecTray} "Starts Velkor hidden in the tray (Velkor -q) every time Windows starts."
!insertmacro MUI_FUNCTION_DESCRIPTION_END

; $INSTDIR: the /D folder exactly as the command line names it, which NSIS
; may have replaced; $Refusal when no installation can go there (not a full
; path, a drive's top folder, or a character that no name may hold). Without
; /D nothing changes.
Function TakeFolderAsGiven
  StrCpy $Refusal ""
  VelkorSetup::CommandLine
  Pop $R0
  StrLen $R1 $R0
  StrCpy $R2 0
  ${Do}
    ${If} $R2 >= $R1
      Return
    ${EndIf}
    StrCpy $R3 $R0 4 $R2
    ${If} $R3 S== " /D="  ; as NSIS finds it: the last switch, upper case
      ${Break}
    ${EndIf}
    IntOp $R2 $R2 + 1
  ${Loop}
  IntOp $R2 $R2 + 4
  StrCpy $R0 $R0 "" $R2
  ; Trailing backslashes go, as NSIS drops them.
  ${Do}
    StrCpy $R3 $R0 1 -1
    ${If} $R3 != "\"
      ${Break}
    ${EndIf}
    StrCpy $R0 $R0 -1
  ${Loop}
  StrCpy $INSTDIR $R0
  StrCpy $R3 $R0 2 1
  StrCpy $R4 $R0 2
  ${If} $R3 != ":\"
  ${AndIf} $R4 != "\\"
    StrCpy $Refusal "Setup cannot install into $R0: please give a full folder name, such as C:\Program Files\Velkor."
    Return
  ${EndIf}
  Call FindNameFault
FunctionEnd

Function .onInit
  ; Velkor's records are the machine's, so are its shortcuts.
  SetShellVarContext all
  InitPluginsDir
  File "/oname=$PLUGINSDIR\Arbolt.exe" "${ARBOLT_EXE}"
  StrCpy $R0 "$PLUGINSDIR\Arbolt.exe"
  Call VelkorMustNotRun

  ${If} ${Silent}
    ; Nobody to ask: a folder that cannot take Velkor is left as it was, and
    ; Velkor's installation elsewhere simply moves.
    Call TakeFolderAsGiven
    ${If} $Refusal == ""
      Call CheckFolder
    ${EndIf}
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

  ; Only the files the setup wrote; the folders it made only when nothing
  ; else is in them.
  Delete "$INSTDIR\Velkor.exe"
  Delete "$INSTDIR\Arbolt.exe"
  Delete "$INSTDIR\ReadMe.txt"
  Delete "$INSTDIR\Uninstall.exe"
  StrCpy $R0 "$INSTDIR"
  ReadRegStr $R1 HKLM "${UNINSTALL_KEY}" "CreatedFolder"
  Call un.RemoveMadeFolders
  ${If} $R1 == ""
    RMDir "$PROGRAMFILES\Ostrane"  ; a setup that did not note its folders made this one
  ${EndIf}

  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  DeleteRegKey HKLM "${SETTINGS_KEY}"
  DeleteRegKey /ifempty HKLM "SOFTWARE\Ostrane"
SectionEnd
