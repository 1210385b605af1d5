; The Windows setup program: finds the player's folder, puts vis_skyburst.dll and its guide into its
; Plugins folder, leaves an uninstaller beside them and lists it among the installed programs, one entry
; per player folder. Built by ./run dist:
;   makensis -DVERSION=2.21 -DSTAGE=<folder with vis_skyburst.dll and Skyburst.txt> -DOUTFILE=<setup.exe>
; It runs as the user who starts it; a player under Program Files needs it run as administrator.
; Command line: /S unattended; /SETVIS (with /S) also makes Skyburst the player's visualisation, as the
; finish page's ticked box does; /D=<player folder> last and unquoted, as NSIS reads it.
; Exit codes of the setup program and of the uninstaller: 0 done, 1 cancelled by the user (NSIS's own),
; 3 no player in the folder (unattended), 4 the folder is not writable (setup) or a file could not be
; removed (uninstaller), 5 the DLL is in use, 6 installed, but /SETVIS found the player running or could
; not write its winamp.ini.

Unicode true
!ifndef VERSION | STAGE | OUTFILE
    !error "VERSION, STAGE and OUTFILE must be defined"
!endif

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "WordFunc.nsh"
!include "WinMessages.nsh"

!define PRODUCT "Skyburst"
!define PLAYER_KEY "Software\Winamp"
; The player's main window, which takes WM_CLOSE as its own Close command.
!define PLAYER_WINDOW_CLASS "Winamp v1.x"
!define UNINSTALL_ROOT "Software\Microsoft\Windows\CurrentVersion\Uninstall"
!define PLAYER_UNINSTALL_KEY "${UNINSTALL_ROOT}\Winamp"
; Versions up to 2.21 kept one entry, of this name, for every player folder.
!define SHARED_UNINSTALL_KEY "${UNINSTALL_ROOT}\Skyburst"
!define UNINSTALLER "uninstall-skyburst.exe"
!define EXIT_NO_PLAYER 3
!define EXIT_NOT_WRITABLE 4
!define EXIT_DLL_IN_USE 5
!define EXIT_VIS_NOT_SET 6

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
RequestExecutionLevel user
ManifestDPIAware true
; Left empty so that .onInit can tell a folder given with /D= from none.
InstallDir ""
ShowInstDetails show
ShowUninstDetails show
; No file times in the setup program: the same commit gives the same bytes whenever it is built.
SetDateSave off
SetCompressor /SOLID lzma

VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} ${VERSION} setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) the ${PRODUCT} authors"

!define MUI_ABORTWARNING
!define MUI_DIRECTORYPAGE_TEXT_TOP "Setup installs ${PRODUCT} into the Plugins folder of the player. Choose the player's folder: the one that holds winamp.exe."
!define MUI_DIRECTORYPAGE_TEXT_DESTINATION "Player folder"
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE DirectoryLeave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_TEXT "${PRODUCT} is installed. To choose it later in the player: Options, Preferences, Plug-ins, Visualization, $\"Skyburst Plugin$\"."
; MUI calls the "run" box's function before the "readme" box's: the player's settings are written
; before the player starts.
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Make ${PRODUCT} the player's visualisation"
!define MUI_FINISHPAGE_RUN_FUNCTION FinishSetVis
!define MUI_FINISHPAGE_SHOWREADME
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Start the player"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!define MUI_FINISHPAGE_SHOWREADME_FUNCTION FinishStartPlayer
!define MUI_PAGE_CUSTOMFUNCTION_SHOW FinishShow
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

