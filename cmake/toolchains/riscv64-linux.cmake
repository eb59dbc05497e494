# 64-bit RISC-V Linux with the host's Clang, Debian's riscv64 cross libraries
# (libc6-dev-riscv64-cross, libgcc-12-dev-riscv64-cross,
# libstdc++-12-dev-riscv64-cross) and GNU ld (binutils-riscv64-linux-gnu):
# lld 14 lacks RISC-V linker relaxation and cannot link the C runtime's
# objects. Tests run under user-mode QEMU with the cross libraries as the
# target's root.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR riscv64)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_CXX_COMPILER_TARGET riscv64-linux-gnu)
set(CMAKE_EXE_LINKER_FLAGS_INIT -fuse-ld=bfd)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-riscv64 -L /usr/riscv64-linux-gnu)
