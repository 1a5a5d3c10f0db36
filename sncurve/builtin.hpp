#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string_view>

namespace skaldur::sncurve {

inline constexpr int kBuiltinCount = 50;

// Curve names are texts of this many characters, blank padded.
inline constexpr std::size_t kNameLength = 40;

// One row of the built-in table: the name (standard, detail class and
// environment as three blank-separated words, without its padding) and 13
// numbers: nSNlin, nParPerLin, nFixPar, then the nSNlin x nParPerLin segment
// values segment by segment and the nFixPar fixed parameters; the rest is 0.
//
// Every number is the single-precision value nearest to the decimal written,
// held as a double: the rows are written as float literals, so 12.913f is
// held as 12.913000106811523.
struct BuiltinCurve {
  std::string_view name;
  std::array<double, 13> numbers;
};

namespace detail {

// clang-format off
// One line per curve, in catalogue order; the columns are
//   nSNlin nParPerLin nFixPar | LogA m nBreak (| LogA m nBreak) | SigBreak (thick k kHigh)
inline constexpr std::array<BuiltinCurve, kBuiltinCount> kBuiltinTable{{
    /*  1 */ {"NORSOK  B1  AIR",      {2.f, 3.f, 4.f, 12.913f, 3.f, 1.0E+07f, 16.856f, 5.f, 0.f, 93.57f, 25.f, 0.f, 0.f}},
    /*  2 */ {"NORSOK  B2  AIR",      {2.f, 3.f, 4.f, 12.739f, 3.f, 1.0E+07f, 16.566f, 5.f, 0.f, 81.87f, 25.f, 0.f, 0.f}},
    /*  3 */ {"NORSOK  C   AIR",      {2.f, 3.f, 4.f, 12.592f, 3.f, 1.0E+07f, 16.32f, 5.f, 0.f, 73.1f, 25.f, 0.15f, 0.f}},
    /*  4 */ {"NORSOK  C1  AIR",      {2.f, 3.f, 4.f, 12.449f, 3.f, 1.0E+07f, 16.081f, 5.f, 0.f, 65.5f, 25.f, 0.15f, 0.f}},
    /*  5 */ {"NORSOK  C2  AIR",      {2.f, 3.f, 4.f, 12.301f, 3.f, 1.0E+07f, 15.835f, 5.f, 0.f, 58.48f, 25.f, 0.15f, 0.f}},
    /*  6 */ {"NORSOK  D   AIR",      {2.f, 3.f, 4.f, 12.164f, 3.f, 1.0E+07f, 15.606f, 5.f, 0.f, 52.63f, 25.f, 0.2f, 0.f}},
    /*  7 */ {"NORSOK  E   AIR",      {2.f, 3.f, 4.f, 12.01f, 3.f, 1.0E+07f, 15.35f, 5.f, 0.f, 46.78f, 25.f, 0.2f, 0.f}},
    /*  8 */ {"NORSOK  F   AIR",      {2.f, 3.f, 4.f, 11.855f, 3.f, 1.0E+07f, 15.091f, 5.f, 0.f, 41.52f, 25.f, 0.25f, 0.f}},
    /*  9 */ {"NORSOK  F1  AIR",      {2.f, 3.f, 4.f, 11.699f, 3.f, 1.0E+07f, 14.832f, 5.f, 0.f, 36.84f, 25.f, 0.25f, 0.f}},
    /* 10 */ {"NORSOK  F3  AIR",      {2.f, 3.f, 4.f, 11.546f, 3.f, 1.0E+07f, 14.576f, 5.f, 0.f, 32.75f, 25.f, 0.25f, 0.f}},
    /* 11 */ {"NORSOK  G   AIR",      {2.f, 3.f, 4.f, 11.398f, 3.f, 1.0E+07f, 14.33f, 5.f, 0.f, 29.24f, 25.f, 0.25f, 0.f}},
    /* 12 */ {"NORSOK  W1  AIR",      {2.f, 3.f, 4.f, 11.261f, 3.f, 1.0E+07f, 14.101f, 5.f, 0.f, 26.32f, 25.f, 0.25f, 0.f}},
    /* 13 */ {"NORSOK  W2  AIR",      {2.f, 3.f, 4.f, 11.107f, 3.f, 1.0E+07f, 13.845f, 5.f, 0.f, 23.39f, 25.f, 0.25f, 0.f}},
    /* 14 */ {"NORSOK  W3  AIR",      {2.f, 3.f, 4.f, 10.97f, 3.f, 1.0E+07f, 13.617f, 5.f, 0.f, 21.05f, 25.f, 0.25f, 0.f}},
    /* 15 */ {"NORSOK  T   AIR",      {2.f, 3.f, 4.f, 12.164f, 3.f, 1.0E+07f, 15.606f, 5.f, 0.f, 52.63f, 32.f, 0.25f, 0.3f}},
    /* 16 */ {"NORSOK  B1  SEA_CAT",  {2.f, 3.f, 4.f, 12.513f, 3.f, 1.0E+06f, 16.856f, 5.f, 0.f, 93.57f, 25.f, 0.f, 0.f}},
    /* 17 */ {"NORSOK  B2  SEA_CAT",  {2.f, 3.f, 4.f, 12.339f, 3.f, 1.0E+06f, 16.566f, 5.f, 0.f, 81.87f, 25.f, 0.f, 0.f}},
    /* 18 */ {"NORSOK  C   SEA_CAT",  {2.f, 3.f, 4.f, 12.192f, 3.f, 1.0E+06f, 16.32f, 5.f, 0.f, 73.1f, 25.f, 0.15f, 0.f}},
    /* 19 */ {"NORSOK  C1  SEA_CAT",  {2.f, 3.f, 4.f, 12.049f, 3.f, 1.0E+06f, 16.081f, 5.f, 0.f, 65.5f, 25.f, 0.15f, 0.f}},
    /* 20 */ {"NORSOK  C2  SEA_CAT",  {2.f, 3.f, 4.f, 11.901f, 3.f, 1.0E+06f, 15.835f, 5.f, 0.f, 58.48f, 25.f, 0.15f, 0.f}},
    /* 21 */ {"NORSOK  D   SEA_CAT",  {2.f, 3.f, 4.f, 11.764f, 3.f, 1.0E+06f, 15.606f, 5.f, 0.f, 52.63f, 25.f, 0.2f, 0.f}},
    /* 22 */ {"NORSOK  E   SEA_CAT",  {2.f, 3.f, 4.f, 11.61f, 3.f, 1.0E+06f, 15.35f, 5.f, 0.f, 46.78f, 25.f, 0.2f, 0.f}},
    /* 23 */ {"NORSOK  F   SEA_CAT",  {2.f, 3.f, 4.f, 11.455f, 3.f, 1.0E+06f, 15.091f, 5.f, 0.f, 41.52f, 25.f, 0.25f, 0.f}},
    /* 24 */ {"NORSOK  F1  SEA_CAT",  {2.f, 3.f, 4.f, 11.299f, 3.f, 1.0E+06f, 14.832f, 5.f, 0.f, 36.84f, 25.f, 0.25f, 0.f}},
    /* 25 */ {"NORSOK  F3  SEA_CAT",  {2.f, 3.f, 4.f, 11.146f, 3.f, 1.0E+06f, 14.576f, 5.f, 0.f, 32.75f, 25.f, 0.25f, 0.f}},
    /* 26 */ {"NORSOK  G   SEA_CAT",  {2.f, 3.f, 4.f, 10.998f, 3.f, 1.0E+06f, 14.33f, 5.f, 0.f, 29.24f, 25.f, 0.25f, 0.f}},
    /* 27 */ {"NORSOK  W1  SEA_CAT",  {2.f, 3.f, 4.f, 10.861f, 3.f, 1.0E+06f, 14.101f, 5.f, 0.f, 26.32f, 25.f, 0.25f, 0.f}},
    /* 28 */ {"NORSOK  W2  SEA_CAT",  {2.f, 3.f, 4.f, 10.707f, 3.f, 1.0E+06f, 13.845f, 5.f, 0.f, 23.39f, 25.f, 0.25f, 0.f}},
    /* 29 */ {"NORSOK  W3  SEA_CAT",  {2.f, 3.f, 4.f, 10.57f, 3.f, 1.0E+06f, 13.617f, 5.f, 0.f, 21.05f, 25.f, 0.25f, 0.f}},
    /* 30 */ {"NORSOK  T   SEA_CAT",  {2.f, 3.f, 4.f, 11.764f, 3.f, 1.0E+06f, 15.606f, 5.f, 0.f, 52.63f, 32.f, 0.25f, 0.3f}},
    /* 31 */ {"NORSOK  B1  SEA_FREE", {1.f, 3.f, 4.f, 12.436f, 3.f, 0.f, 0.f, 25.f, 0.f, 0.f, 0.f, 0.f, 0.f}},
    /* 32 */ {"NORSOK  B2  SEA_FREE", {1.f, 3.f, 4.f, 12.262f, 3.f, 0.f, 0.f, 25.f, 0.f, 0.f, 0.f, 0.f, 0.f}},
    /* 33 */ {"NORSOK  C   SEA_FREE", {1.f, 3.f, 4.f, 12.115f, 3.f, 0.f, 0.f, 25.f, 0.15f, 0.f, 0.f, 0.f, 0.f}},
    /* 34 */ {"NORSOK  C1  SEA_FREE", {1.f, 3.f, 4.f, 11.972f, 3.f, 0.f, 0.f, 25.f, 0.15f, 0.f, 0.f, 0.f, 0.f}},
    /* 35 */ {"NORSOK  C2  SEA_FREE", {1.f, 3.f, 4.f, 11.824f, 3.f, 0.f, 0.f, 25.f, 0.15f, 0.f, 0.f, 0.f, 0.f}},
    /* 36 */ {"NORSOK  D   SEA_FREE", {1.f, 3.f, 4.f, 11.687f, 3.f, 0.f, 0.f, 25.f, 0.2f, 0.f, 0.f, 0.f, 0.f}},
    /* 37 */ {"NORSOK  E   SEA_FREE", {1.f, 3.f, 4.f, 11.533f, 3.f, 0.f, 0.f, 25.f, 0.2f, 0.f, 0.f, 0.f, 0.f}},
    /* 38 */ {"NORSOK  F   SEA_FREE", {1.f, 3.f, 4.f, 11.378f, 3.f, 0.f, 0.f, 25.f, 0.25f, 0.f, 0.f, 0.f, 0.f}},
    /* 39 */ {"NORSOK  F1  SEA_FREE", {1.f, 3.f, 4.f, 11.222f, 3.f, 0.f, 0.f, 25.f, 0.25f, 0.f, 0.f, 0.f, 0.f}},
    /* 40 */ {"NORSOK  F3  SEA_FREE", {1.f, 3.f, 4.f, 11.068f, 3.f, 0.f, 0.f, 25.f, 0.25f, 0.f, 0.f, 0.f, 0.f}},
    /* 41 */ {"NORSOK  G   SEA_FREE", {1.f, 3.f, 4.f, 10.921f, 3.f, 0.f, 0.f, 25.f, 0.25f, 0.f, 0.f, 0.f, 0.f}},
    /* 42 */ {"NORSOK  W1  SEA_FREE", {1.f, 3.f, 4.f, 10.784f, 3.f, 0.f, 0.f, 25.f, 0.25f, 0.f, 0.f, 0.f, 0.f}},
    /* 43 */ {"NORSOK  W2  SEA_FREE", {1.f, 3.f, 4.f, 10.63f, 3.f, 0.f, 0.f, 25.f, 0.25f, 0.f, 0.f, 0.f, 0.f}},
    /* 44 */ {"NORSOK  W3  SEA_FREE", {1.f, 3.f, 4.f, 10.493f, 3.f, 0.f, 0.f, 25.f, 0.25f, 0.f, 0.f, 0.f, 0.f}},
    /* 45 */ {"NORSOK  T   SEA_FREE", {1.f, 3.f, 4.f, 11.687f, 3.f, 0.f, 0.f, 32.f, 0.25f, 0.3f, 0.f, 0.f, 0.f}},
    /* 46 */ {"DNV     D   AIR",      {1.f, 3.f, 1.f, 12.18f, 3.f, 1.89E+08f, 20.f, 0.f, 0.f, 0.f, 0.f, 0.f, 0.f}},
    /* 47 */ {"DNV     D   SEA_CAT",  {1.f, 3.f, 1.f, 12.18f, 3.f, 1.89E+08f, 20.f, 0.f, 0.f, 0.f, 0.f, 0.f, 0.f}},
    /* 48 */ {"DNV     D   SEA_FREE", {1.f, 3.f, 1.f, 12.18f, 3.f, 0.f, 0.f, 0.f, 0.f, 0.f, 0.f, 0.f, 0.f}},
    /* 49 */ {"NORSOK  E     BP_SCH", {1.f, 3.f, 4.f, 12.017f, 3.f, 0.f, 0.f, 17.5f, 0.2f, 0.f, 0.f, 0.f, 0.f}},
    /* 50 */ {"NORSOK  E     BP_SVI", {1.f, 3.f, 4.f, 12.017f, 3.f, 0.f, 0.f, 19.05f, 0.2f, 0.f, 0.f, 0.f, 0.f}},
}};
// clang-format on

}  // namespace detail

// The 50 curves of the NORSOK and DNV standards that the program carries.
constexpr std::span<const BuiltinCurve, kBuiltinCount> builtin_curves() {
  return detail::kBuiltinTable;
}

}  // namespace skaldur::sncurve
