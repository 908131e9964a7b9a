; Spiralis-Setup.exe: puts Spiralis.scr where the display control panel lists
; screen savers, can make it the active saver, and registers an uninstaller
; that puts everything back.
;
; Built by installer/CMakeLists.txt, which defines
;   VERSION  the program's version (x.y.z), the one the .scr's version resource carries
;   SAVER    the stripped 32-bit Spiralis.scr to ship
;   SAVER_X64  the stripped 64-bit Spiralis.scr to ship
;   LICENCE  the licence text
;   ICON     the program's icon
;   OUTFILE  the setup program to write
;
;
; On 64-bit Windows the 64-bit saver goes into the real System32 (this 32-bit
; program turns the file system redirection off for it), and a copy of the
; 32-bit saver that an earlier version put into SysWOW64 goes; on 32-bit
; Windows the 32-bit saver goes into System32. The setup program and the
; uninstaller are 32-bit programs: their files and their entry in the list
; of installed programs stay in the 32-bit views, as before.
;
; Command line: /S installs (or uninstalls) without a question; in silent mode
; Spiralis becomes the active saver only with /ACTIVE.
; Exit codes: 0 done, 2 stopped (nothing changed), 740 administrator rights needed.

Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestDPIAware true

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include Sections.nsh
!include x64.nsh
!include WinMessages.nsh

!define SAVER_FILE "Spiralis.scr"
!define UNINSTALLER "Uninstall.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Spiralis"
!define SETTINGS_KEY "Software\Vantrel\Spiralis"
; The saver the user had before Spiralis was made the active one.
!define EARLIER_KEY "Software\Vantrel\Spiralis Setup"
!define DESKTOP_KEY "Control Panel\Desktop"
!define SPI_SETSCREENSAVEACTIVE 17
!define SPIF_UPDATE_AND_TELL 3  ; SPIF_UPDATEINIFILE | SPIF_SENDCHANGE
!define SC_CLOSE 0xF060

Name "Spiralis ${VERSION}"
OutFile "${OUTFILE}"
; Only the uninstaller goes here; the saver goes into the system folder.
InstallDir "$PROGRAMFILES\Spiralis"
BrandingText "Spiralis ${VERSION}"
AllowSkipFiles off
ShowInstDetails show
ShowUninstDetails show

Var SaverDir

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC

!insertmacro MUI_PAGE_LICENSE "${LICENCE}"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Open the Spiralis options"
!define MUI_FINISHPAGE_RUN_FUNCTION OpenOptions
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "Spiralis"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "Vantrel"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "Spiralis screen saver setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "Copyright (C) 2026 Vantrel"

; Screen savers live in the system folder: without administrator rights
; nothing is touched.
!macro RequireAdmin
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "admin"
    MessageBox MB_OK|MB_ICONSTOP "Spiralis Setup needs administrator rights, because screen savers live in the Windows system folder.$\r$\n$\r$\nNothing was changed. Run Setup again as an administrator." /SD IDOK
    SetErrorLevel 740
    Quit
  ${EndIf}
!macroend

