# Cross-compiles the Windows program with MinGW-w64, in its posix threads
# flavour only: the reader and the walk start threads of their own, and only
# the winpthreads runtime gives each new thread the x87 precision the number
# parsing relies on (the other flavour's new threads round to 53 bits).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(triple x86_64-w64-mingw32)

find_program(CMAKE_C_COMPILER NAMES ${triple}-gcc-posix)
find_program(CMAKE_CXX_COMPILER NAMES ${triple}-g++-posix)
if(NOT CMAKE_C_COMPILER OR NOT CMAKE_CXX_COMPILER)
  message(FATAL_ERROR "The posix threads flavour of MinGW-w64 is needed (${triple}-g++-posix; "
                      "on Debian: apt-get install g++-mingw-w64-x86-64-posix).")
endif()
find_program(CMAKE_RC_COMPILER NAMES ${triple}-windres windres REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
