// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The Ek developers
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

// Times whole processes from outside: wall time from fork to reaping, and the peak
// resident memory the kernel accounted to the child. With a second command the two
// run in turn, A B A B ..., and the ratio is taken pair by pair, so a machine that
// speeds up or slows down during the run shifts both sides alike.
//
//   ek-bench-time [-n RUNS] [-w WARMUPS] -- A [ARGS...] [--vs B [ARGS...]]
//
// Prints one line of key=value pairs: a_ms, a_min_ms, a_max_ms, a_cpu_ms (user and
// system time, median), a_rss_kb, a_written (bytes the process handed to write calls,
// median, from /proc before the child is reaped), and with B also the same for b,
// ratio (median of
// A/B wall time per pair) and cpu_ratio (the same for CPU time, which other work on
// the machine disturbs less). Exit status 1 when any run did not exit with status 0.
namespace {

struct Run
{
    double ms = 0;
    double cpuMs = 0;
    long rssKb = 0;
    double written = 0;
    int status = 0;
};

// What the ended but not yet reaped child wrote: the "wchar" of its /proc io file.
double bytesWritten(pid_t pid)
{
    const std::string path = "/proc/" + std::to_string(pid) + "/io";
    std::FILE* f = std::fopen(path.c_str(), "r");
    if (!f)
        return -1;
    char key[64];
    unsigned long long value = 0;
    double written = -1;
    while (std::fscanf(f, "%63s %llu", key, &value) == 2) {
        if (std::strcmp(key, "wchar:") == 0)
            written = double(value);
    }
    std::fclose(f);
    return written;
}

double now()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

Run runOnce(const std::vector<char*>& argv)
{
    const double start = now();
    const pid_t pid = fork();
    if (pid < 0) {
        std::perror("fork");
        std::exit(2);
    }
    if (pid == 0) {
        const int null = open("/dev/null", O_WRONLY);
        if (null >= 0) {
            dup2(null, 1);
            dup2(null, 2);
        }
        execvp(argv[0], argv.data());
        _exit(127);
    }
    siginfo_t ended{};
    while (waitid(P_PID, id_t(pid), &ended, WEXITED | WNOWAIT) < 0) {
        if (errno != EINTR) {
            std::perror("waitid");
            std::exit(2);
        }
    }
    const double written = bytesWritten(pid);
    int status = 0;
    rusage usage{};
    while (wait4(pid, &status, 0, &usage) < 0) {
        if (errno != EINTR) {
            std::perror("wait4");
            std::exit(2);
        }
    }
    Run r;
    r.ms = now() - start;
    r.rssKb = usage.ru_maxrss;
    r.written = written;
    const auto toMs = [](const timeval& t) { return double(t.tv_sec) * 1e3 + double(t.tv_usec) / 1e3; };
    r.cpuMs = toMs(usage.ru_utime) + toMs(usage.ru_stime);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return r;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

void report(const char* side, const std::vector<Run>& runs)
{
    std::vector<double> ms;
    std::vector<double> cpu;
    std::vector<double> written;
    long rss = 0;
    for (const Run& r : runs) {
        ms.push_back(r.ms);
        cpu.push_back(r.cpuMs);
        written.push_back(r.written);
        rss = std::max(rss, r.rssKb);
    }
    std::printf("%s_ms=%.1f %s_min_ms=%.1f %s_max_ms=%.1f %s_cpu_ms=%.1f %s_rss_kb=%ld %s_written=%.0f ",
                side, median(ms), side, *std::min_element(ms.begin(), ms.end()), side,
                *std::max_element(ms.begin(), ms.end()), side, median(cpu), side, rss, side, median(written));
}

[[noreturn]] void usage()
{
    std::fputs("usage: ek-bench-time [-n RUNS] [-w WARMUPS] -- A [ARGS...] [--vs B [ARGS...]]\n", stderr);
    std::exit(2);
}

} // namespace

int main(int argc, char* argv[])
{
    int runs = 5;
    int warmups = 1;
    int i = 1;
    for (; i < argc; ++i) {
        if (std::strcmp(argv[i], "--") == 0) {
            ++i;
            break;
        }
        if (std::strcmp(argv[i], "-n") == 0 && i + 1 < argc)
            runs = std::atoi(argv[++i]);
        else if (std::strcmp(argv[i], "-w") == 0 && i + 1 < argc)
            warmups = std::atoi(argv[++i]);
        else
            usage();
    }
    std::vector<char*> a;
    std::vector<char*> b;
    bool inB = false;
    for (; i < argc; ++i) {
        if (std::strcmp(argv[i], "--vs") == 0 && !inB) {
            inB = true;
            continue;
        }
        (inB ? b : a).push_back(argv[i]);
    }
    if (a.empty() || (inB && b.empty()) || runs < 1 || warmups < 0)
        usage();
    a.push_back(nullptr);
    b.push_back(nullptr);

    bool failed = false;
    for (int w = 0; w < warmups; ++w) {
        failed |= runOnce(a).status != 0;
        if (inB)
            failed |= runOnce(b).status != 0;
    }
    std::vector<Run> ra;
    std::vector<Run> rb;
    std::vector<double> ratios;
    std::vector<double> cpuRatios;
    for (int r = 0; r < runs; ++r) {
        ra.push_back(runOnce(a));
        failed |= ra.back().status != 0;
        if (inB) {
            rb.push_back(runOnce(b));
            failed |= rb.back().status != 0;
            ratios.push_back(ra.back().ms / rb.back().ms);
            cpuRatios.push_back(rb.back().cpuMs > 0 ? ra.back().cpuMs / rb.back().cpuMs : 0);
        }
    }
    report("a", ra);
    if (inB) {
        report("b", rb);
        std::printf("ratio=%.3f cpu_ratio=%.3f ", median(ratios), median(cpuRatios));
    }
    std::printf("failed=%d\n", failed ? 1 : 0);
    return failed ? 1 : 0;
}
