; The per-user installer of Quorvane. It needs no administrator rights: the
; program goes into the user's own programs folder, where History.txt beside
; Quorvane.exe stays writable, and everything it registers is the user's own.
;
; Made by the build (installer/CMakeLists.txt):
;   makensis -DVERSION=1.0.0 -DARCH=win64 -DTARGET=amd64-unicode -DEXE=Quorvane.exe
;            -DLICENSE=License.txt -DICON=quorvane.ico -DOUTFILE=setup.exe quorvane.nsi
;
; Command line: /S installs silently; /STARTUP=1 (or 0) turns starting at
; sign-in on (or off), otherwise an upgrade keeps the earlier choice and a
; first install leaves it off; /D=FOLDER (last) installs elsewhere inside the
; user's profile (a folder outside it stops setup with exit code 2, nothing
; written). The uninstaller's /S keeps History.txt.

Target ${TARGET}
Unicode true
ManifestDPIAware true
RequestExecutionLevel user
Name "Quorvane"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Quorvane"
; An upgrade goes where the earlier install went.
InstallDirRegKey HKCU "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quorvane" "InstallLocation"
SetCompressor /SOLID lzma
; No file dates in the installer: the same inputs make the same installer.
SetDateSave off
BrandingText "Quorvane ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "Quorvane"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "Quorvane ${VERSION} (${ARCH}) setup"
VIAddVersionKey /LANG=1033 "LegalCopyright" "(c) Quorvane - tessaloon.com"

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh
!include Sections.nsh
!include WinMessages.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quorvane"
; The class of the program's application window (TApplication::kApplicationWindowClass).
!define APPLICATION_CLASS "QuorvaneApplication"
!define ENDSESSION_CLOSEAPP 0x1
!define SYNCHRONIZE 0x00100000
!define PROCESS_QUERY_LIMITED_INFORMATION 0x1000
!define CLOSE_TIMEOUT_MS 10000

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN "$INSTDIR\Quorvane.exe"
!insertmacro MUI_PAGE_COMPONENTS
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE DirectoryLeave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Ends the copy of Quorvane that runs from $INSTDIR, if any, as the system
; ends a program at logoff (and as the Restart Manager closes one for an
; installer): the program saves History.txt, removes its icon and its marker
; and exits. A copy running from another folder is left alone. When the
; program has not ended in time the user may retry; otherwise (and in silent
; mode) setup stops.
!macro CLOSE_RUNNING_COPY UN
Function ${UN}CloseRunningCopy
  StrCpy $1 0
  ${Do}
    FindWindow $0 "${APPLICATION_CLASS}" "" 0 $1
    ${IfThen} $0 == 0 ${|} ${ExitDo} ${|}
    StrCpy $1 $0
    System::Call "user32::GetWindowThreadProcessId(p r0, *i .r2)"
    System::Call "kernel32::OpenProcess(i ${SYNCHRONIZE}|${PROCESS_QUERY_LIMITED_INFORMATION}, i 0, i r2) p .r3"
    ${IfThen} $3 == 0 ${|} ${Continue} ${|}
    System::Call "kernel32::QueryFullProcessImageNameW(p r3, i 0, w .r4, *i ${NSIS_MAX_STRLEN})"
    ${If} $4 == "$INSTDIR\Quorvane.exe"
      SendMessage $0 ${WM_QUERYENDSESSION} 0 ${ENDSESSION_CLOSEAPP} /TIMEOUT=${CLOSE_TIMEOUT_MS}
      SendMessage $0 ${WM_ENDSESSION} 1 ${ENDSESSION_CLOSEAPP} /TIMEOUT=${CLOSE_TIMEOUT_MS}
      System::Call "kernel32::WaitForSingleObject(p r3, i ${CLOSE_TIMEOUT_MS}) i .r5"
      ${If} $5 != 0
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
          "Quorvane is still running. End it (right-click its icon, $\"About / Exit$\", then $\"Exit$\") and try again." \
          /SD IDCANCEL IDRETRY retry
        SetErrorLevel 2
        Quit
      ${EndIf}
    retry:
      StrCpy $1 0  ; the copy has ended, or the user retries: search from the start
    ${EndIf}
    System::Call "kernel32::CloseHandle(p r3)"
  ${Loop}
FunctionEnd
!macroend
!insertmacro CLOSE_RUNNING_COPY ""
!insertmacro CLOSE_RUNNING_COPY "un."

