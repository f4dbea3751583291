/* Runs a command as an old kernel would: the system calls Linux added after the
 * given release fail with ENOSYS (a seccomp filter; x86-64 host numbers, so a
 * program under qemu-user meets them through the emulator's own calls).
 *   devsim-oldkernel 3.0|2.6.35 COMMAND [ARGS...] */
#include <errno.h>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <stddef.h>
#include <stdio.h>
#include <string.h>
#include <sys/prctl.h>
#include <unistd.h>

#define LOAD(field) BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(struct seccomp_data, field))
#define DENY BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | ENOSYS)
#define ALLOW BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW)

int main(int argc, char** argv)
{
    if (argc < 3 || (strcmp(argv[1], "3.0") != 0 && strcmp(argv[1], "2.6.35") != 0)) {
        fprintf(stderr, "usage: devsim-oldkernel 3.0|2.6.35 COMMAND [ARGS...]\n");
        return 2;
    }
    /* x86-64: 310 (process_vm_readv, 3.2) and later are newer than 3.0; 300 to 308
     * (fanotify, prlimit64, name_to_handle_at, clock_adjtime, syncfs, sendmmsg,
     * setns) are newer than 2.6.35; 309 (getcpu) is older. */
    const unsigned first_old = strcmp(argv[1], "3.0") == 0 ? 310 : 300;
    struct sock_filter filter[] = {
        LOAD(arch),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, AUDIT_ARCH_X86_64, 1, 0),
        ALLOW,
        LOAD(nr),
        BPF_JUMP(BPF_JMP | BPF_JGE | BPF_K, 310, 0, 1),
        DENY,
        BPF_JUMP(BPF_JMP | BPF_JGE | BPF_K, first_old, 0, 2),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, 309, 1, 0),
        DENY,
        ALLOW,
    };
    struct sock_fprog prog = {sizeof filter / sizeof filter[0], filter};
    if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 ||
        prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &prog) != 0) {
        perror("devsim-oldkernel: seccomp");
        return 2;
    }
    execvp(argv[2], argv + 2);
    perror(argv[2]);
    return 127;
}
