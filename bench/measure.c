/* Runs a command with its standard input and output redirected and prints
 * its wall time in seconds, its peak resident memory in KiB and the CPU time
 * (user + system) its threads used, in seconds:
 *   measure IN OUT COMMAND ARGS...   ->   "1.234 56789 2.100" */
#include <fcntl.h>
#include <stdio.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

int main(int argc, char** argv) {
  if (argc < 4) {
    fprintf(stderr, "usage: measure IN OUT COMMAND ARGS...\n");
    return 2;
  }
  struct timespec start, end;
  clock_gettime(CLOCK_MONOTONIC, &start);
  const pid_t pid = fork();
  if (pid == 0) {
    const int in = open(argv[1], O_RDONLY);
    const int out = open(argv[2], O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in < 0 || out < 0) _exit(127);
    dup2(in, 0);
    dup2(out, 1);
    execvp(argv[3], argv + 3);
    _exit(127);
  }
  int status = 0;
  struct rusage usage;
  if (pid < 0 || wait4(pid, &status, 0, &usage) < 0) {
    perror("measure");
    return 2;
  }
  clock_gettime(CLOCK_MONOTONIC, &end);
  const double seconds = (double)(end.tv_sec - start.tv_sec) + 1e-9 * (double)(end.tv_nsec - start.tv_nsec);
  const double cpu = (double)(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                     1e-6 * (double)(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
  printf("%.3f %ld %.3f\n", seconds, usage.ru_maxrss, cpu);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}
