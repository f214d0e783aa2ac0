// The filter allows by default and forbids what a decoder never needs:
// a list of what decoders do need (libvips' threads, libheif's plugins,
// glibc's own choice of calls) would break with any library update.
#include "photos/DecoderWorker.h"

#include <fcntl.h>
#include <seccomp.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "photos/DecoderChannel.h"

namespace {

// The address space the process holds now, from /proc/self/statm (unused
// in the sanitizer build, which runs without the limit).
[[maybe_unused]] uint64_t addressSpaceBytes()
{
    std::FILE* statm = std::fopen("/proc/self/statm", "r");
    unsigned long long pages = 0;
    if (statm) {
        if (std::fscanf(statm, "%llu", &pages) != 1)
            pages = 0;
        std::fclose(statm);
    }
    return pages * static_cast<uint64_t>(sysconf(_SC_PAGESIZE));
}

// Processor seconds this process has used.
double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// A decoder retires between photos once it has used this much: the kernel's
// limit, set for its lifetime, then still leaves every photo its full share.
constexpr int lifetimeCpuSeconds = 4 * decoderCpuSeconds;

bool limit()
{
    const rlimit cpu{rlim_t(lifetimeCpuSeconds + decoderCpuSeconds), rlim_t(lifetimeCpuSeconds + decoderCpuSeconds + 5)};
    if (setrlimit(RLIMIT_CPU, &cpu) != 0)
        return false;
#if !defined(__SANITIZE_ADDRESS__)
    // AddressSanitizer reserves terabytes of shadow at start: it runs
    // without this limit, bounded only by the decode budget.
    const uint64_t space = addressSpaceBytes() + decoderMemoryBytes;
    const rlimit memory{rlim_t(space), rlim_t(space)};
    if (setrlimit(RLIMIT_AS, &memory) != 0)
        return false;
#endif
    // No PR_SET_PDEATHSIG: it fires when the thread that started the
    // decoder ends, and another thread may be using it then. A decoder
    // whose program is gone reads the end of its socket and ends.
    return true;
}

// No new or changed files, no programs, no network, no tracing.
bool filter()
{
    scmp_filter_ctx context = seccomp_init(SCMP_ACT_ALLOW);
    if (context == nullptr)
        return false;
    int failed = 0;
    for (int call : {SCMP_SYS(execve), SCMP_SYS(execveat), SCMP_SYS(ptrace), SCMP_SYS(process_vm_writev),
                     SCMP_SYS(socket), SCMP_SYS(socketpair), SCMP_SYS(connect), SCMP_SYS(bind), SCMP_SYS(listen),
                     SCMP_SYS(accept), SCMP_SYS(accept4)})
        failed |= seccomp_rule_add(context, SCMP_ACT_KILL_PROCESS, call, 0);
    for (int call : {SCMP_SYS(creat), SCMP_SYS(unlink), SCMP_SYS(unlinkat), SCMP_SYS(rename), SCMP_SYS(renameat),
                     SCMP_SYS(renameat2), SCMP_SYS(mkdir), SCMP_SYS(mkdirat), SCMP_SYS(rmdir), SCMP_SYS(truncate),
                     SCMP_SYS(link), SCMP_SYS(linkat), SCMP_SYS(symlink), SCMP_SYS(symlinkat), SCMP_SYS(chmod),
                     SCMP_SYS(fchmodat), SCMP_SYS(chown), SCMP_SYS(fchownat), SCMP_SYS(open_by_handle_at)})
        failed |= seccomp_rule_add(context, SCMP_ACT_ERRNO(EACCES), call, 0);
    // openat2's flags lie behind a pointer the filter cannot read: glibc
    // falls back to openat, whose flags it can.
    failed |= seccomp_rule_add(context, SCMP_ACT_ERRNO(ENOSYS), SCMP_SYS(openat2), 0);
    for (int flag : {O_WRONLY, O_RDWR, O_CREAT, O_TRUNC, O_APPEND}) {
        failed |= seccomp_rule_add(context, SCMP_ACT_ERRNO(EACCES), SCMP_SYS(open), 1,
                                   SCMP_A1(SCMP_CMP_MASKED_EQ, scmp_datum_t(flag), scmp_datum_t(flag)));
        failed |= seccomp_rule_add(context, SCMP_ACT_ERRNO(EACCES), SCMP_SYS(openat), 1,
                                   SCMP_A2(SCMP_CMP_MASKED_EQ, scmp_datum_t(flag), scmp_datum_t(flag)));
    }
    failed |= seccomp_load(context);
    seccomp_release(context);
    return failed == 0;
}

// The payload in a memory file; -1 when there is none or it cannot be made.
int memoryFileOf(const std::vector<unsigned char>& payload)
{
    if (payload.empty())
        return -1;
    const int memory = memfd_create("zandervale-decoded", MFD_CLOEXEC);
    for (size_t done = 0; memory >= 0 && done < payload.size();) {
        const ssize_t wrote = write(memory, payload.data() + done, payload.size() - done);
        if (wrote <= 0) {
            close(memory);
            return -1;
        }
        done += static_cast<size_t>(wrote);
    }
    return memory;
}

}  // namespace

int serveDecodeRequests(const DecodeHandler& handler)
{
    if (!limit() || !filter())
        return 1;
    for (;;) {
        DecodeRequest request;
        int fd = -1, second = -1;
        const ssize_t got = receiveMessage(decoderSocketFd, &request, sizeof request, &fd, &second);
        if (got <= 0)
            return 0;
        request.second = second;
        DecodeReply reply;
        std::vector<unsigned char> payload;
        if (got == static_cast<ssize_t>(sizeof request) && fd >= 0)
            handler(request, fd, &reply, &payload);
        else
            std::snprintf(reply.problem, sizeof reply.problem, "%s", "the decoder was sent no photo");
        for (const int received : {fd, second})
            if (received >= 0)
                close(received);
        const bool small = payload.size() <= maxInlinePayloadBytes;
        const int memory = small ? -1 : memoryFileOf(payload);
        reply.payloadBytes = small || memory >= 0 ? payload.size() : 0;
        std::vector<unsigned char> message(sizeof reply + (small ? payload.size() : 0));
        std::memcpy(message.data(), &reply, sizeof reply);
        if (small && !payload.empty())
            std::memcpy(message.data() + sizeof reply, payload.data(), payload.size());
        const bool sent = sendMessage(decoderSocketFd, message.data(), message.size(), memory);
        if (memory >= 0)
            close(memory);
        if (!sent || cpuSeconds() > lifetimeCpuSeconds)
            return 0;
    }
}
