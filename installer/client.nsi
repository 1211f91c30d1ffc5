; The client's installer: the client with its config.xml and data\ folder in a
; folder of the user's choice (Program Files\<product> by default), a Start
; menu shortcut, an optional desktop shortcut and an uninstaller registered
; with Add/Remove Programs under the release's id. A newer release of the same
; id goes into the same folder and removes what only the older one had (or,
; put elsewhere, the older copy); no release goes into a folder that holds
; another id's.
;
; installer/package.cmake stages the files and passes, with -D:
;   RELEASE          a file of definitions of the description's texts, each
;                    as the installer shows it and, NAME_VI, as its version
;                    information holds it:
;     PRODUCT_NAME     the product's name; PRODUCT_NAME_EN on English systems
;     PUBLISHER        shown at the bottom of every page and in Add/Remove
;                      Programs (not defined when there is none)
;     WEBSITE          the product's website (not defined when none)
;     COPYRIGHT        the copyright line (not defined when none)
;   PRODUCT_KEY      the release's id: the Add/Remove Programs key
;   VERSION          four fields, for the installer's version information;
;                    VERSION_TEXT as its version strings show it
;   RELEASE_VERSION  x.y.z, as in the file names
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
!include FileFunc.nsh
!include "${RELEASE}"
!include "${FILES}"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT_KEY}"
!define UNINSTALLER "uninstall.exe"
; What this release installed: its id ("id:<id>") on the first line, then one
; path a line, relative to the folder. The next release reads it to tell its
; own folder from another id's, and to remove what it no longer has.
!define FILE_LIST "uninstall.lst"
!define ID_LINE "id:${PRODUCT_KEY}"
!define START_SHORTCUT "$SMPROGRAMS\$ShortcutName.lnk"
!define DESKTOP_SHORTCUT "$DESKTOP\$ShortcutName.lnk"

!ifdef SIGN
    !finalize '"${SIGN}" "%1"'
    !uninstfinalize '"${SIGN}" "%1"'
!endif

Name "$(ProductName)"
OutFile "${OUTFILE}"
InstallDir "${PROGRAM_FILES}\${PRODUCT_NAME}"
; A reinstall or an upgrade goes where the last one went.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
!ifdef PUBLISHER
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
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE RefuseAnotherReleasesFolder
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
LangString FolderTaken ${LANG_SIMPCHINESE} "文件夹 $INSTDIR 中已安装了另一个程序。请选择其他文件夹。"
LangString FolderTaken ${LANG_ENGLISH} "Another program is installed in $INSTDIR. Choose another folder."

VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "ProductName" "${PRODUCT_NAME_VI}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "ProductVersion" "${VERSION_TEXT}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "FileVersion" "${VERSION_TEXT}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "FileDescription" "${PRODUCT_NAME_VI} Setup"
!ifdef PUBLISHER
    VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "CompanyName" "${PUBLISHER_VI}"
!endif
!ifdef COPYRIGHT
    VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "LegalCopyright" "${COPYRIGHT_VI}"
!else
    !pragma warning disable 9100
!endif

; The folder this id is installed in, by its entry (empty when it is not
; installed); for the 64-bit installer, that of a 32-bit release of this id
; too, which it replaces.
Var OldFolder
Var OldFolder32
; The shortcuts' name: the product's, or, when another program's shortcut
; already has it (a release of the same name and another id), the
; product's with the id. The entry keeps it for the uninstaller and the
; next release.
Var ShortcutName
; The process id of the client that started this installer to update itself
; (/UPDATE=<id>); empty otherwise.
Var UpdatingClient

