; The per-user installer of Tarvik: no administrator rights, the program in the user's own
; programs folder, a Start-menu entry "Tarvik", and an uninstaller that leaves the tasks
; (%LOCALAPPDATA%\Tarvik) and the settings (HKCU\Software\Tarvik) where they are.
; makensis -DVERSION=1.2.0 -DPROGRAM=<folder with Quenlor.exe, README.md, COPYING.txt>
;          -DOUTFILE=<installer> Tarvik.nsi
Unicode true
Target amd64-unicode
RequestExecutionLevel user
SetCompressor /SOLID lzma

!include MUI2.nsh
!include x64.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tarvik"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"

Name "Tarvik"
Caption "Tarvik ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Tarvik"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Tarvik ${VERSION}"
VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1049 "ProductName" "Tarvik"
VIAddVersionKey /LANG=1049 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1049 "FileVersion" "${VERSION}.0"
VIAddVersionKey /LANG=1049 "FileDescription" "Установка Tarvik"
VIAddVersionKey /LANG=1049 "Comments" "Tarvik. Планировщик задач."
VIAddVersionKey /LANG=1049 "LegalCopyright" "GNU GPL 3 или более поздней версии"

!define MUI_ICON "${PROGRAM}\Tarvik.ico"
!define MUI_UNICON "${PROGRAM}\Tarvik.ico"
!define MUI_FINISHPAGE_RUN "$INSTDIR\Quenlor.exe"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Russian"

Section
    SetShellVarContext current
    SetOutPath "$INSTDIR"
    File "${PROGRAM}\Quenlor.exe"
    File "${PROGRAM}\README.md"
    File "${PROGRAM}\COPYING.txt"
    WriteUninstaller "$INSTDIR\Uninstall.exe"
    CreateShortCut "$SMPROGRAMS\Tarvik.lnk" "$INSTDIR\Quenlor.exe"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Tarvik"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Quenlor.exe"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
    SetShellVarContext current
    ; A start at log-on of the program just removed would fail at every log-on.
    ReadRegStr $0 HKCU "${RUN_KEY}" "Tarvik"
    StrCmp $0 '"$INSTDIR\Quenlor.exe"' 0 +2
        DeleteRegValue HKCU "${RUN_KEY}" "Tarvik"
    Delete "$SMPROGRAMS\Tarvik.lnk"
    Delete "$INSTDIR\Quenlor.exe"
    Delete "$INSTDIR\README.md"
    Delete "$INSTDIR\COPYING.txt"
    Delete "$INSTDIR\Uninstall.exe"
    RMDir "$INSTDIR"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