; $R0 made absolute, with "." and ".." resolved and "/" read as "\"; empty
; when the system cannot.
Function FullPath
  System::Call "kernel32::GetFullPathNameW(w R0, i ${NSIS_MAX_STRLEN}, w .R1, p 0) i .R2"
  ${If} $R2 > 0
  ${AndIf} $R2 < ${NSIS_MAX_STRLEN}
    StrCpy $R0 $R1
  ${Else}
    StrCpy $R0 ""
  ${EndIf}
FunctionEnd

; $0 becomes 1 when the folder $R3 lies below the folder BASE.
!macro IF_BELOW BASE
  StrCpy $R0 "${BASE}"
  Call FullPath
  StrLen $R4 "$R0\"
  StrCpy $R5 $R3 $R4
  StrCpy $R6 $R3 "" $R4
  ${If} $R0 != ""
  ${AndIf} $R5 == "$R0\"
  ${AndIf} $R6 != ""
    StrCpy $0 1
  ${EndIf}
!macroend

; Whether $INSTDIR is the user's own: $0 is 1 for a folder inside the user's
; profile (or local application data, should that be elsewhere), 0 for any
; other. A folder outside, such as C:\Quorvane, takes its access list from
; the drive's root, where every signed-in user may change files: any of them
; could replace the Quorvane.exe that starts at this user's sign-in.
Function CheckOwnFolder
  StrCpy $0 0
  StrCpy $R0 $INSTDIR
  Call FullPath
  StrCpy $R3 $R0
  ${IfThen} $R3 == "" ${|} Return ${|}
  !insertmacro IF_BELOW $PROFILE
  !insertmacro IF_BELOW $LOCALAPPDATA
FunctionEnd

Function DirectoryLeave
  Call CheckOwnFolder
  ${If} $0 != 1
    MessageBox MB_OK|MB_ICONEXCLAMATION \
      "Quorvane installs only into a folder inside your user folder ($PROFILE), such as $LOCALAPPDATA\Programs\Quorvane.$\r$\n$\r$\nOther users of this computer may be able to change the files of a folder outside it, and so the program that starts when you sign in." \
      /SD IDOK
    Abort
  ${EndIf}
FunctionEnd

Section "Quorvane" SectionProgram
  SectionIn RO
  Call CloseRunningCopy
  SetOutPath "$INSTDIR"
  ; History.txt is the user's: never shipped, so an upgrade keeps it.
  File "/oname=Quorvane.exe" "${EXE}"
  File "/oname=License.txt" "${LICENSE}"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Quorvane.lnk" "$INSTDIR\Quorvane.exe"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Quorvane"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Quorvane"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Quorvane.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" "$\"$INSTDIR\Uninstall.exe$\""
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" "$\"$INSTDIR\Uninstall.exe$\" /S"
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; Minimized, the program starts hidden in the notification area.
Section /o "Start Quorvane when I sign in" SectionStartup
  CreateShortcut "$SMSTARTUP\Quorvane.lnk" "$INSTDIR\Quorvane.exe" "" "" "" SW_SHOWMINIMIZED
SectionEnd

Section "-StartupOff"
  ${IfNot} ${SectionIsSelected} ${SectionStartup}
    Delete "$SMSTARTUP\Quorvane.lnk"
  ${EndIf}
SectionEnd

Function .onInit
  SetShellVarContext current
  ${If} ${FileExists} "$SMSTARTUP\Quorvane.lnk"
    !insertmacro SelectSection ${SectionStartup}
  ${EndIf}
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/STARTUP=" $1
  ${IfNot} ${Errors}
    ${If} $1 == 1
      !insertmacro SelectSection ${SectionStartup}
    ${Else}
      !insertmacro UnselectSection ${SectionStartup}
    ${EndIf}
  ${EndIf}
  ; Without pages nobody can choose again: setup stops before anything is written.
  ${If} ${Silent}
    Call CheckOwnFolder
    ${If} $0 != 1
      SetErrorLevel 2
      Abort
    ${EndIf}
  ${EndIf}
FunctionEnd

Function un.onInit
  SetShellVarContext current
FunctionEnd

Section "Uninstall"
  Call un.CloseRunningCopy
  Delete "$INSTDIR\Quorvane.exe"
  Delete "$INSTDIR\License.txt"
  ; What a save cut short leaves beside History.txt.
  Delete "$INSTDIR\History.txt.new"
  ${If} ${FileExists} "$INSTDIR\History.txt"
    MessageBox MB_YESNO|MB_ICONQUESTION "Keep your search history (History.txt) for a later install?" \
      /SD IDYES IDYES +2
    Delete "$INSTDIR\History.txt"
  ${EndIf}
  Delete "$SMPROGRAMS\Quorvane.lnk"
  Delete "$SMSTARTUP\Quorvane.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
SectionEnd
