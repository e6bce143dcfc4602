// Runs a command in which every 32-bit x86 system call ends its process, as on a machine that
// executes 64-bit user code only. The emulated 32-bit suite runs under it, so a test that
// starts a 32-bit program directly, instead of through the emulator, fails on every machine.
//   qx7-refuse-x86-32 COMMAND [ARGS...]
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: qx7-refuse-x86-32 COMMAND [ARGS...]\n");
        return 2;
    }
    // The filter looks at the system call's architecture only: the emulator itself makes
    // 64-bit calls, a 32-bit program run by the kernel makes i386 ones.
    sock_filter filter[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, AUDIT_ARCH_I386, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_KILL_PROCESS),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    sock_fprog program = {static_cast<unsigned short>(sizeof filter / sizeof filter[0]), filter};
    // Without privileges a filter is only accepted together with no_new_privs (0 = success).
    if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 ||
        prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) != 0) {
        std::fprintf(stderr, "qx7-refuse-x86-32: cannot install the filter: %s\n",
                     std::strerror(errno));
        return 1;
    }
    execvp(argv[1], argv + 1);
    std::fprintf(stderr, "qx7-refuse-x86-32: cannot run %s: %s\n", argv[1], std::strerror(errno));
    return 127;
}
