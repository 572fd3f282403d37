# cmake -DIN=FILE -DOUT=FILE -P TextForWindows.cmake: a UTF-8 text as every
# Windows editor reads it, with a byte order mark and CR LF line ends.
file(READ "${IN}" text)
string(REPLACE "\r\n" "\n" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
string(ASCII 239 187 191 bom)
file(WRITE "${OUT}" "${bom}${text}")
