# Cross-build for 64-bit Windows with mingw-w64 (Debian: g++-mingw-w64-x86-64-posix,
# mingw-w64-tools), tested under Wine:
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VX_MINGW_TRIPLET x86_64-w64-mingw32)
# The posix thread flavour: the win32 one of GCC 12 has no std::thread or std::mutex.
find_program(CMAKE_C_COMPILER ${VX_MINGW_TRIPLET}-gcc-posix REQUIRED)
find_program(CMAKE_CXX_COMPILER ${VX_MINGW_TRIPLET}-g++-posix REQUIRED)
find_program(CMAKE_RC_COMPILER ${VX_MINGW_TRIPLET}-windres REQUIRED)
find_program(VX_WIDL ${VX_MINGW_TRIPLET}-widl REQUIRED)
find_program(VX_OBJDUMP ${VX_MINGW_TRIPLET}-objdump REQUIRED)
find_program(VX_CXXFILT ${VX_MINGW_TRIPLET}-c++filt REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${VX_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The host machine has none of the compiler's runtime DLLs (libstdc++,
# libgcc_s, winpthread): link them all in.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
set(CMAKE_SHARED_LINKER_FLAGS_INIT -static)
set(CMAKE_MODULE_LINKER_FLAGS_INIT -static)

# Windows programs built here (tests, try_run) run under Wine, through a
# wrapper that keeps one Wine server alive and never lets a Wine helper
# process hold the caller's output open.
get_filename_component(VX_WINE_RUN ${CMAKE_CURRENT_LIST_DIR}/../tools/wine-run.sh ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${VX_WINE_RUN})
