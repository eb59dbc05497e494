# ARM64 Linux with the host's Clang, Debian's arm64 cross libraries
# (libc6-dev-arm64-cross, libgcc-12-dev-arm64-cross,
# libstdc++-12-dev-arm64-cross) and LLVM's linker (lld); tests run under
# user-mode QEMU with the cross libraries as the target's root.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_CXX_COMPILER_TARGET aarch64-linux-gnu)
set(CMAKE_EXE_LINKER_FLAGS_INIT -fuse-ld=lld)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64 -L /usr/aarch64-linux-gnu)
