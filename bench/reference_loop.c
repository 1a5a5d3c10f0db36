/* The plain way to read a long record: fgets and strtod on every number of
 * every line, nothing else. bench/run-e2e times the program against it. */
#include <stdio.h>
#include <stdlib.h>

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: reference_loop FILE\n");
    return 2;
  }
  FILE* f = fopen(argv[1], "r");
  if (!f) {
    perror(argv[1]);
    return 2;
  }
  char line[10001];
  double sum = 0.0;
  long numbers = 0;
  while (fgets(line, sizeof line, f)) {
    if (line[0] == '#') continue;
    char* p = line;
    for (;;) {
      char* end;
      const double v = strtod(p, &end);
      if (end == p) break;
      sum += v;
      ++numbers;
      p = end;
    }
  }
  fclose(f);
  printf("%ld numbers, sum %.6g\n", numbers, sum);
  return 0;
}
