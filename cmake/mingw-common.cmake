# Shared part of the MinGW-w64 toolchains; the including file sets CMAKE_SYSTEM_PROCESSOR and TRIPLE.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER   ${TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER  ${TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Hardening of every program: stack canaries (the static libssp, so no extra DLL), the checked
# string functions where the headers offer them (they need optimisation, so not in Debug), and
# the PE flags for address-space randomisation and no-execute data, given explicitly rather than
# left to the linker's defaults.
set(HARDENING_COMPILE "-fstack-protector-strong")
set(HARDENING_LINK "-fstack-protector-strong -Wl,--dynamicbase -Wl,--nxcompat")
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  string(APPEND HARDENING_LINK " -Wl,--high-entropy-va")
endif()
foreach(lang C CXX)
  set(CMAKE_${lang}_FLAGS_INIT "${HARDENING_COMPILE}")
  foreach(config RELEASE RELWITHDEBINFO MINSIZEREL)
    set(CMAKE_${lang}_FLAGS_${config}_INIT "-D_FORTIFY_SOURCE=2")
  endforeach()
endforeach()

# Static C++ runtime and libgcrypt: each program needs only system DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT    "-static -static-libgcc -static-libstdc++ -s ${HARDENING_LINK}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++ ${HARDENING_LINK}")
