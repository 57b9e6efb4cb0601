@echo off
rem Removes the registration of the Quelmar level filter, QuelmarFilter.dll in
rem this script's folder, with regsvr32.
setlocal
set "FILTER=%~dp0QuelmarFilter.dll"
if not exist "%FILTER%" goto missing
regsvr32 /s /u "%FILTER%"
if errorlevel 1 goto failed
echo Removed the registration of the Quelmar level filter "%FILTER%".
echo QuelmarTest.exe cannot build graphs now; register.cmd registers the filter again.
set RESULT=0
goto done
:failed
set RESULT=%ERRORLEVEL%
echo Could not remove the registration of "%FILTER%" (regsvr32 exit code %RESULT%).
echo The registration is in HKEY_LOCAL_MACHINE, which needs an elevated prompt:
echo open Command Prompt with "Run as administrator" and run this script again.
goto done
:missing
set RESULT=1
echo "%FILTER%" is missing: run this script in the folder the zip was unpacked into.
:done
rem Started by a double click, the window would close before it can be read.
echo %cmdcmdline% | find /i "%~nx0" >nul && pause
exit /b %RESULT%
