# The same program built as 64-bit Windows code, for running the Windows tests
# under 64-bit Wine on machines that cannot execute 32-bit x86 code (a kernel
# booted without IA-32 emulation). The shipped program stays the i686 build.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TOOLCHAIN_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)

find_program(WINE_PROGRAM NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
if(NOT WINE_PROGRAM)
  find_program(WINE_PROGRAM NAMES wine64 wine)
endif()
if(WINE_PROGRAM)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${WINE_PROGRAM})
endif()
