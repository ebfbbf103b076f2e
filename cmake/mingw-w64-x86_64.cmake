# SPDX-License-Identifier: MIT
# Cross-compiles for 64-bit Windows with Debian's mingw-w64 (the posix thread
# model, which std::thread and std::mutex need). Used for the static Qt and for Ek.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(EK_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${EK_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${EK_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${EK_MINGW_TRIPLE}-windres)

# Headers, libraries and packages come from the target's folders only; programs
# (moc, rcc, uic of the host's Qt) from the host.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${EK_MINGW_TRIPLE})
if(DEFINED ENV{EK_WINDOWS_QT})
    list(APPEND CMAKE_FIND_ROOT_PATH $ENV{EK_WINDOWS_QT})
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
