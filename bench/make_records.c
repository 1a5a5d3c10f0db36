/* Writes a long record of a time and COLUMNS stress columns (MPa), with a
 * generator state of its own for each STREAM number, so that bench/run-batch
 * reads the same files on every run. Each column is a lightly damped random oscillation of
 * its own period and level; a header comment names the columns s1, s2, ...
 *   make_records LINES COLUMNS STREAM FILE */
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

#include "xorshift.h"

int main(int argc, char** argv) {
  if (argc != 5) {
    fprintf(stderr, "usage: make_records LINES COLUMNS STREAM FILE\n");
    return 2;
  }
  const long lines = atol(argv[1]);
  const int columns = atoi(argv[2]);
  xorshift_state ^= (uint64_t)strtoull(argv[3], NULL, 10) * 0xBF58476D1CE4E5B9u;
  if (columns < 1 || columns > 64 || lines < 1) {
    fprintf(stderr, "make_records: 1 to 64 columns and at least one line\n");
    return 2;
  }
  FILE* f = fopen(argv[4], "w");
  if (!f) {
    perror(argv[4]);
    return 2;
  }
  static char buffer[1 << 20];
  setvbuf(f, buffer, _IOFBF, sizeof buffer);
  fprintf(f, "# generated record: time [s] and %d stress columns [MPa]\n# time", columns);
  for (int c = 1; c <= columns; ++c) fprintf(f, " s%d", c);
  fputc('\n', f);
  double x[64] = {0}, v[64] = {0}, level[64], damping[64], stiffness[64];
  for (int c = 0; c < columns; ++c) {
    level[c] = 20.0 + 5.0 * c;
    damping[c] = 0.90 + 0.01 * (c % 5);
    stiffness[c] = 0.05 + 0.04 * c;
  }
  for (long i = 0; i < lines; ++i) {
    fprintf(f, "%.2f", 0.05 * (double)i);
    for (int c = 0; c < columns; ++c) {
      v[c] = damping[c] * v[c] - stiffness[c] * x[c] + (1.0 + 0.2 * c) * uniform();
      x[c] += v[c];
      fprintf(f, " %.4f", level[c] + x[c]);
    }
    fputc('\n', f);
  }
  if (fclose(f) != 0) {
    perror(argv[4]);
    return 1;
  }
  return 0;
}
