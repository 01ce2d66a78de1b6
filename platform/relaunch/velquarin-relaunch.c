/* velquarin-relaunch PID EXECUTABLE ARG0 [ARG...]
 *
 * Started by process PID: waits until PID has exited, then executes EXECUTABLE with the
 * given argument vector. The wait needs no polling of the process table: once our parent
 * exits we are handed to another parent, so getppid() no longer answers PID (also when PID
 * exited before we got here, and is perhaps not yet reaped). */

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

int main(int argc, char** argv) {
  if (argc < 4) {
    fprintf(stderr, "usage: %s PID EXECUTABLE ARG0 [ARG...]\n", argv[0]);
    return 2;
  }
  char* end = NULL;
  errno = 0;
  const long parent = strtol(argv[1], &end, 10);
  if (errno != 0 || end == argv[1] || *end != '\0' || parent <= 1) {
    fprintf(stderr, "%s: not a process id: %s\n", argv[0], argv[1]);
    return 2;
  }
  const struct timespec step = {0, 100 * 1000 * 1000};
  while (getppid() == (pid_t)parent) nanosleep(&step, NULL);

  execv(argv[2], &argv[3]);
  fprintf(stderr, "%s: cannot start %s: %s\n", argv[0], argv[2], strerror(errno));
  return 127;
}