; Functions that the installer and the uninstaller both need (the
; uninstaller's carry the "un." prefix). They use $0 to $9 freely.
!macro SharedFunctions un
  ; The folder the display control panel lists savers from, the real
  ; System32 on either kind of Windows: on 64-bit Windows the redirection of
  ; this thread's file operations to SysWOW64 is turned off for it.
  Function ${un}FindSaverDir
    ${If} ${RunningX64}
      ${DisableX64FSRedirection}
      StrCpy $SaverDir "$WINDIR\System32"
    ${Else}
      StrCpy $SaverDir "$SYSDIR"
    ${EndIf}
  FunctionEnd

  ; The saver the desktop runs, as a long path ("" when none): the control
  ; panel may have stored a short name.
  Function ${un}ActiveSaverPath
    ClearErrors
    ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
    ${If} ${Errors}
      StrCpy $0 ""
    ${EndIf}
    ${If} $0 != ""
      System::Call 'kernel32::GetLongPathNameW(w r0, w .r1, i ${NSIS_MAX_STRLEN}) i .r2'
      ${If} $2 <> 0
        StrCpy $0 $1
      ${EndIf}
    ${EndIf}
    Push $0
  FunctionEnd

  ; The program file of process $1, in $3 ("" when it cannot be read).
  ; QueryFullProcessImageNameW (Windows Vista and later) also names a 64-bit
  ; process to this 32-bit program; the module list, read where it is
  ; missing, names only 32-bit ones.
  Function ${un}ProcessFile
    StrCpy $3 ""
    System::Call 'kernel32::OpenProcess(i 0x1000, i 0, i r1) p .r2'  ; query limited information
    ${If} $2 <> 0
      System::Call 'kernel32::QueryFullProcessImageNameW(p r2, i 0, w .r3, *i ${NSIS_MAX_STRLEN}) i .r4'
      System::Call 'kernel32::CloseHandle(p r2)'
      ${If} $4 = 0
        StrCpy $3 ""
      ${EndIf}
    ${EndIf}
    ${If} $3 == ""
      System::Call 'kernel32::OpenProcess(i 0x410, i 0, i r1) p .r2'  ; query information, read memory
      ${If} $2 <> 0
        System::Call 'psapi::GetModuleFileNameExW(p r2, p 0, w .r3, i ${NSIS_MAX_STRLEN}) i .r4'
        System::Call 'kernel32::CloseHandle(p r2)'
        ${If} $4 = 0
          StrCpy $3 ""
        ${EndIf}
      ${EndIf}
    ${EndIf}
  FunctionEnd

  ; Asks every running Spiralis (32- or 64-bit) to close, as its system
  ; menu's Close does, and waits up to five seconds for its windows to go.
  Function ${un}CloseRunningSavers
    StrCpy $5 0  ; rounds
    round:
      StrCpy $6 0  ; Spiralis windows seen in this round
      StrCpy $0 0
      next:
        FindWindow $0 "" "" 0 $0
        StrCmp $0 0 scanned
        System::Call 'user32::IsWindowVisible(p r0) i .r1'
        StrCmp $1 0 next
        System::Call 'user32::GetWindowThreadProcessId(p r0, *i .r1)'
        Call ${un}ProcessFile
        StrCpy $3 $3 "" -13
        StrCmp $3 "\${SAVER_FILE}" 0 next
        System::Call 'user32::PostMessageW(p r0, i ${WM_SYSCOMMAND}, p ${SC_CLOSE}, p 0)'
        IntOp $6 $6 + 1
        Goto next
      scanned:
      StrCmp $6 0 done
      IntOp $5 $5 + 1
      IntCmp $5 25 done
      Sleep 200
      Goto round
    done:
  FunctionEnd

  ; Pushes 1 when the desktop's saver is Spiralis (the installed one, or the
  ; 32-bit one an earlier version put into SysWOW64), else 0.
  Function ${un}IsSpiralisActive
    Call ${un}ActiveSaverPath
    Pop $0
    ${If} $0 == ""
      Push 0
      Return
    ${EndIf}
    ${If} $0 == "$SaverDir\${SAVER_FILE}"
    ${OrIf} $0 == "$SYSDIR\${SAVER_FILE}"
    ${OrIf} $0 == "$WINDIR\SysWOW64\${SAVER_FILE}"
      Push 1
    ${Else}
      Push 0
    ${EndIf}
  FunctionEnd
!macroend
!insertmacro SharedFunctions ""
!insertmacro SharedFunctions "un."

