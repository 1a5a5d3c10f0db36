/* Writes a long three-column record (time, two stress columns in MPa) with a
 * fixed generator state, so that every run of bench/run-e2e reads the same
 * file: a random walk for the first column, a damped oscillation for the
 * second. */
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

#include "xorshift.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: make_series LINES FILE\n");
    return 2;
  }
  const long lines = atol(argv[1]);
  FILE* f = fopen(argv[2], "w");
  if (!f) {
    perror(argv[2]);
    return 2;
  }
  static char buffer[1 << 20];
  setvbuf(f, buffer, _IOFBF, sizeof buffer);
  fputs("# generated record: time [s], stress A [MPa], stress B [MPa]\n", f);
  double a = 40.0, b = 0.0, v = 0.0;
  for (long i = 0; i < lines; ++i) {
    a += 2.0 * uniform();
    if (a > 140.0 || a < -60.0) a = 40.0;
    v = 0.9 * v - 0.3 * b + uniform();
    b += v;
    fprintf(f, "%.2f %.4f %.4f\n", 0.05 * (double)i, a, b);
  }
  if (fclose(f) != 0) {
    perror(argv[2]);
    return 1;
  }
  return 0;
}
