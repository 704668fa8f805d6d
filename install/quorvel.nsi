; The installer of the Zarvent Half-Life 2 benchmark, built by makensis from the build tree
; (cmake/installer.cmake passes the defines below).
;   PROGRAM  the built quorvel.exe          HELP  the built Help.pdf
;   NEWS     offlinenews.html               DEMOS the folder with the three built-in demos
;   VERSION  2.3.0                          OUTFILE  the installer to write
;
; A 64-bit installer (amd64-unicode stubs): the program is a 64-bit program, its settings
; live in the 64-bit view of HKLM, and 64-bit Windows (and wine64) run it directly.
; What it leaves on the machine:
;   $INSTDIR (default "Program Files\Zarvent\Quorvel"): quorvel.exe, Help.pdf,
;     offlinenews.html, Demos\*.dem, Benchmark\ (the default results folder), Uninstall.exe,
;     with the rights Windows gives "Program Files" (users: read and execute);
;   HKLM\SOFTWARE\Zarvent\Quorvel with the first value of every setting; values that are
;     already there (an earlier installation) are kept as the user left them;
;   the program's entry in the list of installed programs and in the Start menu;
;   the built-in Users group may query and set the values of the settings key (nothing more)
;     and may create and change files in Benchmark\ (that folder only); see docs/rights.md.
; What the program writes for one account lives in that account's own folders
; (%LOCALAPPDATA%\Zarvent\Quorvel\, HKCU\Software\Zarvent\Quorvel), which the uninstaller
; leaves alone.
; /S installs (and uninstalls) without asking anything.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestSupportedOS all

!include "MUI2.nsh"
!include "LogicLib.nsh"

!define PRODUCT "Zarvent Half-Life 2 Benchmark"
!define SETTINGS_KEY "SOFTWARE\Zarvent\Quorvel"
!define UNINSTALL_KEY "SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\ZarventQuorvel"
!define START_FOLDER "$SMPROGRAMS\${PRODUCT}"
!define USER_KEY "Software\Zarvent\Quorvel"
; The settings key: the built-in Users group (S-1-5-32-545) may read it (KEY_READ, as below
; HKLM\SOFTWARE) and set values (0x2): query value and set value are all the program asks for;
; no sub-keys, no deleting, no changing rights or owner. Administrators and SYSTEM keep full
; control, stated here too, as a parent that passes on nothing would otherwise leave them none.
!define KEY_SDDL "D:(A;CI;KA;;;BA)(A;CI;KA;;;SY)(A;;0x2001b;;;BU)"
; On the results folder Benchmark\: add a file to the folder (0x2, with SYNCHRONIZE), and
; change (modify, 0x1301bf) the files in it, inherited by files only; no sub-folders.
!define RESULTS_SDDL "D:(A;;0x100002;;;BU)(A;OIIO;0x1301bf;;;BU)"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Zarvent\Quorvel"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Zarvent Half-Life 2 Benchmark ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "Zarvent"
VIAddVersionKey "FileDescription" "${PRODUCT} setup"
VIAddVersionKey "FileVersion" "${VERSION}.0"
VIAddVersionKey "ProductVersion" "${VERSION}.0"
VIAddVersionKey "LegalCopyright" "Zarvent"

!define MUI_ABORTWARNING
; The user sees what was installed (and removed) before going on.
!define MUI_FINISHPAGE_NOAUTOCLOSE
!define MUI_UNFINISHPAGE_NOAUTOCLOSE
!define MUI_WELCOMEPAGE_TEXT "This will install the ${PRODUCT} ${VERSION} on your computer.$\r$\n$\r$\nThe benchmark measures how fast your PC runs Half-Life 2 and Lost Coast. It needs Steam and the game installed.$\r$\n$\r$\nIf an earlier version is installed, your settings are kept.$\r$\n$\r$\nClick Next to continue."
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\Help.pdf"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Open the help document"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Writes a setting only when the key does not hold it yet, so an installation over an
; earlier one keeps what the user chose.
!macro FirstValue NAME TEXT
  ClearErrors
  ReadRegStr $0 HKLM "${SETTINGS_KEY}" "${NAME}"
  ${If} ${Errors}
    WriteRegStr HKLM "${SETTINGS_KEY}" "${NAME}" "${TEXT}"
  ${EndIf}
