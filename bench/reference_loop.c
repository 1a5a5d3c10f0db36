/* The plain way to read long records: fgets and strtod on every number of
 * every line, nothing else. bench/run-e2e and bench/run-batch time the
 * programs against it.
 *   reference_loop FILE...   (the files one after the other) */
#include <stdio.h>
#include <stdlib.h>

int main(int argc, char** argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: reference_loop FILE...\n");
    return 2;
  }
  char line[10001];
  double sum = 0.0;
  long numbers = 0;
  for (int i = 1; i < argc; ++i) {
    FILE* f = fopen(argv[i], "r");
    if (!f) {
      perror(argv[i]);
      return 2;
    }
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
  }
  printf("%ld numbers, sum %.6g\n", numbers, sum);
  return 0;
}
