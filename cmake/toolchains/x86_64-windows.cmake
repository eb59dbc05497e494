# 64-bit Windows with MinGW-w64 (Debian: g++-mingw-w64-x86-64), linked
# statically so the program needs no MinGW DLLs. Tests run under Wine
# (wine64) in a prefix of the build's own, with its debug output and its
# offers to install Mono and Gecko switched off.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++)
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
set(CMAKE_CROSSCOMPILING_EMULATOR
    env WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml= WINEPREFIX=${CMAKE_BINARY_DIR}/wine
    /usr/lib/wine/wine64)
