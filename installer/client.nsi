; The client's installer: the client with its config.xml and data\ folder in a
; folder of the user's choice (Program Files by default), a Start menu
; shortcut, an optional desktop shortcut (made unless unticked, so a silent
; install makes it too) and an uninstaller registered with Add/Remove Programs.
;
; installer/package.cmake stages the files and passes, with -D:
;   PRODUCT_NAME     shown name, from the executable's version information
;   PRODUCT_KEY      the Add/Remove Programs key
;   VERSION          the project's version, four fields
;   RELEASE_VERSION  its first three, as in the file names
;   ICON             the client's icon
;   FILES            the generated lists of what to install and remove
;   OUTFILE          the installer to write

Unicode true
SetCompressor /SOLID lzma
; Program Files and HKLM need an administrator.
RequestExecutionLevel admin

!include MUI2.nsh
!include "${FILES}"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT_KEY}"
!define UNINSTALLER "uninstall.exe"
!define SHORTCUT "${PRODUCT_NAME}.lnk"

Name "${PRODUCT_NAME} ${RELEASE_VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\${PRODUCT_NAME}"
; A reinstall or an upgrade goes where the last one went.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_COMPONENTSPAGE_NODESC
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; The players read Chinese: it is the first language, shown on every system
; whose language is neither of these; English systems get English.
!insertmacro MUI_LANGUAGE "SimpChinese"
!insertmacro MUI_LANGUAGE "English"

LangString SectionProgram ${LANG_SIMPCHINESE} "程序和开始菜单快捷方式"
LangString SectionProgram ${LANG_ENGLISH} "Program and Start menu shortcut"
LangString SectionDesktop ${LANG_SIMPCHINESE} "桌面快捷方式"
LangString SectionDesktop ${LANG_ENGLISH} "Desktop shortcut"

; As in the client's own version information, no copyright line.
!pragma warning disable 9100
VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "ProductName" "${PRODUCT_NAME}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "FileDescription" "${PRODUCT_NAME} Setup"

Function .onInit
    ; Shortcuts for every user, as the program is installed for every user.
    SetShellVarContext all
FunctionEnd

Function un.onInit
    SetShellVarContext all
FunctionEnd

Section "$(SectionProgram)" SecProgram
    SectionIn RO
    !insertmacro ClientInstallFiles
    WriteUninstaller "$INSTDIR\${UNINSTALLER}"
    ; The client reads config.xml and data\ from its current folder: the
    ; output path is the working folder of the shortcuts made after it.
    SetOutPath "$INSTDIR"
    CreateShortCut "$SMPROGRAMS\${SHORTCUT}" "$INSTDIR\client.exe"

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT_NAME}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${RELEASE_VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\client.exe,0"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    ; In KB, as the compiler counted the section's files.
    SectionGetSize ${SecProgram} $0
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "$(SectionDesktop)" SecDesktop
    SetOutPath "$INSTDIR"
    CreateShortCut "$DESKTOP\${SHORTCUT}" "$INSTDIR\client.exe"
SectionEnd

; Removes what the installer made, file by file: the folder may hold the
; user's own files too, and those stay (with the folders that hold them).
Section "Uninstall"
    Delete "$SMPROGRAMS\${SHORTCUT}"
    Delete "$DESKTOP\${SHORTCUT}"
    !insertmacro ClientRemoveFiles
    Delete "$INSTDIR\${UNINSTALLER}"
    RMDir "$INSTDIR"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
