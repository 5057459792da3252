# Cross-building for ARM64 Linux on Debian: the aarch64 cross compiler, the
# arm64 libraries of Debian multiarch (/usr/lib/aarch64-linux-gnu, installed
# as libx11-dev:arm64 and the like), test programs run under qemu-aarch64.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)
# The compiler's own C and C++ libraries live in /usr/aarch64-linux-gnu,
# the multiarch packages under /usr: both are searched, for arm64 files only.
set(CMAKE_FIND_ROOT_PATH /usr/aarch64-linux-gnu /)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Programs run with the arm64 C and C++ runtimes of Debian multiarch
# (libc6:arm64, libstdc++6:arm64), loader and C library of one build: with
# `-L /usr/aarch64-linux-gnu` qemu would take the cross compiler's loader
# but find the multiarch C library beside it, and a thread started by the
# two together never runs.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64)