Function .onInit
    ; Shortcuts for every user, as the program is installed for every user.
    SetShellVarContext all
    SetRegView ${REG_VIEW}
    Call WaitForUpdatingClient
    ReadRegStr $OldFolder HKLM "${UNINSTALL_KEY}" "InstallLocation"
    StrCpy $OldFolder32 ""
    !if "${ARCH}" == "x86_64"
        ; A 32-bit release of this id, entered in the 32-bit view: this one
        ; goes into its folder unless told otherwise, and takes its place.
        SetRegView 32
        ReadRegStr $OldFolder32 HKLM "${UNINSTALL_KEY}" "InstallLocation"
        SetRegView 64
        ; (The default folder is compared in a variable: the name may hold
        ; quotes that LogicLib's macros would split at.)
        StrCpy $0 "${PROGRAM_FILES}\${PRODUCT_NAME}"
        ${If} $OldFolder32 != ""
        ${AndIf} $OldFolder == ""
        ${AndIf} $INSTDIR == $0
            StrCpy $INSTDIR $OldFolder32
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

; $1, a line of the record of the folder $R0, as a path relative to that
; folder, or empty when it is none that may be removed: absolute (outside
; the folder), naming a drive or a stream, climbing out with "..", or
; holding a wildcard. Records of older releases hold absolute paths: one
; inside the folder counts by the rest of it.
Function RecordedPath
    StrLen $2 "$R0\"
    StrCpy $3 $1 $2
    ${If} $3 == "$R0\"
        StrCpy $1 $1 "" $2
    ${EndIf}
    ; Each name between backslashes is not empty and does not end in a dot
    ; or a space (which Windows drops: "..", ". ." climb).
    StrCpy $2 0
    StrCpy $4 ""
    ${Do}
        StrCpy $3 $1 1 $2
        ${If} $3 == ""
        ${OrIf} $3 == "\"
            ${If} $4 == ""
            ${OrIf} $4 == "."
            ${OrIf} $4 == " "
                StrCpy $1 ""
                Return
            ${EndIf}
            ${IfThen} $3 == "" ${|} Return ${|}
        ${ElseIf} $3 == ":"
        ${OrIf} $3 == "/"
        ${OrIf} $3 == "*"
        ${OrIf} $3 == "?"
        ${OrIf} $3 == "<"
        ${OrIf} $3 == ">"
        ${OrIf} $3 == "|"
        ${OrIf} $3 == "$\""
            StrCpy $1 ""
            Return
        ${EndIf}
        StrCpy $4 $3
        ${IfThen} $3 == "\" ${|} StrCpy $4 "" ${|}
        IntOp $2 $2 + 1
    ${Loop}
FunctionEnd

; What the release whose record is in the folder on the stack installed:
; removed, with the folders it leaves empty, all of it when $R1 is 1 (a
; release this one replaces elsewhere), else what this release does not
; install. The player's own files stay, and so does anything outside the
; folder, whatever the record says.
Function RemoveRecorded
    Exch $R0
    ClearErrors
    FileOpen $0 "$R0\${FILE_LIST}" r
    IfErrors done
    ${Do}
        ClearErrors
        FileReadUTF16LE $0 $1
        ${IfThen} ${Errors} ${|} ${ExitDo} ${|}
        Call TrimLineEnd
        Call RecordedPath
        ${If} $1 != ""
            StrCpy $2 0
            ${If} $R1 != 1
                !insertmacro ClientIsReleasePath $1 $2
            ${EndIf}
            ${If} $2 == 0
                Delete "$R0\$1"
                RMDir "$R0\$1"
            ${EndIf}
        ${EndIf}
    ${Loop}
    FileClose $0
    done:
    Pop $R0
FunctionEnd

; Whether the folder on the stack holds the release of another id: its
; record names another id, or, from a release older than ids in records,
; does not list this id's program. Pushes 1 or 0.
Function HoldsAnotherRelease
    Exch $R0
    Push $0
    Push $1
    Push $2
    StrCpy $R2 0
    ClearErrors
    FileOpen $0 "$R0\${FILE_LIST}" r
    ${IfNot} ${Errors}
        StrCpy $R2 1
        ${Do}
            ClearErrors
            FileReadUTF16LE $0 $1
            ${IfThen} ${Errors} ${|} ${ExitDo} ${|}
            Call TrimLineEnd
            ${If} $1 == "${ID_LINE}"
            ${OrIf} $1 == "$R0\${EXE}"
                StrCpy $R2 0
                ${ExitDo}
            ${EndIf}
            StrCpy $2 $1 3
            ${IfThen} $2 == "id:" ${|} ${ExitDo} ${|}
        ${Loop}
        FileClose $0
    ${EndIf}
    Pop $2
    Pop $1
    Pop $0
    StrCpy $R0 $R2
    Exch $R0
FunctionEnd

; The folder page: another id's folder is refused, and the player asked for
; another.
Function RefuseAnotherReleasesFolder
    Push $INSTDIR
    Call HoldsAnotherRelease
    Pop $0
    ${If} $0 == 1
        MessageBox MB_OK|MB_ICONSTOP "$(FolderTaken)"
        Abort
    ${EndIf}
FunctionEnd

; This id's release in another folder than $INSTDIR goes as a whole (what
; it recorded, its uninstaller, which would otherwise remove this release's
; shortcuts and entry later, its record and its folder when that is left
; empty; the player's own files stay). Its uninstaller is not run: in a
; folder players can write to, it may not be the one its release installed.
; A folder that another id's release has taken since is left alone.
!macro RemoveReplacedRelease FOLDER
    StrCpy $0 1
    ${If} ${FOLDER} != ""
    ${AndIf} ${FOLDER} != $INSTDIR
        Push ${FOLDER}
        Call HoldsAnotherRelease
        Pop $0
    ${EndIf}
    ${If} $0 == 0
        StrCpy $R1 1
        Push ${FOLDER}
        Call RemoveRecorded
        Delete "${FOLDER}\${UNINSTALLER}"
        Delete "${FOLDER}\${FILE_LIST}"
        RMDir "${FOLDER}"
    ${EndIf}
!macroend
; A 32-bit release's entry goes once this release is in place.
!macro ForgetReplacedRelease
    !if "${ARCH}" == "x86_64"
        ${If} $OldFolder32 != ""
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

; The client that started this update ends once it has: its files are free
; only then. One still running after a minute is left to the running-game
; check, which ends a silent install with status 2 and changes nothing.
Function WaitForUpdatingClient
    StrCpy $UpdatingClient ""
    ClearErrors
    ${GetOptions} $CMDLINE "/UPDATE=" $0
    ${If} ${Errors}
        Return
    ${EndIf}
    ; A process id in decimal, nothing else.
    IntOp $1 $0 + 0
    ${If} "$1" != "$0"
    ${OrIf} $1 <= 0
        Return
    ${EndIf}
    StrCpy $UpdatingClient $1
    ; SYNCHRONIZE: enough to wait for it.
    System::Call 'kernel32::OpenProcess(i 0x00100000, i 0, i $UpdatingClient) p.r2'
    ${If} $2 != 0
        System::Call 'kernel32::WaitForSingleObject(p r2, i 60000) i.r3'
        System::Call 'kernel32::CloseHandle(p r2)'
    ${EndIf}
FunctionEnd

; An update the client started brings the player back to the game: the new
; client starts from the installation folder, as the desktop user.
Function .onInstSuccess
    ${If} $UpdatingClient != ""
        Call StartGame
    ${EndIf}
FunctionEnd

Section "$(SectionProgram)" SecProgram
    SectionIn RO
    ; Silently, or should the page have been passed: another id's folder
    ; ends the installer before anything changes (exit status 3).
    Push $INSTDIR
    Call HoldsAnotherRelease
    Pop $0
    ${If} $0 == 1
        MessageBox MB_OK|MB_ICONSTOP "$(FolderTaken)" /SD IDOK
        SetErrorLevel 3
        Quit
    ${EndIf}
    Push $INSTDIR
    Call EnsureGameClosed
    ${If} $OldFolder != ""
        Push $OldFolder
        Call EnsureGameClosed
    ${EndIf}
    ${If} $OldFolder32 != ""
        Push $OldFolder32
        Call EnsureGameClosed
    ${EndIf}
    ReadRegStr $ShortcutName HKLM "${UNINSTALL_KEY}" "ShortcutName"
    ${If} $ShortcutName == ""
        StrCpy $ShortcutName "$(ProductName)"
        ${If} $OldFolder == ""
        ${AndIf} $OldFolder32 == ""
        ${AndIf} ${FileExists} "${START_SHORTCUT}"
            StrCpy $ShortcutName "$(ProductName) (${PRODUCT_KEY})"
        ${EndIf}
    ${EndIf}
    StrCpy $R1 0
    Push $INSTDIR
    Call RemoveRecorded
    !insertmacro RemoveReplacedRelease $OldFolder
    !insertmacro RemoveReplacedRelease $OldFolder32
    SetOutPath "$INSTDIR"
    FileOpen $9 "$INSTDIR\${FILE_LIST}" w
    FileWriteUTF16LE $9 "${ID_LINE}$\r$\n"
    !insertmacro ClientInstallFiles
    WriteUninstaller "$INSTDIR\${UNINSTALLER}"
    FileWriteUTF16LE $9 "${UNINSTALLER}$\r$\n"
    FileClose $9
    ; The client reads config.xml and data\ from its current folder: the
    ; output path is the working folder of the shortcuts made after it.
    SetOutPath "$INSTDIR"
    CreateShortCut "${START_SHORTCUT}" "$INSTDIR\${EXE}"

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT_NAME}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${RELEASE_VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${EXE},0"
    !ifdef PUBLISHER
        WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    !endif
    !ifdef WEBSITE
        WriteRegStr HKLM "${UNINSTALL_KEY}" "URLInfoAbout" "${WEBSITE}"
    !endif
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
    ; Run in its folder, the uninstaller ends when it is done, with its
    ; status (2: the game is running); started otherwise, it hands the work
    ; to a copy of itself and ends at once with 0.
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S _?=$INSTDIR'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "ShortcutName" $ShortcutName
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
SectionEnd

; Removes what the installer made, file by file: the folder may hold the
; user's own files too, and those stay (with the folders that hold them).
Section "Uninstall"
    Push $INSTDIR
    Call un.EnsureGameClosed
    ; Its own shortcuts only: a release of the same name and another id
    ; may have the product's name.
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "ShortcutName"
    ${If} $0 != ""
        Delete "$SMPROGRAMS\$0.lnk"
        Delete "$DESKTOP\$0.lnk"
    ${Else}
        ; Entered by a release older than the entry's shortcut name.
        Delete "$SMPROGRAMS\${PRODUCT_NAME}.lnk"
        Delete "$SMPROGRAMS\${PRODUCT_NAME_EN}.lnk"
        Delete "$DESKTOP\${PRODUCT_NAME}.lnk"
        Delete "$DESKTOP\${PRODUCT_NAME_EN}.lnk"
    ${EndIf}
    !insertmacro ClientRemoveFiles
    Delete "$INSTDIR\${FILE_LIST}"
    ; Run in its folder (_?=), the uninstaller cannot remove itself while it
    ; runs: it goes, with the folder when that is empty, at the next restart.
    Delete /REBOOTOK "$INSTDIR\${UNINSTALLER}"
    RMDir /REBOOTOK "$INSTDIR"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