; The new saver has been written beside the old one under another name (in
; the section, where its size counts); this replaces the old one with it: a
; saver that is running is asked to close first, and if it stays, the user is
; told and may retry. Nothing is left half-written: when the file cannot be
; replaced, the new copy is removed and the installation stops before
; anything else is changed.
Function ReplaceSaverFile
  ${If} ${Errors}
    Delete "$SaverDir\${SAVER_FILE}.new"
    MessageBox MB_OK|MB_ICONSTOP "Setup could not write to $SaverDir.$\r$\n$\r$\nNothing was changed." /SD IDOK
    Abort "Could not write to $SaverDir."
  ${EndIf}
  retry:
    Call CloseRunningSavers
    StrCpy $7 0
    attempt:
      ClearErrors
      ${If} ${FileExists} "$SaverDir\${SAVER_FILE}"
        Delete "$SaverDir\${SAVER_FILE}"
      ${EndIf}
      ${IfNot} ${Errors}
        Rename "$SaverDir\${SAVER_FILE}.new" "$SaverDir\${SAVER_FILE}"
        ${IfNot} ${Errors}
          Return
        ${EndIf}
      ${EndIf}
      IntOp $7 $7 + 1
      ${If} $7 < 10
        Sleep 300
        Goto attempt
      ${EndIf}
  MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Spiralis is running and did not close.$\r$\n$\r$\nEnd it (move the mouse over the screen saver, or close its options), then choose Retry." /SD IDCANCEL IDRETRY retry
  Delete "$SaverDir\${SAVER_FILE}.new"
  Abort "Spiralis is still running: nothing was changed."
FunctionEnd

; On 64-bit Windows, the 32-bit saver that an earlier version installed into
; SysWOW64 goes (once the new one is in place), so that the control panel
; lists Spiralis once; if the desktop ran that copy, it runs the new one. The
; user's settings are the same for both and stay.
Function RemoveEarlierSaver
  StrCpy $8 "$WINDIR\SysWOW64\${SAVER_FILE}"
  ${IfNot} ${RunningX64}
  ${OrIfNot} ${FileExists} $8
    Return
  ${EndIf}
  Call ActiveSaverPath
  Pop $0
  ${If} $0 == $8
    WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" "$SaverDir\${SAVER_FILE}"
  ${EndIf}
  ClearErrors
  Delete $8
  ${If} ${Errors}
    Delete /REBOOTOK $8
  ${EndIf}
FunctionEnd

; The entry in the list of installed programs.
Function WriteUninstallEntry
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Spiralis screen saver"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Vantrel"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$SaverDir\${SAVER_FILE},0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$SaverDir"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ; The size in KB: the saver and the uninstaller.
  FileOpen $0 "$SaverDir\${SAVER_FILE}" r
  FileSeek $0 0 END $1
  FileClose $0
  FileOpen $0 "$INSTDIR\${UNINSTALLER}" r
  FileSeek $0 0 END $2
  FileClose $0
  IntOp $1 $1 + $2
  IntOp $1 $1 + 1023
  IntOp $1 $1 / 1024
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $1
FunctionEnd

; Makes Spiralis the desktop's screen saver. The earlier choice is kept (each
; entry only if it was there) for the uninstaller; installing again over an
; active Spiralis keeps the record of the saver before it.
Function MakeActive
  Call IsSpiralisActive
  Pop $0
  ${If} $0 <> 1
    DeleteRegKey HKCU "${EARLIER_KEY}"
    ClearErrors
    ReadRegStr $1 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
    ${IfNot} ${Errors}
      WriteRegStr HKCU "${EARLIER_KEY}" "SCRNSAVE.EXE" $1
    ${EndIf}
    ClearErrors
    ReadRegStr $1 HKCU "${DESKTOP_KEY}" "ScreenSaveActive"
    ${IfNot} ${Errors}
      WriteRegStr HKCU "${EARLIER_KEY}" "ScreenSaveActive" $1
    ${EndIf}
  ${EndIf}
  WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" "$SaverDir\${SAVER_FILE}"
  System::Call 'user32::SystemParametersInfoW(i ${SPI_SETSCREENSAVEACTIVE}, i 1, p 0, i ${SPIF_UPDATE_AND_TELL})'
  WriteRegStr HKCU "${DESKTOP_KEY}" "ScreenSaveActive" "1"
FunctionEnd

; Runs on the installer's own thread, where 64-bit Windows would take the
; System32 of the 64-bit saver for SysWOW64.
Function OpenOptions
  ${If} ${RunningX64}
    ${DisableX64FSRedirection}
  ${EndIf}
  Exec '"$SaverDir\${SAVER_FILE}" /c'
  ${If} ${RunningX64}
    ${EnableX64FSRedirection}
  ${EndIf}
