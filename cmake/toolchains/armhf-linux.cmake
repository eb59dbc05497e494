# 32-bit ARM Linux, hard-float (as Raspberry Pi OS 32-bit), with the host's
# Clang, Debian's armhf cross libraries (libc6-dev-armhf-cross,
# libgcc-12-dev-armhf-cross, libstdc++-12-dev-armhf-cross) and LLVM's linker
# (lld); tests run under user-mode QEMU with the cross libraries as the
# target's root.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR armv7l)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_CXX_COMPILER_TARGET arm-linux-gnueabihf)
set(CMAKE_EXE_LINKER_FLAGS_INIT -fuse-ld=lld)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-arm -L /usr/arm-linux-gnueabihf)
