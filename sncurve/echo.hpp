#pragma once

#include <iosfwd>
#include <span>

namespace skaldur::sncurve {

// Writes the echo block of an SN-curve record into the print file:
//
//    (one blank)
//   '    nSNlin  nParPerLin  nFixPar
//            2         3         4                     3 x I10
//   '                                         Line Segment  1
//   '  LogA        m         nBreak
//       12.164     3.000   1.000E+07                   2 x F10.3, E12.3
//   ... the same three lines for every further segment
//   '                                         Fixed Parameters
//   '  SigBreak    thick     k     .....
//       52.630    25.000     0.200     0.000           F10.3, five to a line
//   (empty)
//    Computed SigBreak:     52.642                     F10.3
//   (empty)
//
// Heading lines start with an apostrophe, so the block reads back as a
// definition file. The computed break range is that of segment 1, 0 when the
// record has none. Segment and fixed-parameter lines stop where the record
// ends, whatever its counts say; no fixed parameter at all gives an empty line.
void SNECHO(std::span<const double> record, std::ostream& print);

}  // namespace skaldur::sncurve