; The uninstall entry of the copy in the Plugins folder PLUGINS: one per folder, named after it ("\"
; cannot be in a key's name).
!macro OWN_KEY PLUGINS OUT
    ${WordReplace} "${PLUGINS}" "\" "/" "+" ${OUT}
    StrCpy ${OUT} "${UNINSTALL_ROOT}\${PRODUCT} ${OUT}"
!macroend

; The folder of a command line such as "C:\Program Files\Winamp\UninstWA.exe" /S, quoted or not.
; In: $0. Out: $0 (empty when there is none).
Function FolderOfCommand
    StrCpy $1 $0 1
    ${If} $1 == '"'
        StrCpy $0 $0 "" 1
        StrCpy $2 0
        ${Do}
            StrCpy $1 $0 1 $2
            ${IfThen} $1 == "" ${|} ${ExitDo} ${|}
            ${IfThen} $1 == '"' ${|} ${ExitDo} ${|}
            IntOp $2 $2 + 1
        ${Loop}
        StrCpy $0 $0 $2
    ${EndIf}
    ${If} $0 != ""
        ${GetParent} $0 $0
    ${EndIf}
FunctionEnd

; Takes $0 as the player's folder when it holds winamp.exe ($3 = 1 then); the first folder named at all
; is kept in $4 in case none does.
!macro CONSIDER_FOLDER
    ${If} $3 == 0
    ${AndIf} $0 != ""
        ${If} $4 == ""
            StrCpy $4 $0
        ${EndIf}
        ${If} ${FileExists} "$0\winamp.exe"
            StrCpy $4 $0
            StrCpy $3 1
        ${EndIf}
    ${EndIf}
!macroend

; Where the player records its folder: its own key, then its uninstall entry (the user's, then the
; machine's), then the usual Program Files folder.
Function FindPlayer
    StrCpy $3 0
    StrCpy $4 ""
    ReadRegStr $0 HKCU "${PLAYER_KEY}" ""
    !insertmacro CONSIDER_FOLDER
    ReadRegStr $0 HKCU "${PLAYER_UNINSTALL_KEY}" "InstallLocation"
    !insertmacro CONSIDER_FOLDER
    ReadRegStr $0 HKCU "${PLAYER_UNINSTALL_KEY}" "UninstallString"
    Call FolderOfCommand
    !insertmacro CONSIDER_FOLDER
    ReadRegStr $0 HKLM "${PLAYER_UNINSTALL_KEY}" "InstallLocation"
    !insertmacro CONSIDER_FOLDER
    ReadRegStr $0 HKLM "${PLAYER_UNINSTALL_KEY}" "UninstallString"
    Call FolderOfCommand
    !insertmacro CONSIDER_FOLDER
    StrCpy $0 "$PROGRAMFILES\Winamp"
    !insertmacro CONSIDER_FOLDER
    StrCpy $INSTDIR $4
FunctionEnd

; Whether $INSTDIR can take the plug-in. Out: $R0 = "" when it can, else "readonly". Writing is tried
; with a probe file that is removed at once, where the files will go: the Plugins folder, else the
; nearest folder above it that there is.
Function CheckWritable
    StrCpy $R0 ""
    StrCpy $R1 "$INSTDIR\Plugins"
    ${DoUntil} ${FileExists} "$R1\*.*"
        ${GetParent} $R1 $R1
        ${IfThen} $R1 == "" ${|} Return ${|}
    ${Loop}
    ClearErrors
    FileOpen $R2 "$R1\skyburst-setup-probe.tmp" w
    ${If} ${Errors}
        StrCpy $R0 "readonly"
        Return
    ${EndIf}
    FileClose $R2
    Delete "$R1\skyburst-setup-probe.tmp"
FunctionEnd

!define NOT_WRITABLE_TEXT "Setup cannot write into the player's folder:$\r$\n$INSTDIR$\r$\n$\r$\nA player installed under Program Files is writable only by an administrator. Right-click the setup program and choose $\"Run as administrator$\", or choose a player folder you can write to. Nothing was installed."

Function .onInit
    ${If} $INSTDIR == ""
        Call FindPlayer
    ${EndIf}
    ${If} ${Silent}
        ; No directory page to correct it on: a folder that does not suit is refused before anything is written.
        ${IfNot} ${FileExists} "$INSTDIR\winamp.exe"
            SetErrorLevel ${EXIT_NO_PLAYER}
            Quit
        ${EndIf}
        Call CheckWritable
        ${If} $R0 == "readonly"
            SetErrorLevel ${EXIT_NOT_WRITABLE}
            Quit
        ${EndIf}
    ${EndIf}
FunctionEnd

Function DirectoryLeave
    ${IfNot} ${FileExists} "$INSTDIR\winamp.exe"
        MessageBox MB_YESNO|MB_ICONEXCLAMATION|MB_DEFBUTTON2 "There is no winamp.exe in$\r$\n$INSTDIR$\r$\n$\r$\nThis does not look like the player's folder, and the player will not find ${PRODUCT} there. Install there anyway?" IDYES checked
        Abort
    ${EndIf}
    checked:
    Call CheckWritable
    ${If} $R0 == "readonly"
        MessageBox MB_OK|MB_ICONSTOP "${NOT_WRITABLE_TEXT}"
        Abort
    ${EndIf}
FunctionEnd

; Asks the running player to close, as its own Close command does, and waits up to 10 s for its window
; to go. In: $0, its window.
!macro CLOSE_PLAYER UN
Function ${UN}ClosePlayer
    SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=5000
    ${For} $1 1 100
        FindWindow $0 "${PLAYER_WINDOW_CLASS}"
        ${IfThen} $0 = 0 ${|} ${Break} ${|}
        Sleep 100
    ${Next}
FunctionEnd
!macroend
!insertmacro CLOSE_PLAYER ""
!insertmacro CLOSE_PLAYER "un."

; Adds the size of the installed FILE, in kilobytes rounded up, to $3.
!macro ADD_KILOBYTES FILE
    ${GetSize} "$INSTDIR\Plugins" "/M=${FILE} /S=0B /G=0" $4 $5 $6
    IntOp $4 $4 + 1023
    IntOp $4 $4 / 1024
    IntOp $3 $3 + $4
!macroend

!define PLAYER_HOLDS_TEXT "$\r$\n$\r$\nThe player is running and holds it. Close the player now and try again?"

Section "Skyburst"
    SetOutPath "$INSTDIR\Plugins"
    ; The player holds the DLL while it shows a visualisation; it cannot be replaced until it lets go.
    SetOverwrite try
    retry:
    ClearErrors
    File "${STAGE}/vis_skyburst.dll"
    ${If} ${Errors}
        FindWindow $0 "${PLAYER_WINDOW_CLASS}"
        ${If} $0 <> 0
            MessageBox MB_YESNO|MB_ICONEXCLAMATION "Setup cannot replace$\r$\n$INSTDIR\Plugins\vis_skyburst.dll${PLAYER_HOLDS_TEXT}" /SD IDNO IDNO in_use
            Call ClosePlayer
            Goto retry
        ${EndIf}
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Setup cannot replace$\r$\n$INSTDIR\Plugins\vis_skyburst.dll$\r$\n$\r$\nAnother program holds it. Close it, then choose Retry." /SD IDCANCEL IDRETRY retry
        in_use:
        DetailPrint "vis_skyburst.dll is in use; nothing more was installed."
        SetErrorLevel ${EXIT_DLL_IN_USE}
        Abort
    ${EndIf}
    SetOverwrite on
    File "${STAGE}/Skyburst.txt"
    WriteUninstaller "$INSTDIR\Plugins\${UNINSTALLER}"

    ; The entry of this folder's copy; the shared one of older versions goes when it names this copy.
    StrCpy $1 '"$INSTDIR\Plugins\${UNINSTALLER}"'
    ReadRegStr $0 HKCU "${SHARED_UNINSTALL_KEY}" "UninstallString"
    ${If} $0 == $1
        DeleteRegKey HKCU "${SHARED_UNINSTALL_KEY}"
    ${EndIf}
    !insertmacro OWN_KEY "$INSTDIR\Plugins" $2
    WriteRegStr HKCU $2 "DisplayName" "${PRODUCT} ${VERSION} (visualisation plug-in) in $INSTDIR"
    WriteRegStr HKCU $2 "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU $2 "Publisher" "${PRODUCT}"
    WriteRegStr HKCU $2 "DisplayIcon" "$INSTDIR\Plugins\${UNINSTALLER}"
    WriteRegStr HKCU $2 "UninstallString" $1
    WriteRegStr HKCU $2 "QuietUninstallString" '$1 /S'
    WriteRegStr HKCU $2 "InstallLocation" "$INSTDIR\Plugins"
    WriteRegDWORD HKCU $2 "NoModify" 1
    WriteRegDWORD HKCU $2 "NoRepair" 1
    StrCpy $3 0
    !insertmacro ADD_KILOBYTES vis_skyburst.dll
    !insertmacro ADD_KILOBYTES Skyburst.txt
    !insertmacro ADD_KILOBYTES ${UNINSTALLER}
    WriteRegDWORD HKCU $2 "EstimatedSize" $3
SectionEnd

; What kind of line of an ini file $R8 is: Out: $1 = "section" or "key" (else empty) and $2 its name,
; without the spaces and tabs around it.
Function IniLine
    StrCpy $1 ""
    StrCpy $3 0
    ${Do}
        StrCpy $4 $R8 1 $3
        ${If} $4 != " "
        ${AndIf} $4 != "$\t"
            ${ExitDo}
        ${EndIf}
        IntOp $3 $3 + 1
    ${Loop}
    StrCpy $5 "="
    ${IfThen} $4 == "[" ${|} StrCpy $5 "]" ${|}
    ${IfThen} $4 == "[" ${|} IntOp $3 $3 + 1 ${|}
    StrCpy $6 $3
    ${Do}
        StrCpy $4 $R8 1 $6
        ${IfThen} $4 == "" ${|} Return ${|}
        ${IfThen} $4 == $5 ${|} ${ExitDo} ${|}
        IntOp $6 $6 + 1
    ${Loop}
    IntOp $6 $6 - $3
    StrCpy $2 $R8 $6 $3
    ${Do}
        StrCpy $4 $2 1 -1
        ${If} $4 != " "
        ${AndIf} $4 != "$\t"
            ${ExitDo}
        ${EndIf}
        StrCpy $2 $2 -1
    ${Loop}
    StrCpy $1 "key"
    ${IfThen} $5 == "]" ${|} StrCpy $1 "section" ${|}
FunctionEnd

!define VIS_LINES "visplugin_name=vis_skyburst.dll$\r$\nvisplugin_num=0$\r$\n"

; Makes Skyburst the player's visualisation: in winamp.ini beside winamp.exe, section [Winamp],
; visplugin_name=vis_skyburst.dll and visplugin_num=0, just below the section's name (the old lines of
; those keys go). Every other line is copied byte for byte; a missing file or section is added. The
; player writes the file over when it closes, so nothing is written while it runs.
; Out: $R0 = "" when done, else "running" or "failed".
Function SetPlayerVis
    FindWindow $R0 "${PLAYER_WINDOW_CLASS}"
    ${If} $R0 <> 0
        StrCpy $R0 "running"
        Return
    ${EndIf}
    StrCpy $R0 "failed"
    StrCpy $R1 "$INSTDIR\winamp.ini"
    ClearErrors
    FileOpen $R2 "$R1.skyburst-new" w
    ${IfThen} ${Errors} ${|} Return ${|}
    StrCpy $R4 ""  ; the section the line is in
    StrCpy $R5 0   ; 1 once the two lines are written
    StrCpy $R6 1   ; 1 when the last line read ended with a line break (a long line comes in pieces)
    ClearErrors
    FileOpen $R3 $R1 r
    ${IfNot} ${Errors}
        ${Do}
            FileSeek $R3 0 CUR $R7
            ClearErrors
            FileRead $R3 $R8
            ${IfThen} ${Errors} ${|} ${ExitDo} ${|}
            FileSeek $R3 0 CUR $R9
            StrCpy $0 1  ; whether the line is kept
            StrCpy $1 ""
            ${If} $R6 = 1
                Call IniLine
                ${IfThen} $1 == "section" ${|} StrCpy $R4 $2 ${|}
                ${If} $1 == "key"
                ${AndIf} $R4 == "Winamp"
                    ${If} $2 == "visplugin_name"
                    ${OrIf} $2 == "visplugin_num"
                        StrCpy $0 0
                    ${EndIf}
                ${EndIf}
            ${EndIf}
            StrCpy $4 $R8 1 -1
            StrCpy $R6 0
            ${If} $4 == "$\n"
            ${OrIf} $4 == "$\r"
                StrCpy $R6 1
            ${EndIf}
            ${If} $0 = 1
                ; The line's own bytes, not the string FileRead made of them in the system's code page.
                FileSeek $R3 $R7 SET
                IntOp $5 $R9 - $R7
                ${For} $6 1 $5
                    FileReadByte $R3 $7
                    FileWriteByte $R2 $7
                ${Next}
            ${EndIf}
            ${If} $1 == "section"
            ${AndIf} $R4 == "Winamp"
            ${AndIf} $R5 = 0
                ${IfThen} $R6 = 0 ${|} FileWrite $R2 "$\r$\n" ${|}
                FileWrite $R2 "${VIS_LINES}"
                StrCpy $R5 1
                StrCpy $R6 1
            ${EndIf}
        ${Loop}
        FileClose $R3
    ${EndIf}
    ${If} $R5 = 0
        ${IfThen} $R6 = 0 ${|} FileWrite $R2 "$\r$\n" ${|}
        FileWrite $R2 "[Winamp]$\r$\n${VIS_LINES}"
    ${EndIf}
    FileClose $R2
    Delete $R1
    ClearErrors
    Rename "$R1.skyburst-new" $R1
    ${IfNot} ${Errors}
        StrCpy $R0 ""
    ${EndIf}
    Delete "$R1.skyburst-new"
FunctionEnd

Function .onInstSuccess
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/SETVIS" $1
    ${If} ${Silent}
    ${AndIfNot} ${Errors}
        Call SetPlayerVis
        ${IfThen} $R0 != "" ${|} SetErrorLevel ${EXIT_VIS_NOT_SET} ${|}
    ${EndIf}
FunctionEnd

; A folder without the player has no player to set up or start.
Function FinishShow
    ${IfNot} ${FileExists} "$INSTDIR\winamp.exe"
        ${NSD_Uncheck} $mui.FinishPage.Run
        EnableWindow $mui.FinishPage.Run 0
        EnableWindow $mui.FinishPage.ShowReadme 0
    ${EndIf}
FunctionEnd

Function FinishSetVis
    Call SetPlayerVis
    ${If} $R0 == "running"
        MessageBox MB_OK|MB_ICONINFORMATION "The player is running, so Setup left its settings alone: the player writes them over when it closes. To choose ${PRODUCT}, in the player open Options, Preferences, Plug-ins, Visualization, and pick $\"Skyburst Plugin$\"."
    ${ElseIf} $R0 == "failed"
        MessageBox MB_OK|MB_ICONEXCLAMATION "Setup could not write$\r$\n$INSTDIR\winamp.ini$\r$\n$\r$\nTo choose ${PRODUCT}, in the player open Options, Preferences, Plug-ins, Visualization, and pick $\"Skyburst Plugin$\"."
    ${EndIf}
FunctionEnd

Function FinishStartPlayer
    Exec '"$INSTDIR\winamp.exe"'
FunctionEnd

; Removes the file $R9 and checks that it is gone: a folder the user may not change can let the delete
; report success and keep the file. When the file stays, says why and what to do, and on Cancel (or
; unattended) ends the uninstall with its entry kept.
Function un.RemoveFile
    retry:
    Delete $R9
    ${IfNot} ${FileExists} $R9
        Return
    ${EndIf}
    FindWindow $0 "${PLAYER_WINDOW_CLASS}"
    ${If} $0 <> 0
        MessageBox MB_YESNO|MB_ICONEXCLAMATION "Cannot remove$\r$\n$R9${PLAYER_HOLDS_TEXT}" /SD IDNO IDNO in_use
        Call un.ClosePlayer
        Goto retry
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Cannot remove$\r$\n$R9$\r$\n$\r$\nWindows did not let this program change the folder. A player under Program Files can be changed only by an administrator: right-click$\r$\n$INSTDIR\${UNINSTALLER}$\r$\nand choose $\"Run as administrator$\". If another program has the file open, close it. Then choose Retry." /SD IDCANCEL IDRETRY retry
    DetailPrint "$R9 is still there; the uninstall entry is kept."
    SetErrorLevel ${EXIT_NOT_WRITABLE}
    Abort
    in_use:
    DetailPrint "$R9 is in use; the uninstall entry is kept."
    SetErrorLevel ${EXIT_DLL_IN_USE}
    Abort
FunctionEnd

; The uninstaller lives in the Plugins folder, so $INSTDIR is that folder. It removes its own files and
; its folder's registry entry and nothing else: plugin.ini holds the user's settings. Run in place
; (_?=<folder>), it cannot remove itself and leaves its own file.
Section "Uninstall"
    StrCpy $R9 "$INSTDIR\vis_skyburst.dll"
    Call un.RemoveFile
    StrCpy $R9 "$INSTDIR\Skyburst.txt"
    Call un.RemoveFile
    ${If} $EXEDIR != $INSTDIR
        StrCpy $R9 "$INSTDIR\${UNINSTALLER}"
        Call un.RemoveFile
    ${EndIf}
    !insertmacro OWN_KEY $INSTDIR $0
    DeleteRegKey HKCU $0
SectionEnd
