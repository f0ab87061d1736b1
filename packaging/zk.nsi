; The Windows installer of ZK, built by scripts/package with makensis:
;   makensis -DVERSION=X.Y.Z -DSTAGE=DIR -DOUTFILE=FILE packaging/zk.nsi
; STAGE holds the files to install, and files.nsh and unfiles.nsh, which
; install and remove exactly those files. It installs ZK.exe, zk-cli.exe and
; the data into a folder of the user's choice, adds a Start-menu entry and an
; uninstaller, and registers no file type. /S installs silently.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma

!include "MUI2.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\ZK"
!define SHORTCUT "$SMPROGRAMS\ZK.lnk"

Name "ZK ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\ZK"
; A new version goes where the last one was put.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
BrandingText "ZK ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "ZK"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "Installs ZK ${VERSION}"
VIAddVersionKey "CompanyName" "The makers of the ZK project"
VIAddVersionKey "LegalCopyright" "The makers of the ZK project; the fonts and tables under their data's licences (COPYRIGHT.txt)"

!define MUI_ICON "${STAGE}\..\zk.ico"
!define MUI_UNICON "${STAGE}\..\zk.ico"
!define MUI_FINISHPAGE_RUN "$INSTDIR\ZK.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start ZK"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Section "ZK"
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  !include "${STAGE}\..\files.nsh"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  CreateShortcut "${SHORTCUT}" "$INSTDIR\ZK.exe"
  ; What Windows shows under "Apps" and "Programs and Features".
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "ZK ${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\ZK.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "The makers of the ZK project"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" ${SIZE_KB}
SectionEnd

; Removes what the installer put there and nothing else: the user's
; settings (ZK.INI in their application-data folder) stay, and so does a
; folder that holds files of the user's own.
Section "Uninstall"
  SetShellVarContext all
  !include "${STAGE}\..\unfiles.nsh"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  Delete "${SHORTCUT}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
