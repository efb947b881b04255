; The Horalux setup program. Built by the `package` target (packaging/windows/CMakeLists.txt),
; which passes:
;   VERSION   the program's version (1.2.3)
;   STAGE     a folder with horalux.exe and server.lst, as installed
;   HELPER    horalux-time-right.exe, run from a temporary folder, never installed
;   OUTFILE   the setup program to write
;   ICON      (optional) the program's icon for the setup and the uninstaller
;
; Command line of the setup program, besides NSIS's own /S (silent) and /D=folder:
;   /AllUsers or /CurrentUser  per-machine (Program Files; needs an administrator; the
;                              default for one) or per-user (no administrator needed)
;   /STARTATSIGNIN             start Horalux when the installing user signs in
;   /TIMERIGHT                 let the signed-in account change the system time
; Command line of the uninstaller: /S, the mode it was installed in (its registry entry
; carries it), and /REMOVESETTINGS to remove the user's settings too.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
ManifestDPIAware true

!define PRODUCT "Horalux"
!define PUBLISHER "Horalux developers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define SETTINGS_KEY "Software\Vantok\Horalux"
!define VENDOR_KEY "Software\Vantok"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "${PRODUCT} setup"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "LegalCopyright" "${PUBLISHER}"

!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_INSTALLMODE_INSTDIR "${PRODUCT}"
!define MULTIUSER_USE_PROGRAMFILES64
; Installing again goes to the folder and the mode of the installation that is there.
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_VALUENAME "InstallLocation"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_VALUENAME "InstallLocation"

!include MultiUser.nsh
!include MUI2.nsh
!include FileFunc.nsh
!include TextFunc.nsh
!include LogicLib.nsh
!include Sections.nsh

!ifdef ICON
  !define MUI_ICON "${ICON}"
  !define MUI_UNICON "${ICON}"
!endif
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_SMALLDESC

!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

!include "sign_in.nsh"
!include "time_right.nsh"

; The program cannot be removed while it runs: the user is asked to end it first.
!macro RemoveFileOrAsk FILE
  ${Do}
    ClearErrors
    Delete "${FILE}"
    ${IfNot} ${Errors}
      ${Break}
    ${EndIf}
    ${IfNot} ${Cmd} `MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
        "Horalux is running. End it with Exit in its tray menu, then press Retry." \
        /SD IDCANCEL IDRETRY`
      Abort "Horalux is running."
    ${EndIf}
  ${Loop}
!macroend

Section "${PRODUCT}" SecProgram
  SectionIn RO
  SetOutPath "$INSTDIR"
  File "${STAGE}\horalux.exe"
  File "${STAGE}\server.lst"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  ; The shortcut's working folder is the one that holds server.lst: the program reads its
  ; host list from the folder it was started in.
  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\horalux.exe"

  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\horalux.exe,0"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" \
    '"$INSTDIR\Uninstall.exe" /$MultiUser.InstallMode'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" \
    '"$INSTDIR\Uninstall.exe" /$MultiUser.InstallMode /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section /o "Start Horalux when I sign in" SecSignIn
  !insertmacro CreateSignInShortcut
SectionEnd

Section /o "Let my account change the system time" SecTimeRight
  !insertmacro GrantTimeRight
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecProgram} \
    "The program, its list of time hosts and a Start menu entry."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecSignIn} \
    "Starts Horalux in the notification area when you sign in to Windows."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecTimeRight} \
    "Gives the account you are signed in with the right to change the system time, so that Horalux can set the clock without running as administrator. Anyone who uses this account can then change the time. Needs an administrator; the uninstaller takes the right back."
!insertmacro MUI_FUNCTION_DESCRIPTION_END

Function .onInit
  !insertmacro MULTIUSER_INIT
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/STARTATSIGNIN" $R1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${SecSignIn}
  ${EndIf}
  !insertmacro OfferTimeRight $R0
FunctionEnd

Section "un.${PRODUCT}" UnSecProgram
  SectionIn RO
  !insertmacro RevokeTimeRight
  !insertmacro RemoveFileOrAsk "$INSTDIR\horalux.exe"
  Delete "$INSTDIR\server.lst"
  Delete "$INSTDIR\Uninstall.exe"
  ; Only an empty folder: what the user put there stays.
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  !insertmacro RemoveSignInShortcut
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
SectionEnd

Section /o "un.Remove my settings" UnSecSettings
  DeleteRegKey HKCU "${SETTINGS_KEY}"
  DeleteRegKey /ifempty HKCU "${VENDOR_KEY}"
SectionEnd

!insertmacro MUI_UNFUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${UnSecProgram} \
    "The program, its list of time hosts and its shortcuts."
  !insertmacro MUI_DESCRIPTION_TEXT ${UnSecSettings} \
    "Also removes your settings (time host, interval, start-up choices). Leave this unticked to keep them for a later installation."
!insertmacro MUI_UNFUNCTION_DESCRIPTION_END

Function un.onInit
  !insertmacro MULTIUSER_UNINIT
  ${un.GetParameters} $R0
  ClearErrors
  ${un.GetOptions} $R0 "/REMOVESETTINGS" $R1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${UnSecSettings}
  ${EndIf}
FunctionEnd
