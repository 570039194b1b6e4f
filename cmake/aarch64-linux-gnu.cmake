# Cross build for 64-bit Arm Debian (a Raspberry Pi with its 64-bit system) on an amd64 Debian
# machine, with Debian's cross compilers and the arm64 Qt and GoogleTest of the build machine's
# own multiarch installation (tools/arm64.sh installs them). The programs run here through the
# user-mode emulator, by name: a build machine cannot be expected to have binfmt_misc.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)

# Headers and libraries from the cross C library and the multiarch directories; programs that
# run during the build (Qt's moc and rcc) from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/aarch64-linux-gnu /)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(QT_HOST_PATH /usr)
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/aarch64-linux-gnu/pkgconfig:/usr/share/pkgconfig)

# ctest runs the test programs, and lists the GoogleTest cases, through this; the emulator finds
# the arm64 dynamic loader under the cross C library's root.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64-static -L /usr/aarch64-linux-gnu)
