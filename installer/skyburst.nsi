; The Windows setup program: finds the player's folder, puts vis_skyburst.dll and its guide into its
; Plugins folder and leaves an uninstaller beside them. Built by ./run dist:
;   makensis -DVERSION=2.21 -DSTAGE=<folder with vis_skyburst.dll and Skyburst.txt> -DOUTFILE=<setup.exe>
; It runs as the user who starts it; a player under Program Files needs it run as administrator.
; Exit codes: 0 installed, 2 cancelled, 3 no player in the folder (silent mode), 4 the folder is not
; writable, 5 the DLL is in use and was not replaced.

Unicode true
!ifndef VERSION | STAGE | OUTFILE
    !error "VERSION, STAGE and OUTFILE must be defined"
!endif

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"

!define PRODUCT "Skyburst"
!define PLAYER_KEY "Software\Winamp"
!define UNINSTALL_ROOT "Software\Microsoft\Windows\CurrentVersion\Uninstall"
!define PLAYER_UNINSTALL_KEY "${UNINSTALL_ROOT}\Winamp"
!define OWN_UNINSTALL_KEY "${UNINSTALL_ROOT}\Skyburst"
!define UNINSTALLER "uninstall-skyburst.exe"
!define EXIT_NO_PLAYER 3
!define EXIT_NOT_WRITABLE 4
!define EXIT_DLL_IN_USE 5

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
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} ${VERSION} setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" ""

!define MUI_ABORTWARNING
!define MUI_DIRECTORYPAGE_TEXT_TOP "Setup installs ${PRODUCT} into the Plugins folder of the player. Choose the player's folder: the one that holds winamp.exe."
!define MUI_DIRECTORYPAGE_TEXT_DESTINATION "Player folder"
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE DirectoryLeave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_TEXT "${PRODUCT} is installed. In the player, open Preferences, Visualization, and pick $\"Skyburst Plugin$\"."
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

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

; Whether $INSTDIR can take the plug-in. Out: $R0 = "" when it can, else "noplayer" or "readonly".
; Writing is tried with a probe file that is removed at once, where the files will go.
Function CheckFolder
    StrCpy $R0 ""
    ${IfNot} ${FileExists} "$INSTDIR\winamp.exe"
        StrCpy $R0 "noplayer"
        Return
    ${EndIf}
    StrCpy $R1 "$INSTDIR\Plugins"
    ${IfNot} ${FileExists} "$R1\*.*"
        StrCpy $R1 $INSTDIR
    ${EndIf}
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
        Call CheckFolder
        ${If} $R0 == "noplayer"
            SetErrorLevel ${EXIT_NO_PLAYER}
            Quit
        ${ElseIf} $R0 == "readonly"
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
    Call CheckFolder
    ${If} $R0 == "readonly"
        MessageBox MB_OK|MB_ICONSTOP "${NOT_WRITABLE_TEXT}"
        Abort
    ${EndIf}
FunctionEnd

Section "Skyburst"
    SetOutPath "$INSTDIR\Plugins"
    ; The player holds the DLL while it shows a visualisation; it cannot be replaced until it lets go.
    SetOverwrite try
    retry:
    ClearErrors
    File "${STAGE}/vis_skyburst.dll"
    ${If} ${Errors}
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Setup cannot replace$\r$\n$INSTDIR\Plugins\vis_skyburst.dll$\r$\n$\r$\nThe player is probably running and holding it. Close the player, then choose Retry." /SD IDCANCEL IDRETRY retry
        DetailPrint "vis_skyburst.dll is in use; nothing more was installed."
        SetErrorLevel ${EXIT_DLL_IN_USE}
        Abort
    ${EndIf}
    SetOverwrite on
    File "${STAGE}/Skyburst.txt"
    WriteUninstaller "$INSTDIR\Plugins\${UNINSTALLER}"

    WriteRegStr HKCU "${OWN_UNINSTALL_KEY}" "DisplayName" "${PRODUCT} ${VERSION} (visualisation plug-in)"
    WriteRegStr HKCU "${OWN_UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${OWN_UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Plugins\${UNINSTALLER}"'
    WriteRegStr HKCU "${OWN_UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Plugins\${UNINSTALLER}" /S'
    WriteRegStr HKCU "${OWN_UNINSTALL_KEY}" "InstallLocation" "$INSTDIR\Plugins"
    WriteRegDWORD HKCU "${OWN_UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${OWN_UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; The uninstaller lives in the Plugins folder, so $INSTDIR is that folder. It removes its own files and
; registry entry and nothing else: plugin.ini holds the user's settings.
Section "Uninstall"
    retry:
    ClearErrors
    Delete "$INSTDIR\vis_skyburst.dll"
    ${If} ${Errors}
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Cannot remove$\r$\n$INSTDIR\vis_skyburst.dll$\r$\n$\r$\nThe player is probably running and holding it. Close the player, then choose Retry." /SD IDCANCEL IDRETRY retry
        SetErrorLevel ${EXIT_DLL_IN_USE}
        Abort
    ${EndIf}
    Delete "$INSTDIR\Skyburst.txt"
    Delete "$INSTDIR\${UNINSTALLER}"
    DeleteRegKey HKCU "${OWN_UNINSTALL_KEY}"
SectionEnd
