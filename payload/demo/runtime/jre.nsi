; The demo runtime package: a self-extracting Windows program that, started
; as jre.exe with no arguments, silently unpacks a small stand-in Java runtime
; into the folder jre beside itself and ends with exit code 0.
;
; makensis -DJAVA_EXE=<java.exe> -DJAVAW_EXE=<javaw.exe> -DOUT_FILE=<jre.exe> jre.nsi
;
; With -DAMD64 the package is a 64-bit program, to go with the stand-ins of
; the 64-bit build: a 64-bit Wine without its 32-bit half runs no other.
;
; With -DFILLER=<file> the package also carries that file, stored without
; compression as jre\lib\filler.bin: the benchmarks use it to make a package
; of a real runtime's size.

!ifndef JAVA_EXE | JAVAW_EXE | OUT_FILE
  !error "define JAVA_EXE, JAVAW_EXE and OUT_FILE"
!endif

!ifdef AMD64
  Target amd64-unicode
!else
  Unicode true
!endif
Name "Corvanell demo runtime"
OutFile "${OUT_FILE}"
SetCompressor /SOLID lzma
RequestExecutionLevel user
SilentInstall silent
AutoCloseWindow true
ShowInstDetails nevershow
CRCCheck on

Section
  SetOutPath "$EXEDIR\jre\bin"
  File "/oname=java.exe" "${JAVA_EXE}"
  File "/oname=javaw.exe" "${JAVAW_EXE}"
!ifdef FILLER
  SetCompress off
  SetOutPath "$EXEDIR\jre\lib"
  File "/oname=filler.bin" "${FILLER}"
!endif
  SetErrorLevel 0
SectionEnd
