@echo off
rem Registers the Quelmar level filter, QuelmarFilter.dll in this script's
rem folder, with regsvr32.
setlocal
set "FILTER=%~dp0QuelmarFilter.dll"
if not exist "%FILTER%" goto missing
regsvr32 /s "%FILTER%"
if errorlevel 1 goto failed
echo Registered the Quelmar level filter "%FILTER%".
echo QuelmarTest.exe builds graphs with it now; unregister.cmd removes the registration.
set RESULT=0
goto done
:failed
set RESULT=%ERRORLEVEL%
echo Could not register "%FILTER%" (regsvr32 exit code %RESULT%).
echo Registering a filter writes to HKEY_LOCAL_MACHINE, which needs an elevated prompt:
echo open Command Prompt with "Run as administrator" and run this script again.
goto done
:missing
set RESULT=1
echo "%FILTER%" is missing: unpack the whole zip into one folder and run this script there.
:done
rem Started by a double click, the window would close before it can be read.
echo %cmdcmdline% | find /i "%~nx0" >nul && pause
exit /b %RESULT%
