; The NSIS peer of the silent installation: the same three program files, compressed with zlib,
; the same two uninstall values, four Start-menu links and a desktop link.
; makensis -DPROGRAMS=<folder of the built programs> -DOUTFILE=<exe> peer-silent.nsi
; A 64-bit installer like ours, so it runs without Wine's 32-bit half and writes the same registry view.
Target amd64-unicode
SetCompressor zlib
Name "Korvane P2P"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Korvane P2P"
RequestExecutionLevel admin
SilentInstall silent

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Korvane P2P"
!define SITE "http://www.korvane-p2p.example"

Section
  SetOutPath "$INSTDIR"
  File "${PROGRAMS}/Korvane.Exe"
  File "${PROGRAMS}/Uninstall.Exe"
  File "${PROGRAMS}/Korvane_toolbar.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Korvane P2P"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.Exe"'
  CreateDirectory "$SMPROGRAMS\Korvane P2P"
  CreateShortCut "$SMPROGRAMS\Korvane P2P\Korvane P2P.Lnk" "$INSTDIR\Korvane.Exe"
  CreateShortCut "$SMPROGRAMS\Korvane P2P\Korvane P2P On the Web.Lnk" "${SITE}/p2p/"
  CreateShortCut "$SMPROGRAMS\Korvane P2P\Korvane P2P Help.Lnk" "${SITE}/p2p/help"
  CreateShortCut "$SMPROGRAMS\Korvane P2P\Korvane P2P Uninstall.Lnk" "$INSTDIR\Uninstall.Exe"
  CreateShortCut "$DESKTOP\Korvane P2P.Lnk" "$INSTDIR\Korvane.Exe"
SectionEnd