FunctionEnd

Section "Spiralis screen saver" SecSaver
  SectionIn RO
  Call FindSaverDir
  SetOutPath "$SaverDir"
  Delete "$SaverDir\${SAVER_FILE}.new"
  ClearErrors
  ${If} ${RunningX64}
    File "/oname=$SaverDir\${SAVER_FILE}.new" "${SAVER_X64}"
  ${Else}
    File "/oname=$SaverDir\${SAVER_FILE}.new" "${SAVER}"
  ${EndIf}
  Call ReplaceSaverFile
  Call RemoveEarlierSaver
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  Call WriteUninstallEntry
SectionEnd

Section "Make Spiralis the active screen saver" SecActive
  Call MakeActive
SectionEnd

Function .onInit
  !insertmacro RequireAdmin
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/ACTIVE" $1
  ${If} ${Errors}
  ${AndIf} ${Silent}
    !insertmacro UnselectSection ${SecActive}
  ${EndIf}
FunctionEnd

Function .onInstFailed
  Call FindSaverDir
  Delete "$SaverDir\${SAVER_FILE}.new"
FunctionEnd

; --- Uninstaller ----------------------------------------------------------

Function un.onInit
  !insertmacro RequireAdmin
FunctionEnd

; If Spiralis is still the desktop's saver, the earlier one comes back, or
; the screen saver is turned off when there was none.
Function un.RestoreEarlierSaver
  Call un.IsSpiralisActive
  Pop $0
  ${If} $0 <> 1
    Return
  ${EndIf}
  ClearErrors
  ReadRegStr $1 HKCU "${EARLIER_KEY}" "SCRNSAVE.EXE"
  ${If} ${Errors}
  ${OrIf} $1 == ""
    System::Call 'user32::SystemParametersInfoW(i ${SPI_SETSCREENSAVEACTIVE}, i 0, p 0, i ${SPIF_UPDATE_AND_TELL})'
    DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
    WriteRegStr HKCU "${DESKTOP_KEY}" "ScreenSaveActive" "0"
    Return
  ${EndIf}
  StrCpy $3 ""
  ClearErrors
  ReadRegStr $2 HKCU "${EARLIER_KEY}" "ScreenSaveActive"
  ${If} ${Errors}
    StrCpy $3 "absent"
  ${EndIf}
  ${If} $2 == "1"
    System::Call 'user32::SystemParametersInfoW(i ${SPI_SETSCREENSAVEACTIVE}, i 1, p 0, i ${SPIF_UPDATE_AND_TELL})'
  ${Else}
    System::Call 'user32::SystemParametersInfoW(i ${SPI_SETSCREENSAVEACTIVE}, i 0, p 0, i ${SPIF_UPDATE_AND_TELL})'
  ${EndIf}
  WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" $1
  ${If} $3 == "absent"
    DeleteRegValue HKCU "${DESKTOP_KEY}" "ScreenSaveActive"
  ${Else}
    WriteRegStr HKCU "${DESKTOP_KEY}" "ScreenSaveActive" $2
  ${EndIf}
FunctionEnd

Section "Uninstall"
  Call un.FindSaverDir
  Call un.RestoreEarlierSaver
  Call un.CloseRunningSavers
  ClearErrors
  Delete "$SaverDir\${SAVER_FILE}"
  ${If} ${Errors}
    Delete /REBOOTOK "$SaverDir\${SAVER_FILE}"
  ${EndIf}
  Delete "$SaverDir\${SAVER_FILE}.new"
  Delete "$INSTDIR\${UNINSTALLER}"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  DeleteRegKey HKCU "${EARLIER_KEY}"
  ; The user's own settings stay unless the user says otherwise; silent
  ; uninstalls keep them.
  MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "Remove your Spiralis settings as well?$\r$\n$\r$\nChoose No to keep them for a later installation." /SD IDNO IDNO keep
    DeleteRegKey HKCU "${SETTINGS_KEY}"
  keep:
  DeleteRegKey /ifempty HKCU "Software\Vantrel"
SectionEnd
