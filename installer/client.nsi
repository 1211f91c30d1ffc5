; The client's installer: the client with its config.xml and data\ folder in a
; folder of the user's choice (Program Files\<product> by default), a Start
; menu shortcut, an optional desktop shortcut and an uninstaller registered
; with Add/Remove Programs under the release's id. A newer release of the same
; id goes into the same folder and removes what only the older one had.
;
; installer/package.cmake stages the files and passes, with -D:
;   PRODUCT_NAME     the product's name; PRODUCT_NAME_EN on English systems
;   PUBLISHER        shown at the bottom of every page and in Add/Remove
;                    Programs (may be empty)
;   PRODUCT_KEY      the release's id: the Add/Remove Programs key
;   VERSION          four fields, for the installer's version information;
;                    VERSION_TEXT as its version strings show it
;   RELEASE_VERSION  x.y.z, as in the file names
;   WEBSITE          the product's website (may be empty)
;   COPYRIGHT        the copyright line (may be empty)
;   EXE              the client's file name
;   ICON             the product's icon
;   LICENCE          the licence text (UTF-8), when there is one
;   DESKTOP          ON or OFF: whether the desktop shortcut is ticked
;   FILES            the generated lists of what to install and remove
;   SIGN             a command that signs a file in place, when signing
;   OUTFILE          the installer to write
;   ARCH             x86_64 (the default: a 64-bit installer of the 64-bit
;                    client, in the 64-bit Program Files and registry view)
;                    or i686 (32-bit, for 32-bit Windows)

!ifndef ARCH
    !define ARCH x86_64
!endif
!if "${ARCH}" == "x86_64"
    Target amd64-unicode
    !define PROGRAM_FILES "$PROGRAMFILES64"
    !define REG_VIEW 64
!else
    Target x86-unicode
    !define PROGRAM_FILES "$PROGRAMFILES"
    !define REG_VIEW 32
!endif
SetCompressor /SOLID lzma
; Program Files and HKLM need an administrator.
RequestExecutionLevel admin

!include MUI2.nsh
!include LogicLib.nsh
!include "${FILES}"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT_KEY}"
!define UNINSTALLER "uninstall.exe"
; What this release installed, one path a line: the next release reads it to
; remove what it no longer has.
!define FILE_LIST "uninstall.lst"
!define START_SHORTCUT "$SMPROGRAMS\$(ProductName).lnk"
!define DESKTOP_SHORTCUT "$DESKTOP\$(ProductName).lnk"

!ifdef SIGN
    !finalize '"${SIGN}" "%1"'
    !uninstfinalize '"${SIGN}" "%1"'
!endif

Name "$(ProductName)"
OutFile "${OUTFILE}"
InstallDir "${PROGRAM_FILES}\${PRODUCT_NAME}"
; A reinstall or an upgrade goes where the last one went.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
!if "${PUBLISHER}" != ""
    BrandingText "${PUBLISHER}"
!else
    BrandingText "$(ProductName)"
!endif

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_FUNCTION StartGame
!insertmacro MUI_PAGE_WELCOME
!ifdef LICENCE
    !insertmacro MUI_PAGE_LICENSE "${LICENCE}"
!endif
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

LangString ProductName ${LANG_SIMPCHINESE} "${PRODUCT_NAME}"
LangString ProductName ${LANG_ENGLISH} "${PRODUCT_NAME_EN}"
LangString SectionProgram ${LANG_SIMPCHINESE} "程序和开始菜单快捷方式"
LangString SectionProgram ${LANG_ENGLISH} "Program and Start menu shortcut"
LangString SectionDesktop ${LANG_SIMPCHINESE} "桌面快捷方式"
LangString SectionDesktop ${LANG_ENGLISH} "Desktop shortcut"
LangString GameRunning ${LANG_SIMPCHINESE} "$(ProductName) 正在运行。请关闭游戏，然后点击“重试”。"
LangString GameRunning ${LANG_ENGLISH} "$(ProductName) is running. Close the game, then click Retry."

VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "ProductName" "${PRODUCT_NAME}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "ProductVersion" "${VERSION_TEXT}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "FileVersion" "${VERSION_TEXT}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "FileDescription" "${PRODUCT_NAME} Setup"
!if "${PUBLISHER}" != ""
    VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "CompanyName" "${PUBLISHER}"
!endif
!if "${COPYRIGHT}" != ""
    VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "LegalCopyright" "${COPYRIGHT}"
!else
    !pragma warning disable 9100
!endif

; The folder of a 32-bit release of this id that a 64-bit one replaces
; (empty when there is none).
Var OldFolder

Function .onInit
    ; Shortcuts for every user, as the program is installed for every user.
    SetShellVarContext all
    SetRegView ${REG_VIEW}
    StrCpy $OldFolder ""
    !if "${ARCH}" == "x86_64"
        ; A 32-bit release of this id, entered in the 32-bit view: this one
        ; goes into its folder unless told otherwise, and takes its place.
        SetRegView 32
        ReadRegStr $OldFolder HKLM "${UNINSTALL_KEY}" "InstallLocation"
        SetRegView 64
        ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
        ${If} $OldFolder != ""
        ${AndIf} $0 == ""
        ${AndIf} $INSTDIR == "${PROGRAM_FILES}\${PRODUCT_NAME}"
            StrCpy $INSTDIR $OldFolder
        ${EndIf}
    !endif
FunctionEnd

Function un.onInit
    SetShellVarContext all
    SetRegView ${REG_VIEW}
FunctionEnd

