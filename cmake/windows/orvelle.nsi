; The Windows setup: a per-machine install of the portable folder under Program Files, a
; Start-menu entry, the .thk file type opened by the viewer, and an uninstaller that takes away
; exactly what the setup put there. tools/build-windows.sh runs makensis with
;   -DVERSION=... -DSTAGE=<portable folder> -DLISTS=<folder of files.nsh and unfiles.nsh>
;   -DICON=<orvelle.ico> -DOUTFILE=<setup.exe>
; The two lists name every file of the portable folder, so that nothing a user added to the
; install folder is removed and nothing the setup wrote is left behind.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma

!include LogicLib.nsh

!define KEY_UNINSTALL "Software\Microsoft\Windows\CurrentVersion\Uninstall\Orvelle"
!define KEY_CLASSES "Software\Classes"
!define PROG_ID "Orvelle.thk"

Name "Orvelle ${VERSION}"
OutFile "${OUTFILE}"
Icon "${ICON}"
UninstallIcon "${ICON}"
InstallDir "$PROGRAMFILES64\Orvelle"
RequestExecutionLevel admin
ManifestDPIAware true
ShowInstDetails show
ShowUninstDetails show
LicenseData "${STAGE}\licences\orvelle.txt"
VIProductVersion "${VERSION}.0.0"
VIAddVersionKey "ProductName" "Orvelle"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "Orvelle ${VERSION} setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "CompanyName" "The Orvelle developers"
VIAddVersionKey "LegalCopyright" "The Orvelle developers"

Page license
Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Function .onInit
  SetShellVarContext all
  SetRegView 64
FunctionEnd

Function un.onInit
  SetShellVarContext all
  SetRegView 64
FunctionEnd

Section "Orvelle"
  !include "${LISTS}\files.nsh"
  SetOutPath "$INSTDIR"
  ; The viewer keeps its settings in the user's application data folder when this mark is
  ; beside it, even where the folder's permissions would let it write here.
  FileOpen $0 "$INSTDIR\installed" w
  FileWrite $0 "Installed by the Orvelle ${VERSION} setup.$\r$\n"
  FileClose $0
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateShortcut "$SMPROGRAMS\Orvelle.lnk" "$INSTDIR\orvelle.exe" "" "$INSTDIR\orvelle.exe" 0

  WriteRegStr HKLM "${KEY_CLASSES}\.thk" "" "${PROG_ID}"
  WriteRegStr HKLM "${KEY_CLASSES}\${PROG_ID}" "" "THK grid file"
  WriteRegStr HKLM "${KEY_CLASSES}\${PROG_ID}\DefaultIcon" "" '"$INSTDIR\orvelle.exe",0'
  WriteRegStr HKLM "${KEY_CLASSES}\${PROG_ID}\shell\open\command" "" '"$INSTDIR\orvelle.exe" "%1"'

  WriteRegStr HKLM "${KEY_UNINSTALL}" "DisplayName" "Orvelle ${VERSION}"
  WriteRegStr HKLM "${KEY_UNINSTALL}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${KEY_UNINSTALL}" "Publisher" "The Orvelle developers"
  WriteRegStr HKLM "${KEY_UNINSTALL}" "DisplayIcon" '"$INSTDIR\orvelle.exe",0'
  WriteRegStr HKLM "${KEY_UNINSTALL}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${KEY_UNINSTALL}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${KEY_UNINSTALL}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${KEY_UNINSTALL}" "NoModify" 1
  WriteRegDWORD HKLM "${KEY_UNINSTALL}" "NoRepair" 1

  ; Explorer picks up the new file type and its icon without a restart.
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd

Section "Uninstall"
  Delete "$SMPROGRAMS\Orvelle.lnk"

  ; The .thk extension goes only while it still names this program; another program may have
  ; taken it over since.
  ReadRegStr $0 HKLM "${KEY_CLASSES}\.thk" ""
  ${If} $0 == "${PROG_ID}"
    DeleteRegValue HKLM "${KEY_CLASSES}\.thk" ""
    DeleteRegKey /ifempty HKLM "${KEY_CLASSES}\.thk"
  ${EndIf}
  DeleteRegKey HKLM "${KEY_CLASSES}\${PROG_ID}"
  DeleteRegKey HKLM "${KEY_UNINSTALL}"

  !include "${LISTS}\unfiles.nsh"
  Delete "$INSTDIR\installed"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"

  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd
