# 32-bit x86 Linux with the host's GCC (Debian: g++-multilib). This host runs
# no 32-bit code natively, so tests run under user-mode QEMU (qemu-user).
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_CXX_COMPILER g++)
set(CMAKE_CXX_FLAGS_INIT -m32)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-i386)
