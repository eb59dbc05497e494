# IBM Z Linux (s390x), the one big-endian target, with the host's Clang,
# Debian's s390x cross libraries (libc6-dev-s390x-cross,
# libgcc-12-dev-s390x-cross, libstdc++-12-dev-s390x-cross) and GNU ld
# (binutils-s390x-linux-gnu); tests run under user-mode QEMU with the cross
# libraries as the target's root.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR s390x)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_CXX_COMPILER_TARGET s390x-linux-gnu)
set(CMAKE_EXE_LINKER_FLAGS_INIT -fuse-ld=bfd)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-s390x -L /usr/s390x-linux-gnu)
