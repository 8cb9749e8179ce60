# Native compiler, 32-bit x86 Linux, static programs: the x87 preset, whose
# scene-dump checks the 32-bit Windows program's arithmetic rules. Static, so
# that it runs under qemu-i386 where the machine's kernel cannot run 32-bit
# programs itself (Debian: g++-multilib, qemu-user-static).
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_CXX_FLAGS_INIT -m32)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-m32 -static")