; A running game holds its files: ask the player to close it, or end without
; changing anything (the only answer in silent mode, with exit status 2).
; The game's folder is on the stack.
!macro GameClosedCheck PREFIX
    Function ${PREFIX}EnsureGameClosed
        Exch $R0
        retry:
        IfFileExists "$R0\${EXE}" 0 closed
        ClearErrors
        FileOpen $0 "$R0\${EXE}" a
        IfErrors 0 opened
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(GameRunning)" /SD IDCANCEL IDRETRY retry
        SetErrorLevel 2
        Quit
        opened:
        FileClose $0
        closed:
        Pop $R0
    FunctionEnd
!macroend
!insertmacro GameClosedCheck ""
!insertmacro GameClosedCheck "un."

; $1 without its line end.
Function TrimLineEnd
    ${Do}
        StrCpy $2 $1 1 -1
        ${If} $2 == "$\n"
        ${OrIf} $2 == "$\r"
            StrCpy $1 $1 -1
        ${Else}
            ${ExitDo}
        ${EndIf}
    ${Loop}
FunctionEnd

; What the release installed in the folder on the stack and this one does not
; install: removed, with the folders it leaves empty. The player's own files
; stay.
Function RemoveOldRelease
    Exch $R0
    ClearErrors
    FileOpen $0 "$R0\${FILE_LIST}" r
    IfErrors done
    ${Do}
        ClearErrors
        FileReadUTF16LE $0 $1
        ${IfThen} ${Errors} ${|} ${ExitDo} ${|}
        Call TrimLineEnd
        !insertmacro ClientIsReleasePath $1 $2
        ${If} $2 == 0
        ${AndIf} $1 != ""
            Delete "$1"
            RMDir "$1"
        ${EndIf}
    ${Loop}
    FileClose $0
    done:
    Pop $R0
FunctionEnd

; A 32-bit release of this id in another folder goes as a whole (what it
; recorded, its record and its folder when that is left empty; the player's
; own files stay); its entry goes once this release is in place.
!macro RemoveReplacedRelease
    !if "${ARCH}" == "x86_64"
        ${If} $OldFolder != ""
        ${AndIf} $OldFolder != $INSTDIR
            Push $OldFolder
            Call RemoveOldRelease
            Delete "$OldFolder\${FILE_LIST}"
            RMDir "$OldFolder"
        ${EndIf}
    !endif
!macroend
!macro ForgetReplacedRelease
    !if "${ARCH}" == "x86_64"
        ${If} $OldFolder != ""
            SetRegView 32
            DeleteRegKey HKLM "${UNINSTALL_KEY}"
            SetRegView 64
        ${EndIf}
    !endif
!macroend

; The installer runs as an administrator: the game starts as the player, from
; its shortcut by the desktop's shell.
Function StartGame
    Exec '"$WINDIR\explorer.exe" "${START_SHORTCUT}"'
FunctionEnd

Section "$(SectionProgram)" SecProgram
    SectionIn RO
    Push $INSTDIR
    Call EnsureGameClosed
    ${If} $OldFolder != ""
        Push $OldFolder
        Call EnsureGameClosed
    ${EndIf}
    Push $INSTDIR
    Call RemoveOldRelease
    !insertmacro RemoveReplacedRelease
    SetOutPath "$INSTDIR"
    FileOpen $9 "$INSTDIR\${FILE_LIST}" w
    !insertmacro ClientInstallFiles
    WriteUninstaller "$INSTDIR\${UNINSTALLER}"
    FileWriteUTF16LE $9 "$INSTDIR\${UNINSTALLER}$\r$\n"
    ; The client reads config.xml and data\ from its current folder: the
    ; output path is the working folder of the shortcuts made after it.
    SetOutPath "$INSTDIR"
    CreateShortCut "${START_SHORTCUT}" "$INSTDIR\${EXE}"
    FileWriteUTF16LE $9 "${START_SHORTCUT}$\r$\n"
    FileClose $9

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT_NAME}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${RELEASE_VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${EXE},0"
    !if "${PUBLISHER}" != ""
        WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    !endif
    !if "${WEBSITE}" != ""
        WriteRegStr HKLM "${UNINSTALL_KEY}" "URLInfoAbout" "${WEBSITE}"
    !endif
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    ; In KB, as the compiler counted the section's files.
    SectionGetSize ${SecProgram} $0
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
    !insertmacro ForgetReplacedRelease
SectionEnd

!if ${DESKTOP} == ON
    Section "$(SectionDesktop)" SecDesktop
!else
    Section /o "$(SectionDesktop)" SecDesktop
!endif
    SetOutPath "$INSTDIR"
    CreateShortCut "${DESKTOP_SHORTCUT}" "$INSTDIR\${EXE}"
    FileOpen $9 "$INSTDIR\${FILE_LIST}" a
    FileSeek $9 0 END
    FileWriteUTF16LE $9 "${DESKTOP_SHORTCUT}$\r$\n"
    FileClose $9
SectionEnd

; Removes what the installer made, file by file: the folder may hold the
; user's own files too, and those stay (with the folders that hold them).
Section "Uninstall"
    Push $INSTDIR
    Call un.EnsureGameClosed
    Delete "$SMPROGRAMS\${PRODUCT_NAME}.lnk"
    Delete "$SMPROGRAMS\${PRODUCT_NAME_EN}.lnk"
    Delete "$DESKTOP\${PRODUCT_NAME}.lnk"
    Delete "$DESKTOP\${PRODUCT_NAME_EN}.lnk"
    !insertmacro ClientRemoveFiles
    Delete "$INSTDIR\${FILE_LIST}"
    Delete "$INSTDIR\${UNINSTALLER}"
    RMDir "$INSTDIR"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
