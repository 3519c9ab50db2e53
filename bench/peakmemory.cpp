// peakmemory REPORT PROGRAM [ARGUMENT...]: runs the program and writes its
// peak resident memory, in kilobytes, to REPORT; exits with its exit code.
//
// A benchmark cannot read that figure for a child it starts itself: the
// kernel carries the parent's own high-water mark into a child made by fork
// or posix_spawn, so a benchmark holding a large store would be charged to
// every process it runs. This small program has nothing to carry over.

#include <cstdio>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

int main(int argc, char *argv[])
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s REPORT PROGRAM [ARGUMENT...]\n", argv[0]);
        return 2;
    }
    const pid_t pid = ::fork();
    if (pid < 0)
        return 127;
    if (pid == 0) {
        ::execvp(argv[2], argv + 2);
        ::_exit(127);
    }
    int status = 0;
    struct rusage usage
    {
    };
    if (::wait4(pid, &status, 0, &usage) != pid)
        return 127;
    if (FILE *report = std::fopen(argv[1], "w")) {
        std::fprintf(report, "%ld\n", usage.ru_maxrss);
        std::fclose(report);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
}
