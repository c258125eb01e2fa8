# Cross build for 64-bit ARM Linux with Debian's aarch64-linux-gnu compilers; use with
# -DVARSIK_BUILD_GUI=OFF, as Qt is not installed for ARM. Programs built here run under
# qemu-user on the arm64 C and C++ libraries of Debian's multiarch packages (libc6:arm64,
# libstdc++6:arm64): the cross compiler's own C library has no iconv modules, and those
# of another build of the C library are not to be mixed with it.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)

set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)

set(CMAKE_FIND_ROOT_PATH /usr/aarch64-linux-gnu)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64)
