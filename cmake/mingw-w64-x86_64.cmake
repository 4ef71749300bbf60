# Cross-compiles for 64-bit Windows with Debian's mingw-w64 (the posix-threads
# variant, which std::thread and GoogleTest need). Executables link the runtime
# statically; Qt's DLLs (QV_QT_MINGW, made by tools/qt-mingw.sh) need it as DLLs,
# which the tests find through WINEPATH and the zip carries. Tests run through
# cmake/wine-run.sh in a Wine prefix private to the build directory.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QV_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${QV_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QV_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${QV_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${QV_MINGW_TRIPLET})
if(QV_QT_MINGW)
    list(APPEND CMAKE_FIND_ROOT_PATH "${QV_QT_MINGW}")
    list(APPEND CMAKE_PREFIX_PATH "${QV_QT_MINGW}")
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")

set(CMAKE_CROSSCOMPILING_EMULATOR
    "${CMAKE_CURRENT_LIST_DIR}/wine-run.sh;${CMAKE_BINARY_DIR}/wineprefix")
