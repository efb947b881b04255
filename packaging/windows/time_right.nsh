; The optional right to change the system time for the signed-in account, given through the
; local security policy by horalux-time-right.exe (see time_right_win32.cpp). The account's
; SID goes into the uninstall entry only when this setup program gave the right, so that the
; uninstaller never takes away a right the account had before.

!define TIME_RIGHT_VALUE "TimeRightAccount"

; .onInit: only an administrator can change the local security policy; for anyone else the
; choice is shown but cannot be ticked. A silent /TIMERIGHT that cannot be honoured stops
; the setup program rather than leaving the clock unsettable unnoticed.
!macro OfferTimeRight PARAMETERS
  ClearErrors
  ${GetOptions} ${PARAMETERS} "/TIMERIGHT" $R1
  ${If} $MultiUser.Privileges == "Admin"
    ${IfNot} ${Errors}
      !insertmacro SelectSection ${SecTimeRight}
    ${EndIf}
  ${Else}
    ${IfNot} ${Errors}
      MessageBox MB_OK|MB_ICONSTOP \
        "Only an administrator can let an account change the system time." /SD IDOK
      SetErrorLevel 2
      Quit
    ${EndIf}
    SectionSetFlags ${SecTimeRight} ${SF_RO}
    SectionSetText ${SecTimeRight} "Let my account change the system time (administrators only)"
  ${EndIf}
!macroend

!macro RunTimeRightHelper ARGUMENTS
  InitPluginsDir
  File "/oname=$PLUGINSDIR\horalux-time-right.exe" "${HELPER}"
  nsExec::ExecToStack '"$PLUGINSDIR\horalux-time-right.exe" ${ARGUMENTS}'
!macroend

!macro GrantTimeRight
  !insertmacro RunTimeRightHelper "grant"
  Pop $0
  Pop $1
  ${TrimNewLines} $1 $1
  ${If} $0 == 0
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "${TIME_RIGHT_VALUE}" $1
    DetailPrint "The account $1 may change the system time from its next sign-in."
  ${ElseIf} $0 == 1
    DetailPrint "The account $1 may change the system time already: nothing changed."
  ${Else}
    MessageBox MB_OK|MB_ICONEXCLAMATION \
      "Horalux is installed, but your account could not be given the right to change the system time:$\r$\n$1" /SD IDOK
  ${EndIf}
!macroend

!macro RevokeTimeRight
  ReadRegStr $0 SHCTX "${UNINSTALL_KEY}" "${TIME_RIGHT_VALUE}"
  ${If} $0 != ""
    !insertmacro RunTimeRightHelper "revoke $0"
    Pop $1
    Pop $2
    ${If} $1 != 0
      MessageBox MB_OK|MB_ICONEXCLAMATION \
        "The right to change the system time could not be taken back from the account $0:$\r$\n$2$\r$\nThe local security policy (secpol.msc) lists it under User Rights Assignment, Change the system time." /SD IDOK
    ${EndIf}
  ${EndIf}
!macroend
