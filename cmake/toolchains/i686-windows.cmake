# 32-bit x86 Windows with MinGW-w64 (Debian: g++-mingw-w64-i686), linked
# statically. Wine cannot run 32-bit programs on this host, so a build here
# is built and not run.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++)
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
