# The 32-bit x86 build of the platform-free code and the thunk hand-over, statically linked
# and run under user-mode emulation.
# Every 32-bit program of this build, a test or a program a test starts, runs through the
# emulator on every machine, never directly: many machines execute 64-bit user code only
# (ENOEXEC for a 32-bit program), and a test must not pass or fail by the machine it runs on.
# A test starts a program of this build through ProgramCommand (tests/support), and the test
# command runs this suite with 32-bit system calls refused, so a direct start fails at once.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER i686-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER i686-linux-gnu-g++)
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-i386)
set(CMAKE_FIND_ROOT_PATH /usr/i686-linux-gnu)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
