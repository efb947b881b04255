; "Start Horalux when I sign in": a shortcut in the user's Startup folder, not a value under
; the Run key, because only a shortcut carries a working folder. Windows starts the Run
; key's programs in its system folder, where Horalux would find no host list and greet the
; user with its settings warning at every sign-in.
; It belongs to the installing user also when the program is installed for everyone.

!macro UseInstallModeShellContext
  ${If} $MultiUser.InstallMode == "AllUsers"
    SetShellVarContext all
  ${Else}
    SetShellVarContext current
  ${EndIf}
!macroend

!macro CreateSignInShortcut
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  CreateShortcut "$SMSTARTUP\${PRODUCT}.lnk" "$INSTDIR\horalux.exe"
  !insertmacro UseInstallModeShellContext
!macroend

!macro RemoveSignInShortcut
  SetShellVarContext current
  Delete "$SMSTARTUP\${PRODUCT}.lnk"
  !insertmacro UseInstallModeShellContext
!macroend
