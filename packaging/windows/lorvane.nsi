; The setup program of Lorvane for 64-bit Windows, made by makensis:
;   makensis -DVERSION=0.1.0 -DDIST=<folder of the programs> -DOUTFILE=<setup.exe> lorvane.nsi
; A per-user install: no administrator rights, the programs in the user's
; local programs folder, a Start menu shortcut, an uninstaller, the sample
; theater copied into the user's documents (once; the copies there are the
; user's and stay when Lorvane is uninstalled).

Unicode true
; The 64-bit stub: the 32-bit one does not run on every 64-bit system.
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user

!define PRODUCT "Lorvane"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Lorvane"
!define APPLICATION_KEY "Software\Classes\Applications\lorvane.exe"
!define SAMPLE "$DOCUMENTS\Lorvane\Sample"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Lorvane"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
Icon "${DIST}\lorvane.ico"
UninstallIcon "${DIST}\lorvane.ico"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "${PRODUCT} ${VERSION} setup"
VIAddVersionKey "CompanyName" "Hollin"
VIAddVersionKey "LegalCopyright" "Lorvane's authors; Qt under the LGPL 3"

Page license
Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles
LicenseData "${DIST}\LICENSES\README.txt"

Section "Lorvane"
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  File "${DIST}\lorvane.exe"
  File "${DIST}\lorvane-cli.exe"
  File "${DIST}\liblorvane-image-writer.dll"
  File "${DIST}\lorvane.ico"
  SetOutPath "$INSTDIR\LICENSES"
  File /r "${DIST}\LICENSES\*.*"
  SetOutPath "$INSTDIR\sample"
  File /r "${DIST}\sample\*.*"

  ; The user's copy of the sample theater, made once.
  IfFileExists "${SAMPLE}\Texture.bin" sample_done
    CreateDirectory "${SAMPLE}"
    CopyFiles /SILENT "$INSTDIR\sample\*.*" "${SAMPLE}"
  sample_done:

  WriteUninstaller "$INSTDIR\Uninstall.exe"

  ; The shortcut starts in the sample folder, where the theater list
  ; (Quistral.ini) is, and opens the sample database and its first tile.
  SetOutPath "${SAMPLE}"
  CreateShortcut "$SMPROGRAMS\Lorvane.lnk" "$INSTDIR\lorvane.exe" \
    '"${SAMPLE}\Texture.bin" "${SAMPLE}\tiles\H000.PCX"' "$INSTDIR\lorvane.ico" 0

  ; "Open with": the chosen file goes on the program's command line.
  WriteRegStr HKCU "${APPLICATION_KEY}" "FriendlyAppName" "Lorvane"
  WriteRegStr HKCU "${APPLICATION_KEY}\DefaultIcon" "" "$INSTDIR\lorvane.ico"
  WriteRegStr HKCU "${APPLICATION_KEY}\shell\open\command" "" '"$INSTDIR\lorvane.exe" "%1"'
  WriteRegStr HKCU "${APPLICATION_KEY}\SupportedTypes" ".bin" ""
  WriteRegStr HKCU "${APPLICATION_KEY}\SupportedTypes" ".pcx" ""
  WriteRegStr HKCU "${APPLICATION_KEY}\SupportedTypes" ".l2" ""
  WriteRegStr HKCU "${APPLICATION_KEY}\SupportedTypes" ".l2m" ""

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Hollin"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\lorvane.ico"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Removes what the setup put in place. The user's files stay: the sample
; theater in the documents, and the settings and recovery journals that
; the program keeps for the user.
Section "Uninstall"
  SetShellVarContext current
  Delete "$SMPROGRAMS\Lorvane.lnk"
  DeleteRegKey HKCU "${APPLICATION_KEY}"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  Delete "$INSTDIR\lorvane.exe"
  Delete "$INSTDIR\lorvane-cli.exe"
  Delete "$INSTDIR\liblorvane-image-writer.dll"
  Delete "$INSTDIR\lorvane.ico"
  RMDir /r "$INSTDIR\LICENSES"
  RMDir /r "$INSTDIR\sample"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
SectionEnd
