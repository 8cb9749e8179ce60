; Roamlets-<version>-setup.exe: installs Roamlets.scr where the Screen Saver
; settings look for screen savers, registers its uninstaller in Programs and
; Features, and can make it the current screen saver.
;
; cmake/MakeSetup.cmake compiles it with these defined (makensis -D...):
;   VERSION       the project's version, X.Y.Z
;   MAKER         the publisher (resources/maker.h)
;   COPYRIGHT     the copyright line (resources/maker.h)
;   SETTINGS_KEY  the saver's settings key under HKCU (settings/settings.h)
;   SAVER64       the 64-bit Roamlets.scr
;   SAVER32       the 32-bit Roamlets.scr
;   ICON          roamlets.ico
;   WIZARD_BITMAP the picture beside the first and last pages (164 x 314)
;   TARGET        the setup's own processor and character set: x86-unicode,
;                 which runs on 32-bit and 64-bit Windows alike
;   OUTFILE       where to write the setup
;
; Command line (/S is a quiet install; the options apply with or without it):
;   /CURRENT=yes|no   make Roamlets the current screen saver (default yes)
;   /SETTINGS=yes|no  open the Screen Saver settings at the end (default: yes
;                     when the last page's box is ticked, no in a quiet install)
; The uninstaller takes /S and /REMOVESETTINGS (also remove the user's
; settings). Exit codes: 0 done, 1 cancelled, 2 a bad command line, 3010
; done, but Roamlets.scr was in use and is replaced when Windows restarts.

Unicode true
Target ${TARGET}
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestSupportedOS all
ManifestDPIAware true

!include MUI2.nsh
!include LogicLib.nsh
!include x64.nsh
!include FileFunc.nsh
!include Sections.nsh

!if "${NSIS_PTR_SIZE}" > 4
  ; A 64-bit setup knows RunningX64 when it is compiled: the branches for
  ; 32-bit Windows are left out, and LogicLib's labels for them unused.
  !pragma warning disable 6012
!endif

!define PROGRAM "Roamlets.scr"
; Written beside the program and renamed over it, so that a program in use is
; replaced when Windows restarts instead.
!define PROGRAM_NEW "Roamlets.scr.new"
!define UNINSTALLER "Uninstall Roamlets.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Roamlets"
!define DESKTOP_KEY "Control Panel\Desktop"
!define SPI_SETSCREENSAVEACTIVE 17
!define SPIF_UPDATEINIFILE_SENDCHANGE 3
!define ERROR_SUCCESS_REBOOT_REQUIRED 3010

Name "Roamlets"
Caption "Roamlets Setup"
UninstallCaption "Roamlets Uninstall"
OutFile "${OUTFILE}"
BrandingText "Roamlets ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "Roamlets"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "Roamlets screen saver setup"
VIAddVersionKey /LANG=1033 "CompanyName" "${MAKER}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${COPYRIGHT}"

Var OpenSettings ; "yes" or "no", from the command line

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_WELCOMEFINISHPAGE_BITMAP "${WIZARD_BITMAP}"
!define MUI_UNWELCOMEFINISHPAGE_BITMAP "${WIZARD_BITMAP}"
!define MUI_ABORTWARNING

!define MUI_COMPONENTSPAGE_NODESC
!define MUI_PAGE_HEADER_TEXT "Install Roamlets ${VERSION}"
!define MUI_PAGE_HEADER_SUBTEXT "A 3D OpenGL screen saver"
!define MUI_COMPONENTSPAGE_TEXT_TOP "Roamlets goes into the Windows system folder, where the Screen Saver \
    settings list it. Installing over an earlier version keeps your Roamlets settings."
!define MUI_COMPONENTSPAGE_TEXT_COMPLIST "Choose:"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_TITLE "Roamlets is installed"
!define MUI_FINISHPAGE_TEXT "Roamlets is now listed in the Screen Saver settings, where its Settings \
    button opens its configuration."
!define MUI_FINISHPAGE_TEXT_REBOOT "Roamlets was running, as a screen saver or in its configuration \
    dialog. The new version takes its place when Windows restarts."
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Open the Screen Saver settings"
!define MUI_FINISHPAGE_RUN_FUNCTION OpenScreenSaverSettings
!insertmacro MUI_PAGE_FINISH

!define MUI_PAGE_HEADER_TEXT "Remove Roamlets"
!define MUI_PAGE_HEADER_SUBTEXT "From the Windows system folder and Programs and Features"
!define MUI_COMPONENTSPAGE_TEXT_TOP "Roamlets is removed from the Windows system folder. Your Roamlets \
    settings stay unless you tick them below."
!define MUI_COMPONENTSPAGE_TEXT_COMPLIST "Remove:"
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_UNPAGE_FINISH

!insertmacro MUI_LANGUAGE "English"

; The 64-bit program goes to the 64-bit system folder: a 32-bit setup on
; 64-bit Windows turns file-system redirection off to reach it, and writes
; to the registry's 64-bit view.
!macro NativeView
  ${If} ${RunningX64}
    ${DisableX64FSRedirection}
    SetRegView 64
  ${EndIf}
!macroend

Section "Roamlets screen saver" SecProgram
  SectionIn RO
  !insertmacro NativeView
  SetOverwrite on
  SetOutPath "$SYSDIR"
  ${If} ${RunningX64}
    File "/oname=${PROGRAM_NEW}" "${SAVER64}"
  ${Else}
    File "/oname=${PROGRAM_NEW}" "${SAVER32}"
  ${EndIf}
  ; A running saver or its open configuration dialog holds the program:
  ; the new one then takes its place at the next start of Windows.
  ClearErrors
  Delete "$SYSDIR\${PROGRAM}"
  ${If} ${Errors}
    Rename /REBOOTOK "$SYSDIR\${PROGRAM_NEW}" "$SYSDIR\${PROGRAM}"
    DetailPrint "Roamlets.scr is in use: it is replaced when Windows restarts."
    MessageBox MB_OK|MB_ICONINFORMATION "Roamlets is running, as a screen saver or in its configuration \
        dialog. The new version takes its place when Windows restarts." /SD IDOK
    SetErrorLevel ${ERROR_SUCCESS_REBOOT_REQUIRED}
  ${Else}
    Rename "$SYSDIR\${PROGRAM_NEW}" "$SYSDIR\${PROGRAM}"
  ${EndIf}

  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  ${GetSize} "$SYSDIR" "/M=${PROGRAM} /S=0K /G=0" $0 $1 $2
  ${GetSize} "$INSTDIR" "/S=0K" $3 $1 $2
  IntOp $0 $0 + $3
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Roamlets"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${MAKER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$SYSDIR\${PROGRAM},0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Make Roamlets the current screen saver" SecCurrent
  WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" "$SYSDIR\${PROGRAM}"
  WriteRegStr HKCU "${DESKTOP_KEY}" "ScreenSaveActive" "1"
  ; Tells the running programs that the screen saver changed.
  System::Call "user32::SystemParametersInfo(i ${SPI_SETSCREENSAVEACTIVE}, i 1, p 0, \
      i ${SPIF_UPDATEINIFILE_SENDCHANGE})"
SectionEnd

; The sections' ids are known from here on.
Function .onInit
  ${If} ${RunningX64}
    StrCpy $INSTDIR "$PROGRAMFILES64\Roamlets"
  ${Else}
    StrCpy $INSTDIR "$PROGRAMFILES\Roamlets"
  ${EndIf}
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/CURRENT=" $R1
  ${IfNot} ${Errors}
    ${If} $R1 == "no"
      !insertmacro UnselectSection ${SecCurrent}
    ${ElseIf} $R1 != "yes"
      Push "/CURRENT=$R1"
      Call BadOption
    ${EndIf}
  ${EndIf}
  StrCpy $OpenSettings "no"
  ClearErrors
  ${GetOptions} $R0 "/SETTINGS=" $R1
  ${IfNot} ${Errors}
    ${If} $R1 == "yes"
    ${OrIf} $R1 == "no"
      StrCpy $OpenSettings $R1
    ${Else}
      Push "/SETTINGS=$R1"
      Call BadOption
    ${EndIf}
  ${EndIf}
FunctionEnd

Function BadOption
  Exch $0
  MessageBox MB_OK|MB_ICONSTOP "Unknown option $0: /CURRENT= and /SETTINGS= take yes or no." /SD IDOK
  SetErrorLevel 2
  Quit
FunctionEnd

Function .onInstSuccess
  ${If} ${Silent}
  ${AndIf} $OpenSettings == "yes"
    Call OpenScreenSaverSettings
  ${EndIf}
FunctionEnd

; The Screen Saver settings with Roamlets selected, as the file's Install
; command opens them.
Function OpenScreenSaverSettings
  !insertmacro NativeView
  Exec '"$SYSDIR\rundll32.exe" desk.cpl,InstallScreenSaver $SYSDIR\${PROGRAM}'
FunctionEnd

Section "un.Roamlets screen saver" UnProgram
  SectionIn RO
  !insertmacro NativeView
  ; SCRNSAVE.EXE goes back to none only while it still names this Roamlets,
  ; by its long or its short name (read before the file goes).
  ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  GetFullPathName /SHORT $1 "$SYSDIR\${PROGRAM}"
  ${If} $0 == "$SYSDIR\${PROGRAM}"
  ${OrIf} $0 == $1
    DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  ${EndIf}
  ; A program in use goes when Windows restarts, and with it a new version
  ; still waiting for that restart.
  Delete /REBOOTOK "$SYSDIR\${PROGRAM}"
  Delete /REBOOTOK "$SYSDIR\${PROGRAM_NEW}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  Delete "$INSTDIR\${UNINSTALLER}"
  RMDir "$INSTDIR"
SectionEnd

Section /o "un.Your Roamlets settings" UnSettings
  DeleteRegKey HKCU "${SETTINGS_KEY}"
  ; And the two keys above it, when nothing else is left in them.
  ${un.GetParent} "${SETTINGS_KEY}" $0
  DeleteRegKey /ifempty HKCU $0
  ${un.GetParent} $0 $0
  DeleteRegKey /ifempty HKCU $0
SectionEnd

Function un.onInit
  ${un.GetParameters} $R0
  ClearErrors
  ${un.GetOptions} $R0 "/REMOVESETTINGS" $R1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${UnSettings}
  ${EndIf}
FunctionEnd
