; A real installer that uses setupaid.dll the way installer scripts do: through the System plug-in, by export name,
; with 8-bit text ("m") and 32-bit integers ("i"). It writes what each call returned to RESULT.
; makensis -DDLL=<setupaid.dll> -DOUTFILE=<installer.exe> -DRESULT=<result file, Windows path> calls_module.nsi
Unicode true
Target amd64-unicode
Name "Setup Aid installer check"
OutFile "${OUTFILE}"
RequestExecutionLevel user
SilentInstall silent

Section
    InitPluginsDir
    File "/oname=$PLUGINSDIR\setupaid.dll" "${DLL}"
    System::Call '"$PLUGINSDIR\setupaid.dll"::IsAfter(i 1, i 1, i 2000) i .r0'
    System::Call '"$PLUGINSDIR\setupaid.dll"::IsAfter(i 1, i 1, i 9999) i .r1'
    System::Call '"$PLUGINSDIR\setupaid.dll"::GetActiveCP() i .r2'
    System::Call 'kernel32::GetACP() i .r3'
    System::Call '"$PLUGINSDIR\setupaid.dll"::GetFileDescription(m "$PLUGINSDIR\setupaid.dll") m .r4'
    System::Call '"$PLUGINSDIR\setupaid.dll"::RuveEntry(i 1, i 2, i 3) i .r5'
    FileOpen $9 "${RESULT}" w
    FileWrite $9 "IsAfter 2000: $0$\n"
    FileWrite $9 "IsAfter 9999: $1$\n"
    FileWrite $9 "GetActiveCP: $2$\n"
    FileWrite $9 "GetACP: $3$\n"
    FileWrite $9 "GetFileDescription: $4$\n"
    FileWrite $9 "RuveEntry: $5$\n"
    FileClose $9
SectionEnd
