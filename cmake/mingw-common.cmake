# What the mingw-w64 toolchain files share; each sets qnv_mingw_triple and
# CMAKE_SYSTEM_PROCESSOR first. The posix-threads variant of the compiler gives the C++
# runtime its full thread support (std::mutex, std::thread); its winpthread runtime is
# linked statically like the rest, so the DLL needs no extra DLL.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${qnv_mingw_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${qnv_mingw_triple}-g++-posix)
set(CMAKE_RC_COMPILER ${qnv_mingw_triple}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${qnv_mingw_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
