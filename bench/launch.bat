@echo off
rem The launcher's job as a batch file: start the server and the browser, show
rem info.txt and the prompt, wait for Enter, end the browser, then the server.
start "" /b \Apache\Apache.exe -w -X -f \Apache\conf\httpd.conf -d \Apache\
start "" /b "c:\Program Files\Internet Explorer\iexplore.exe" http://localhost/cgi-bin/dorvex.exe
if exist info.txt type info.txt
echo.
echo         ,   ,     ,
echo Aby zakonczyc, wcisnij klawisz "Enter"
echo.
set /p line=
taskkill /f /im iexplore.exe >nul
taskkill /f /im Apache.exe >nul
