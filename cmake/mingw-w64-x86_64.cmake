# Cross-build for 64-bit Windows with Debian's mingw-w64 (posix thread model,
# so std::thread and std::mutex work as on Linux). The test executables run
# under Wine through CTest.
#
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
#         -DKV4_BUILD_GUI=OFF -DKV4_BUILD_TESTS=ON
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KV4_MINGW_TRIPLET x86_64-w64-mingw32)
find_program(CMAKE_C_COMPILER NAMES ${KV4_MINGW_TRIPLET}-gcc-posix ${KV4_MINGW_TRIPLET}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${KV4_MINGW_TRIPLET}-g++-posix ${KV4_MINGW_TRIPLET}-g++
             REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${KV4_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KV4_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Fully static executables: Wine (or a bare Windows machine) then needs no
# libstdc++, libgcc or winpthread DLLs beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# CTest runs every test executable through this: a throwaway Wine prefix in
# the build folder (never the user's ~/.wine), no Wine debug chatter, and no
# display, so nothing ever opens a window. LOCPATH holds the de_DE.UTF-8
# locale that scripts/windows-test.sh generates there: with it Wine acts as
# a German Windows, and file names with umlauts map to the Unix side (in a
# locale the host lacks, Wine falls back to ASCII names).
find_program(KV4_WINE NAMES wine wine64)
set(KV4_WINE_ENV -u DISPLAY -u WAYLAND_DISPLAY WINEDEBUG=-all LOCPATH=${CMAKE_BINARY_DIR}/locale)
if(KV4_WINE AND NOT CMAKE_CROSSCOMPILING_EMULATOR)
  set(CMAKE_CROSSCOMPILING_EMULATOR
      env ${KV4_WINE_ENV} WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix ${KV4_WINE})
endif()
