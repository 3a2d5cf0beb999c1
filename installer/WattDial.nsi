; WattDial-Setup.exe: installs WattDial for the current user, without administrator
; rights, into a folder the user can write (the saver keeps WattDial.INI and MYREC.FIL
; beside itself), and makes it the active screen saver.
;
; Built by the Windows tree's target "installer" (installer/CMakeLists.txt), which
; scripts/build copies into dist/:
;   makensis -INPUTCHARSET UTF8 -DVERSION=1.0.0 -DCOPYRIGHT_YEAR=2026 \
;     -DSAVER=.../WattDial.scr -DMOVIE=.../earth.swf -DRESOURCES=.../resources \
;     -DOUTFILE=.../WattDial-Setup.exe WattDial.nsi
;
; Switches: /S installs or uninstalls silently; /D=FOLDER (last) picks the folder;
; the uninstaller's /REMOVESETTINGS also removes the settings and statistics.

!ifndef VERSION | COPYRIGHT_YEAR | SAVER | MOVIE | RESOURCES | OUTFILE
  !error "define VERSION, COPYRIGHT_YEAR, SAVER, MOVIE, RESOURCES and OUTFILE (see the top of this file)"
!endif

Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true
; Reproducible: the packed files carry no time of their own (installed, they take the
; time they are written), so the installer depends only on their contents.
SetDateSave off

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh

!define PRODUCT "WattDial"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\WattDial"
!define DESKTOP_KEY "Control Panel\Desktop"
!define SAVER_FILE "WattDial.scr"
!define SETTINGS_LINK "$StartFolder\WattDial 設定.lnk"
!define SELECT_LINK "$StartFolder\將 WattDial 設為螢幕保護程式.lnk"
; Screen saver timeout, in seconds, for a user who has none.
!define DEFAULT_TIMEOUT 600
; SystemParametersInfo actions and flags.
!define SPI_SETSCREENSAVETIMEOUT 0x000F
!define SPI_SETSCREENSAVEACTIVE 0x0011
!define SPIF_UPDATE_AND_SEND 3
; SHGetFolderPath folders, created when missing.
!define CSIDL_PROGRAMS_CREATE 0x8002
!define CSIDL_LOCAL_APPDATA_CREATE 0x801C

Name "${PRODUCT}"
OutFile "${OUTFILE}"
; No InstallDir: .onInit picks the user's local application data (an upgrade keeps the
; folder of the copy it finds, /D= names another).
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

; The file's properties, in Traditional Chinese (1028) and English (1033), as the
; program's own (resources/wattdial.rc).
VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=1028 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1028 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1028 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1028 "FileDescription" "WattDial 能源耗用螢幕保護程式 安裝程式"
VIAddVersionKey /LANG=1028 "CompanyName" "${PRODUCT}"
VIAddVersionKey /LANG=1028 "LegalCopyright" "著作權所有 © ${COPYRIGHT_YEAR} WattDial 開發者"
VIAddVersionKey /LANG=1028 "OriginalFilename" "WattDial-Setup.exe"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "WattDial energy use screen saver setup"
VIAddVersionKey /LANG=1033 "CompanyName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright © ${COPYRIGHT_YEAR} the WattDial developers"
VIAddVersionKey /LANG=1033 "OriginalFilename" "WattDial-Setup.exe"

!define MUI_ICON "${RESOURCES}/wattdial.ico"
!define MUI_UNICON "${RESOURCES}/wattdial.ico"
; WattDial's own pictures (tools/installer_art/make_installer_art.py): the gauge and the
; earth on the welcome and finish pages, a small one in the other pages' header.
!define MUI_WELCOMEFINISHPAGE_BITMAP "${RESOURCES}/installer-welcome.bmp"
!define MUI_HEADERIMAGE
!define MUI_HEADERIMAGE_RIGHT
!define MUI_HEADERIMAGE_BITMAP "${RESOURCES}/installer-header.bmp"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "開啟 Windows 螢幕保護程式設定"
!define MUI_FINISHPAGE_RUN_FUNCTION OpenSaverSettings
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "TradChinese"

; The WattDial folder in the user's Start menu ("" where the user has no Start menu).
Var StartFolder