!macroend

; Sets the DACL of a named object (SE_FILE_OBJECT 1, SE_REGISTRY_KEY 4) from an SDDL text;
; the explicit entries of an earlier installation are replaced. The DACL is not protected, so
; the object keeps what it inherits from its parent (the Administrators', SYSTEM's and the
; Users' read rights) beside the entries of the text. $0 is 0 on success, else an error code.
!macro GrantRights OBJECT TYPE SDDL
  System::Call 'advapi32::ConvertStringSecurityDescriptorToSecurityDescriptorW(w "${SDDL}", i 1, *p .r1, p 0) i .r0'
  ${If} $0 <> 0
    System::Call 'advapi32::GetSecurityDescriptorDacl(p r1, *i .r2, *p .r3, *i .r4) i .r0'
    System::Call 'advapi32::SetNamedSecurityInfoW(w "${OBJECT}", i ${TYPE}, i 4, p 0, p 0, p r3, p 0) i .r0'
    System::Call 'kernel32::LocalFree(p r1)'
  ${Else}
    StrCpy $0 1
  ${EndIf}
  DetailPrint "Rights for the Users group on ${OBJECT}: $0"
!macroend

; Ends the installation with an error (exit code 4) when a rights step has failed: without
; its grant a standard user could not use the program as intended.
!macro RequireRights WHAT
  ${If} $0 <> 0
    MessageBox MB_OK|MB_ICONSTOP "The rights for ${WHAT} could not be set (error $0). The installation has not been completed." /SD IDOK
    SetErrorLevel 4
    Abort
  ${EndIf}
!macroend

Section "Program"
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  File "/oname=quorvel.exe" "${PROGRAM}"
  File "/oname=Help.pdf" "${HELP}"
  File "/oname=offlinenews.html" "${NEWS}"
  SetOutPath "$INSTDIR\Demos"
  File "${DEMOS}\zrv_highway.dem"
  File "${DEMOS}\zrv_lost_coast.dem"
  File "${DEMOS}\zrv_anticitizen.dem"
  CreateDirectory "$INSTDIR\Benchmark"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  ; The settings key and the first value of everything the program reads. The nine fixed
  ; resolutions: 1024 x 768 only, which nearly every display offers.
  !insertmacro FirstValue "640" "0"
  !insertmacro FirstValue "800" "0"
  !insertmacro FirstValue "1024" "1"
  !insertmacro FirstValue "1280" "0"
  !insertmacro FirstValue "1600" "0"
  !insertmacro FirstValue "2048" "0"
  !insertmacro FirstValue "hdw1" "0"
  !insertmacro FirstValue "hdw2" "0"
  !insertmacro FirstValue "hdw3" "0"
  !insertmacro FirstValue "CusW" "0"
  !insertmacro FirstValue "CusH" "0"
  !insertmacro FirstValue "CusRes" "0"
  !insertmacro FirstValue "AFLevel" "1"
  !insertmacro FirstValue "AALevel" "0"
  !insertmacro FirstValue "RunNumber" "1"
  !insertmacro FirstValue "Demo" "1"
  !insertmacro FirstValue "LCDemo" "0"
  !insertmacro FirstValue "Demoname" ""
  !insertmacro FirstValue "ResultPath" "$INSTDIR\Benchmark\"
  !insertmacro FirstValue "Note" ""
  !insertmacro FirstValue "HDR" "0"
  !insertmacro FirstValue "Heapsize" "64000"
  !insertmacro FirstValue "Refresh" "60"
  !insertmacro FirstValue "FastZ" "1"
  !insertmacro FirstValue "UseProxy" "0"
  !insertmacro FirstValue "ProxyServer" ""
  !insertmacro FirstValue "ProxyPort" ""
  !insertmacro FirstValue "ProxyUsername" ""
  !insertmacro FirstValue "ProxyPassword" ""
  !insertmacro FirstValue "Path" ""
  !insertmacro FirstValue "NoErrorWarning" "0"
  !insertmacro FirstValue "News" "0"
  !insertmacro FirstValue "Display Memory" ""
  !insertmacro FirstValue "Driver Version" ""
  !insertmacro FirstValue "Sound" ""

  !insertmacro GrantRights "MACHINE\${SETTINGS_KEY}" 4 "${KEY_SDDL}"
  !insertmacro RequireRights "the settings key"
  ; The program folder and its files keep only what they inherit from Program Files (users:
  ; read and execute); this drops the change rights an earlier version gave users there.
  !insertmacro GrantRights "$INSTDIR" 1 "D:"
  !insertmacro RequireRights "the program folder $INSTDIR"
  ; The results folder must be a folder of ours before users get to write into it.
  StrCpy $0 0
  ${IfNot} ${FileExists} "$INSTDIR\Benchmark\*.*"
    StrCpy $0 3
  ${Else}
    !insertmacro GrantRights "$INSTDIR\Benchmark" 1 "${RESULTS_SDDL}"
  ${EndIf}
  !insertmacro RequireRights "the results folder $INSTDIR\Benchmark"

  CreateDirectory "${START_FOLDER}"
  CreateShortCut "${START_FOLDER}\${PRODUCT}.lnk" "$INSTDIR\quorvel.exe"
  CreateShortCut "${START_FOLDER}\Benchmark help.lnk" "$INSTDIR\Help.pdf"
  CreateShortCut "${START_FOLDER}\Uninstall.lnk" "$INSTDIR\Uninstall.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}.0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Zarvent"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\quorvel.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Function un.onInit
  ; A series of this account that ended abnormally has left the game changed, and only the
  ; program (at its next start in this account) can put the account's game settings back from
  ; its backup files: removing the program now would lose them for good. The machine's marker
  ; counts too when no account is recorded with it, and so does the machine's RestorePending:
  ; both are an earlier version's.
  ReadRegStr $0 HKCU "${USER_KEY}" "NoErrorWarning"
  ReadRegStr $1 HKCU "${USER_KEY}" "RestorePending"
  ReadRegStr $2 HKLM "${SETTINGS_KEY}" "NoErrorWarning"
  ReadRegStr $3 HKLM "${SETTINGS_KEY}" "SeriesUser"
  ReadRegStr $4 HKLM "${SETTINGS_KEY}" "RestorePending"
  ${If} $0 == "1"
  ${OrIf} $1 == "1"
  ${OrIf} $2$3 == "1"
  ${OrIf} $4 == "1"
    MessageBox MB_OK|MB_ICONSTOP "The last benchmark series did not end normally, so your game settings have not been put back yet.$\r$\n$\r$\nPlease start the benchmark once (it puts them back at its start) and close it, then uninstall it." /SD IDOK
    SetErrorLevel 3
    Abort
  ${EndIf}
FunctionEnd

Section "Uninstall"
  SetShellVarContext all
  Delete "$INSTDIR\quorvel.exe"
  Delete "$INSTDIR\Help.pdf"
  Delete "$INSTDIR\offlinenews.html"
  Delete "$INSTDIR\Demos\zrv_highway.dem"
  Delete "$INSTDIR\Demos\zrv_lost_coast.dem"
  Delete "$INSTDIR\Demos\zrv_anticitizen.dem"
  RMDir "$INSTDIR\Demos"
  ; What earlier versions left in the program folder: the diagnostics output and downloads of an
  ; update that was not installed. Backups of game settings are never deleted, neither there
  ; (an earlier version's) nor in any account's own folder: they may be all that is left of a
  ; user's settings.
  Delete "$INSTDIR\dxinfo.txt"
  Delete "$INSTDIR\debuginfo.txt"
  Delete "$INSTDIR\batchview.txt"
  Delete "$INSTDIR\*.updtmp"
  Delete "$INSTDIR\Uninstall.exe"
  ; The reports stay: the results folder is removed only when it is empty.
  RMDir "$INSTDIR\Benchmark"
  RMDir "$INSTDIR"
  RMDir "$PROGRAMFILES64\Zarvent"

  Delete "${START_FOLDER}\${PRODUCT}.lnk"
  Delete "${START_FOLDER}\Benchmark help.lnk"
  Delete "${START_FOLDER}\Uninstall.lnk"
  RMDir "${START_FOLDER}"

  DeleteRegKey HKLM "${SETTINGS_KEY}"
  DeleteRegKey /ifempty HKLM "SOFTWARE\Zarvent"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
