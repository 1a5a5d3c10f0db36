/* The benchmarks' record generators draw from one xorshift64* stream, so that
 * a record is the same on every machine and every run. */
#ifndef SKALDUR_BENCH_XORSHIFT_H
#define SKALDUR_BENCH_XORSHIFT_H

#include <stdint.h>

static uint64_t xorshift_state = 0x9E3779B97F4A7C15u;

/* The next number of the stream, in [-1, 1). */
static double uniform(void) {
  xorshift_state ^= xorshift_state >> 12;
  xorshift_state ^= xorshift_state << 25;
  xorshift_state ^= xorshift_state >> 27;
  return (double)((xorshift_state * 0x2545F4914F6CDD1Du) >> 11) / 4503599627370496.0 - 1.0;
}

#endif