; ShellFolder: $0 = the user's folder with the CSIDL in $0, created if it is missing, or
; "" when there is none. ($LOCALAPPDATA and $SMPROGRAMS come out empty for a folder that
; does not exist yet, and the installer would then write to the root of the drive.)
!macro DEFINE_SHELL_FOLDER un
Function ${un}ShellFolder
  Push $1
  System::Call "shell32::SHGetFolderPathW(p 0, i $0, p 0, i 0, w .r0) i .r1"
  ${If} $1 != 0
    StrCpy $0 ""
  ${EndIf}
  Pop $1
FunctionEnd

Function ${un}FindStartFolder
  StrCpy $0 ${CSIDL_PROGRAMS_CREATE}
  Call ${un}ShellFolder
  ${If} $0 == ""
    StrCpy $StartFolder ""
  ${Else}
    StrCpy $StartFolder "$0\WattDial"
  ${EndIf}
FunctionEnd
!macroend
!insertmacro DEFINE_SHELL_FOLDER ""
!insertmacro DEFINE_SHELL_FOLDER "un."

Function .onInit
  ${If} $INSTDIR == ""
    StrCpy $0 ${CSIDL_LOCAL_APPDATA_CREATE}
    Call ShellFolder
    ${If} $0 == ""
      MessageBox MB_OK|MB_ICONSTOP "找不到使用者的本機應用程式資料夾 (Local AppData)。" /SD IDOK
      Abort
    ${EndIf}
    StrCpy $INSTDIR "$0\Programs\WattDial"
  ${EndIf}
  Call FindStartFolder
FunctionEnd

; IsOurSaver: $1 = 1 when the path in $0 names the WattDial.scr in $INSTDIR, long or
; short (8.3) form, else 0. Defined for the installer and for the uninstaller.
!macro DEFINE_IS_OUR_SAVER un
Function ${un}IsOurSaver
  Push $2
  Push $3
  StrCpy $1 0
  ${If} $0 == "$INSTDIR\${SAVER_FILE}"
    StrCpy $1 1
  ${ElseIf} $0 != ""
    GetFullPathName /SHORT $2 $0
    GetFullPathName /SHORT $3 "$INSTDIR\${SAVER_FILE}"
    ${If} $2 != ""
    ${AndIf} $2 == $3
      StrCpy $1 1
    ${EndIf}
  ${EndIf}
  Pop $3
  Pop $2
FunctionEnd
!macroend
!insertmacro DEFINE_IS_OUR_SAVER ""
!insertmacro DEFINE_IS_OUR_SAVER "un."

; SetSaverActive: ScreenSaveActive = $0 ("1" or "0"), applied at once; SystemParametersInfo
; also writes it to the registry (SPIF_UPDATEINIFILE) and tells the running programs.
!macro DEFINE_SET_SAVER_ACTIVE un
Function ${un}SetSaverActive
  ${If} $0 == "1"
    System::Call "user32::SystemParametersInfoW(i ${SPI_SETSCREENSAVEACTIVE}, i 1, p 0, i ${SPIF_UPDATE_AND_SEND})"
  ${Else}
    System::Call "user32::SystemParametersInfoW(i ${SPI_SETSCREENSAVEACTIVE}, i 0, p 0, i ${SPIF_UPDATE_AND_SEND})"
  ${EndIf}
FunctionEnd
!macroend
!insertmacro DEFINE_SET_SAVER_ACTIVE ""
!insertmacro DEFINE_SET_SAVER_ACTIVE "un."

; The saver selected before this installation, kept in the uninstall key so that the
; uninstaller can put it back. An upgrade finds WattDial selected and keeps what the
; first installation recorded; a missing value records that there was none.
Function RememberEarlierSaver
  ClearErrors
  ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  ${If} ${Errors}
    StrCpy $4 0
  ${Else}
    StrCpy $4 1
  ${EndIf}
  Call IsOurSaver
  ${If} $1 == 1
    Return
  ${EndIf}
  DeleteRegValue HKCU "${UNINSTALL_KEY}" "EarlierScreenSaver"
  DeleteRegValue HKCU "${UNINSTALL_KEY}" "EarlierScreenSaveActive"
  ${If} $4 == 1
    WriteRegStr HKCU "${UNINSTALL_KEY}" "EarlierScreenSaver" $0
  ${EndIf}
  ClearErrors
  ReadRegStr $0 HKCU "${DESKTOP_KEY}" "ScreenSaveActive"
  ${IfNot} ${Errors}
    WriteRegStr HKCU "${UNINSTALL_KEY}" "EarlierScreenSaveActive" $0
  ${EndIf}
