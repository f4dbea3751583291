# Cross-compiling for ARMv7 hard-float readers (Debian armhf) with Debian's
# cross toolchain (crossbuild-essential-armhf) and the multiarch armhf packages
# of Qt 5, SQLite and GoogleTest; moc and uic stay the build machine's.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR armv7l)
set(CMAKE_C_COMPILER arm-linux-gnueabihf-gcc)
set(CMAKE_CXX_COMPILER arm-linux-gnueabihf-g++)
set(CMAKE_LIBRARY_ARCHITECTURE arm-linux-gnueabihf)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(PKG_CONFIG_EXECUTABLE arm-linux-gnueabihf-pkg-config)
# No notes about the ARM calling convention change of GCC 7.1: nothing here
# links code built by an older compiler.
set(CMAKE_CXX_FLAGS_INIT -Wno-psabi)
# Test discovery and try-runs go through the emulator.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-arm-static)
# The test programs are listed when CTest runs them, not under the emulator at
# every build.
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)
