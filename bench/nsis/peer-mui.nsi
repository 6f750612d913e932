; The NSIS peer of the wizard's first painted window: Modern UI 2 with welcome, licence, folder,
; installation and finish pages, carrying the same three program files.
; makensis -DPROGRAMS=<folder of the built programs> -DLICENCE=<text file> -DOUTFILE=<exe> peer-mui.nsi
Target amd64-unicode
SetCompressor zlib
Name "Korvane P2P"
; StartupBench finds the window by this title.
Caption "Korvane P2P NSIS Setup"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Korvane P2P"
RequestExecutionLevel admin

!include "MUI2.nsh"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${LICENCE}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_LANGUAGE "English"

Section
  SetOutPath "$INSTDIR"
  File "${PROGRAMS}/Korvane.Exe"
  File "${PROGRAMS}/Uninstall.Exe"
  File "${PROGRAMS}/Korvane_toolbar.exe"
SectionEnd