FunctionEnd

Function MakeActiveSaver
  WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" "$INSTDIR\${SAVER_FILE}"
  StrCpy $0 "1"
  Call SetSaverActive
  ; The user's own timeout stays; only a user without one gets ten minutes.
  ClearErrors
  ReadRegStr $0 HKCU "${DESKTOP_KEY}" "ScreenSaveTimeOut"
  ${If} ${Errors}
  ${OrIf} $0 == ""
  ${OrIf} $0 == "0"
    System::Call "user32::SystemParametersInfoW(i ${SPI_SETSCREENSAVETIMEOUT}, i ${DEFAULT_TIMEOUT}, p 0, i ${SPIF_UPDATE_AND_SEND})"
  ${EndIf}
FunctionEnd

Function OpenSaverSettings
  Exec '"$SYSDIR\control.exe" desk.cpl,,@screensaver'
FunctionEnd

Section "WattDial" SecProgram
  SectionIn RO
  SetOutPath "$INSTDIR"
  ; Only the program and its movie: WattDial.INI and MYREC.FIL are the user's and an
  ; upgrade leaves them as they are.
  File "/oname=${SAVER_FILE}" "${SAVER}"
  File "/oname=earth.swf" "${MOVIE}"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  Call RememberEarlierSaver
  Call MakeActiveSaver

  ${If} $StartFolder != ""
    CreateDirectory "$StartFolder"
    CreateShortcut "${SETTINGS_LINK}" "$INSTDIR\${SAVER_FILE}" "/c" "$INSTDIR\${SAVER_FILE}" 0
    ; What right-click Install does: the screen saver settings open with WattDial selected.
    CreateShortcut "${SELECT_LINK}" "$SYSDIR\rundll32.exe" \
      "desk.cpl,InstallScreenSaver $INSTDIR\${SAVER_FILE}" "$INSTDIR\${SAVER_FILE}" 0
  ${EndIf}

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${SAVER_FILE},0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; Puts back the saver of before, but only while WattDial is still the selected one: a
; saver the user chose since stays. Where there was none before, the saver goes off.
Function un.RestoreEarlierSaver
  ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  Call un.IsOurSaver
  ${If} $1 != 1
    Return
  ${EndIf}
  ClearErrors
  ReadRegStr $2 HKCU "${UNINSTALL_KEY}" "EarlierScreenSaver"
  ${If} ${Errors}
    DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
    StrCpy $0 "0"
  ${Else}
    WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" $2
    ClearErrors
    ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "EarlierScreenSaveActive"
    ${If} ${Errors}
      StrCpy $0 "1"
    ${EndIf}
  ${EndIf}
  Call un.SetSaverActive
FunctionEnd

Section "un.WattDial 程式" UnSecProgram
  SectionIn RO
  ; Before the files go: the short form of our path is only known while it exists.
  Call un.RestoreEarlierSaver

  Delete "$INSTDIR\${SAVER_FILE}"
  Delete "$INSTDIR\earth.swf"
  Delete "$INSTDIR\Uninstall.exe"
  ${If} $StartFolder != ""
    Delete "${SETTINGS_LINK}"
    Delete "${SELECT_LINK}"
    RMDir "$StartFolder"
  ${EndIf}
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ; Stays while the settings or statistics remain in it.
  RMDir "$INSTDIR"
SectionEnd

Section /o "un.設定與統計資料 (WattDial.INI、MYREC.FIL)" UnSecUserData
  Delete "$INSTDIR\WattDial.INI"
  Delete "$INSTDIR\MYREC.FIL"
  RMDir "$INSTDIR"
SectionEnd

Function un.onInit
  Call un.FindStartFolder
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/REMOVESETTINGS" $1
  ${IfNot} ${Errors}
    SectionSetFlags ${UnSecUserData} ${SF_SELECTED}
  ${EndIf}
FunctionEnd
