# Shared part of the two mingw-w64 toolchain files.
set(CMAKE_C_COMPILER ${CLIENT_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${CLIENT_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${CLIENT_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${CLIENT_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Every program built here, tests included, runs under Wine through the launcher,
# each architecture in its own prefix inside the build tree.
set(CMAKE_CROSSCOMPILING_EMULATOR
    ${CMAKE_CURRENT_LIST_DIR}/wine-run)
