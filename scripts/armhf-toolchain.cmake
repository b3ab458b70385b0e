# Cross build for the board: 32-bit ARM hard-float with Debian's cross compiler against a
# sysroot of Debian's armhf packages (scripts/board-build makes and caches it).
#   cmake -DCMAKE_TOOLCHAIN_FILE=scripts/armhf-toolchain.cmake -DQUARN_SYSROOT=DIR ...
# Qt's moc, uic and rcc run on the build machine (see the top CMakeLists.txt).
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)
set(CMAKE_LIBRARY_ARCHITECTURE arm-linux-gnueabihf)

set(CMAKE_C_COMPILER arm-linux-gnueabihf-gcc)
set(CMAKE_CXX_COMPILER arm-linux-gnueabihf-g++)
# Everything is built by one compiler, so GCC 7.1's change of argument passing on ARM
# (reported as a note at every std::vector of doubles) does not matter here.
set(CMAKE_CXX_FLAGS_INIT -Wno-psabi)

if(NOT QUARN_SYSROOT)
    set(QUARN_SYSROOT "$ENV{QUARN_SYSROOT}")
endif()
if(NOT IS_DIRECTORY "${QUARN_SYSROOT}/usr/lib/arm-linux-gnueabihf")
    message(FATAL_ERROR "QUARN_SYSROOT must name an armhf sysroot (scripts/board-build makes one)")
endif()
set(QUARN_SYSROOT "${QUARN_SYSROOT}" CACHE PATH "armhf sysroot of the board build")
# try_compile projects read this file again and need the sysroot too.
set(ENV{QUARN_SYSROOT} "${QUARN_SYSROOT}")

set(CMAKE_SYSROOT "${QUARN_SYSROOT}")
set(CMAKE_FIND_ROOT_PATH "${QUARN_SYSROOT}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config answers for the sysroot, never for the build machine.
set(ENV{PKG_CONFIG_DIR} "")
set(ENV{PKG_CONFIG_LIBDIR}
    "${QUARN_SYSROOT}/usr/lib/arm-linux-gnueabihf/pkgconfig:${QUARN_SYSROOT}/usr/share/pkgconfig")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "${QUARN_SYSROOT}")

# Tests run under user-mode emulation with the sysroot as library root.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-arm -L "${QUARN_SYSROOT}")
