#!/bin/sh
# The launcher's job as a shell script: start the server and the browser detached,
# show info.txt and the prompt, wait for Enter, end the browser, then the server.
setsid /Apache/Apache.exe -w -X -f '\Apache\conf\httpd.conf' -d '\Apache\' \
  </dev/null >/dev/null 2>&1 &
server=$!
setsid "/Program Files/Internet Explorer/iexplore.exe" http://localhost/cgi-bin/dorvex.exe \
  </dev/null >/dev/null 2>&1 &
browser=$!
if [ -f info.txt ]; then
  cat info.txt
fi
printf '\n        ,   ,     ,\nAby zakonczyc, wcisnij klawisz "Enter"\n\n'
read -r line
kill -9 "$browser" "$server"
