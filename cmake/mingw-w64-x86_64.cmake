# Cross-compiles for 64-bit Windows with mingw-w64 (posix thread variant, so
# std::thread and std::mutex work) and runs target programs under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Static runtime: no mingw DLL has to travel with the programs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")

# Every target program (tests included) runs under Wine in a prefix owned by
# the build folder, with the ALSA null device so DirectSound can open a device.
set(QUELMAR_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(QUELMAR_ALSA_CONFIG ${CMAKE_BINARY_DIR}/alsa-null.conf)
set(CMAKE_CROSSCOMPILING_EMULATOR
    env WINEPREFIX=${QUELMAR_WINEPREFIX} WINEDEBUG=-all
    WINEDLLOVERRIDES=mscoree,mshtml= ALSA_CONFIG_PATH=${QUELMAR_ALSA_CONFIG}
    wine)
