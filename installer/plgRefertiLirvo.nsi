; The installer of plgRefertiLirvo: puts the plug-in beside Clinora,
; registers it, keeps the practice's Config.xml and TrascodificaLirvo.xml on
; an upgrade, and writes an uninstaller that removes what it installed (never
; the documents folder, the summaries or the bundles).
;
; Built by CMake (target `installer` of the win32 and win64 presets) with:
;   VERSION   the plug-in's version, "major.minor.patch"
;   DLL       plgRefertiLirvo.dll to install
;   FILES     a folder with Config.xml, TrascodificaLirvo.xml and Styles\
;   OUTFILE   the installer to write
;   BITS      32 or 64: the DLL's bitness, and so the Program Files and the
;             registry view it belongs to
;
; Silent: setup.exe /S [/D=FOLDER]. Exit codes: 0 installed, 1 cancelled,
; 2 refused (a newer version is installed and the installer runs silently,
; or the DLL does not register).

Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "x64.nsh"
!include "WordFunc.nsh"

!define PRODUCT "plgRefertiLirvo"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
; Clinora's own folder of plug-ins, when Clinora is installed where it usually is.
!define CLINORA_PLUGINS "Vantrel\Clinora V6\Plugins"

Name "Referti Lirvo (${PRODUCT} ${VERSION})"
OutFile "${OUTFILE}"
!if ${BITS} == 64
  InstallDir "$PROGRAMFILES64\${PRODUCT}"
!else
  InstallDir "$PROGRAMFILES32\${PRODUCT}"
!endif
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails show

!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Italian"
!insertmacro MUI_LANGUAGE "English"

LangString NewerInstalled ${LANG_ITALIAN} "È già installata la versione $0 di ${PRODUCT}, più recente di questa (${VERSION}). Sostituirla con questa?"
LangString NewerInstalled ${LANG_ENGLISH} "Version $0 of ${PRODUCT} is installed, newer than this one (${VERSION}). Replace it with this one?"
LangString RegisterFailed ${LANG_ITALIAN} "Non è stato possibile registrare ${PRODUCT}.dll."
LangString RegisterFailed ${LANG_ENGLISH} "${PRODUCT}.dll could not be registered."

Function .onInit
  !if ${BITS} == 64
    SetRegView 64
  !endif
  ; Clinora's folder of plug-ins, when there is one and no earlier
  ; installation chose a folder.
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 == ""
    !if ${BITS} == 64
      StrCpy $1 "$PROGRAMFILES64\${CLINORA_PLUGINS}"
    !else
      StrCpy $1 "$PROGRAMFILES32\${CLINORA_PLUGINS}"
    !endif
    ${If} ${FileExists} "$1\*.*"
      StrCpy $INSTDIR "$1\${PRODUCT}"
    ${EndIf}
  ${EndIf}
  ; A newer installed version is replaced only when the person says so.
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "DisplayVersion"
  ${If} $0 != ""
    ; 1: the installed version is the newer one.
    ${VersionCompare} "$0" "${VERSION}" $R0
    ${If} $R0 == 1
      ${If} ${Silent}
        SetErrorLevel 2
        Abort
      ${EndIf}
      MessageBox MB_YESNO|MB_ICONQUESTION "$(NewerInstalled)" IDYES +3
      SetErrorLevel 1
      Abort
    ${EndIf}
  ${EndIf}
FunctionEnd

Section "Referti Lirvo"
  SetOutPath "$INSTDIR"
  ; An upgrade replaces the DLL: unregister the old one first.
  ${If} ${FileExists} "$INSTDIR\${PRODUCT}.dll"
    UnRegDLL "$INSTDIR\${PRODUCT}.dll"
  ${EndIf}
  SetOverwrite on
  File "/oname=${PRODUCT}.dll" "${DLL}"
  SetOutPath "$INSTDIR\Styles"
  File "${FILES}\Styles\*.png"
  ; The practice edits these two: an upgrade keeps them.
  SetOutPath "$INSTDIR"
  SetOverwrite off
  File "${FILES}\Config.xml"
  File "${FILES}\TrascodificaLirvo.xml"
  SetOverwrite on

  ClearErrors
  RegDLL "$INSTDIR\${PRODUCT}.dll"
  ${If} ${Errors}
    DetailPrint "$(RegisterFailed)"
    ${IfNot} ${Silent}
      MessageBox MB_OK|MB_ICONSTOP "$(RegisterFailed)"
    ${EndIf}
    SetErrorLevel 2
    Abort
  ${EndIf}

  WriteUninstaller "$INSTDIR\Uninstall.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Referti Lirvo (${PRODUCT})"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  SetErrorLevel 0
SectionEnd

Function un.onInit
  !if ${BITS} == 64
    SetRegView 64
  !endif
FunctionEnd

; Removes what the installer put there, and the folder only when nothing
; else is left in it: the documents folder, the summaries and the bundles
; are elsewhere, and never touched.
Section "Uninstall"
  UnRegDLL "$INSTDIR\${PRODUCT}.dll"
  Delete "$INSTDIR\${PRODUCT}.dll"
  Delete "$INSTDIR\Config.xml"
  Delete "$INSTDIR\TrascodificaLirvo.xml"
  Delete "$INSTDIR\Styles\RefertiLirvo.png"
  Delete "$INSTDIR\Styles\REFRecived.png"
  Delete "$INSTDIR\Styles\REFImport.png"
  Delete "$INSTDIR\Styles\REFClear.png"
  Delete "$INSTDIR\Styles\REFPrint.png"
  Delete "$INSTDIR\Styles\REFLast.png"
  Delete "$INSTDIR\Styles\REFLastUnRead.png"
  Delete "$INSTDIR\Styles\REFLastDouble.png"
  Delete "$INSTDIR\Styles\REFConfig.png"
  RMDir "$INSTDIR\Styles"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
