// Hotspots that combine stress components, and the eight points of a
// tubular joint, end to end: each point's results are those of a plain
// hotspot on its hot-spot stress written out by hand from the joint's
// formula, and a component k x column gives the damage of the column with
// SCF k.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "run_batch.hpp"
#include "support/temp_dir.hpp"

namespace skaldur {
namespace {

using testing::number;
using testing::Outcome;
using testing::read_csv;
using testing::read_file;
using testing::run_batch;
using testing::Table;
using testing::TempDir;

constexpr std::array<const char*, 8> kAngles = {"000", "045", "090", "135",
                                                "180", "225", "270", "315"};

// "%.9g", which reads back as the same float.
std::string text_of(float value) {
  char text[32];
  std::snprintf(text, sizeof text, " %.9g", static_cast<double>(value));
  return text;
}

// The rows of `table` by their first field (the hotspot), each without it.
std::map<std::string, Table> by_hotspot(const Table& table) {
  std::map<std::string, Table> rows;
  for (std::size_t i = 1; i < table.size(); ++i)
    rows[table[i][0]].emplace_back(table[i].begin() + 1, table[i].end());
  return rows;
}

// The factors of axial, in-plane and out-of-plane stress at each point of a
// joint with SCFs 2.5 (axial, crown), 3.5 (axial, saddle), 2.0 (in-plane)
// and 3.0 (out-of-plane):
//
//   sigma(theta) = SCF_A x axial + 2.0 cos(theta) x in_plane
//                  - 3.0 sin(theta) x out_of_plane
//
// SCF_A the mean 3.0 at 45, 135, 225 and 315 degrees, where cos and sin are
// +-sqrt(1/2).
std::array<std::array<double, 3>, 8> hand_factors() {
  const double h = std::sqrt(0.5);
  return {{{2.5, 2.0, 0.0},
           {3.0, 2.0 * h, -3.0 * h},
           {3.5, 0.0, -3.0},
           {3.0, -2.0 * h, -3.0 * h},
           {2.5, -2.0, 0.0},
           {3.0, -2.0 * h, 3.0 * h},
           {3.5, 0.0, 3.0},
           {3.0, 2.0 * h, 3.0 * h}}};
}

// A record of `lines` lines: time, the nominal stresses fx, my and mz, and
// then the hot-spot stress of each point, p000 ... p315, summed in double
// in the order of the components and held in float.
std::string joint_record(int lines, double phase) {
  const auto factors = hand_factors();
  std::string text = "# t fx my mz";
  for (const char* angle : kAngles)
    text += std::string(" p") + angle;
  text += '\n';
  for (int i = 0; i < lines; ++i) {
    const std::array<float, 3> nominal = {
        static_cast<float>(40.0 * std::sin(0.7 * i + phase) + 3.0 * std::cos(2.9 * i)),
        static_cast<float>(25.0 * std::cos(1.3 * i + phase)),
        static_cast<float>(15.0 * std::sin(2.1 * i + 0.4) - 5.0)};
    text += std::to_string(0.25 * i);
    for (const float v : nominal)
      text += text_of(v);
    for (const auto& f : factors) {
      double sum = 0.0;
      for (std::size_t c = 0; c < 3; ++c)
        sum += f[c] * static_cast<double>(nominal[c]);
      text += text_of(static_cast<float>(sum));
    }
    text += '\n';
  }
  return text;
}

TEST(SkaldurBatch, EachPointOfAJointIsItsHotSpotStressWrittenOutByHand) {
  TempDir dir;
  dir.write("r1.ts", joint_record(30, 0.0));
  dir.write("r2.ts", joint_record(45, 0.8));
  dir.write("r3.ts", joint_record(60, 2.1));
  dir.write("cases.csv", "name,file,probability\nc1,r1.ts,0.5\nc2,r2.ts,0.3\nc3,r3.ts,0.2\n");
  std::string job =
      "design_life = 25.0\ndff = 3.0\nload_cases = \"cases.csv\"\nunit = \"MPa\"\n\n"
      "[[joint]]\nname = \"K\"\naxial = \"fx\"\nin_plane = \"my\"\nout_of_plane = 4\n"
      "scf = { axial_crown = 2.5, axial_saddle = 3.5, in_plane = 2.0, out_of_plane = 3.0 }\n"
      "curve = \"NORSOK D AIR\"\nthickness = 40.0\n";
  for (const char* angle : kAngles) {
    job += std::string("\n[[hotspot]]\nname = \"p") + angle + "\"\ncolumn = \"p" + angle +
           "\"\ncurve = 6\nthickness = 40.0\n";
  }
  dir.write("job.toml", job);
  const Outcome o = run_batch(dir, "run job.toml --explain --quiet");
  ASSERT_EQ(o.status, 0) << o.err;

  // The crown and the saddle read two components: a bending stress has no
  // share there.
  EXPECT_NE(o.out.find("\nK-000 = 2.5 x col(fx) + 2 x col(my); curve NORSOK"), std::string::npos)
      << o.out;
  EXPECT_NE(o.out.find("\nK-090 = 3.5 x col(fx) - 3 x col(4); curve NORSOK"), std::string::npos)
      << o.out;

  const auto damage = by_hotspot(read_csv(dir.file("job.out/damage.csv")));
  const auto summary = by_hotspot(read_csv(dir.file("job.out/summary.csv")));
  const auto histograms = by_hotspot(read_csv(dir.file("job.out/histograms.csv")));
  for (const char* angle : kAngles) {
    SCOPED_TRACE(angle);
    const std::string point = std::string("K-") + angle;
    const std::string plain = std::string("p") + angle;
    ASSERT_EQ(damage.at(point).size(), 3u);
    for (const auto& row : damage.at(point))
      EXPECT_GT(number(row[5]), 0.0);  // every run has damage
    EXPECT_EQ(damage.at(point), damage.at(plain));
    EXPECT_EQ(summary.at(point), summary.at(plain));
    EXPECT_EQ(histograms.at(point), histograms.at(plain));
  }

  // summary.json: a point's components and joint, and the SCF that picks
  // the thickness exponent, the largest factor of the point.
  const auto json = nlohmann::json::parse(read_file(dir.file("job.out/summary.json")));
  const auto& hotspots = json.at("job").at("hotspots");
  ASSERT_EQ(hotspots.size(), 16u);
  const auto& k045 = hotspots[9];
  EXPECT_EQ(k045.at("name"), "K-045");
  EXPECT_EQ(k045.at("joint"), "K");
  const double h = std::sqrt(0.5);
  EXPECT_EQ(k045.at("components"), nlohmann::json::array({{{"column", "fx"}, {"factor", 3.0}},
                                                          {{"column", "my"}, {"factor", 2.0 * h}},
                                                          {{"column", 4}, {"factor", -3.0 * h}}}));
  EXPECT_EQ(k045.at("thickness_exponent_scf"), 3.0);
  EXPECT_EQ(hotspots[0].at("column"), "p000");
  EXPECT_EQ(hotspots[0].at("thickness_exponent_scf"), 1.0);
}

// A random walk in columns a, b and c, and two columns of zeros, z1 and z2.
std::string random_record(std::mt19937_64& rng, double scale) {
  std::uniform_real_distribution<double> step(-30.0, 30.0);
  std::array<double, 3> level{};
  std::string text = "# t a b c z1 z2\n";
  const int lines = std::uniform_int_distribution<int>(40, 600)(rng);
  for (int i = 0; i < lines; ++i) {
    text += std::to_string(0.5 * i);
    for (double& x : level) {
      x += step(rng);
      text += text_of(static_cast<float>(x * scale));
    }
    text += " 0 0\n";
  }
  return text;
}

// Pairs of hotspots that must give the same damage: a plain one and one
// that combines components. The plain one comes first and reads the same
// column, which the second must still find whole.
struct Pair {
  std::string plain;
  std::string combined;
};

// k x column has the damage of the column with SCF |k|: a power of two
// scales the series exactly, and a negative factor mirrors it without
// changing a range. Above 10 the SCF picks the NORSOK curve's other
// thickness exponent, for the components the largest |factor| x their SCF.
// A joint whose bending columns are 0 has the axial SCF of the crown at
// points 1 and 5, that of the saddle at 3 and 7.
TEST(SkaldurBatch, AComponentKTimesAColumnIsTheColumnWithScfK) {
  std::mt19937_64 rng(7011);
  const auto pick = [&](int a, int b) { return std::uniform_int_distribution<int>(a, b)(rng); };
  for (int trial = 0; trial < 4; ++trial) {
    SCOPED_TRACE("trial " + std::to_string(trial));
    TempDir dir;
    const bool mpa = pick(0, 1) == 1;
    dir.write("r1.ts", random_record(rng, mpa ? 1.0 : 1.0e6));
    dir.write("r2.ts", random_record(rng, mpa ? 1.0 : 1.0e6));
    dir.write("cases.csv", "name,file,hours_per_year\nc1,r1.ts,3000\nc2,r2.ts,5000\nc3,r1.ts,9\n");
    const char* const columns[] = {"\"a\"", "3", "\"c\""};
    const auto column = [&] { return std::string(columns[pick(0, 2)]); };
    std::string job = "design_life = 20.0\ndff = 2.0\nload_cases = \"cases.csv\"\nunit = \"" +
                      std::string(mpa ? "MPa" : "Pa") + "\"\ndamage = \"" +
                      (pick(0, 1) ? "exact" : "blocks") +
                      "\"\n[[joint]]\nname = \"J\"\ncurve = 6\nthickness = 40\n";
    const std::string axial = column();
    job += "axial = " + axial + "\nin_plane = \"z1\"\nout_of_plane = 6\n" +
           "scf = { axial_crown = 2, axial_saddle = 4, in_plane = 3, out_of_plane = 5 }\n";
    const auto hotspot = [&](const std::string& name, const std::string& stress) {
      job += "[[hotspot]]\nname = \"" + name + "\"\ncurve = 6\nthickness = 40\n" + stress + "\n";
    };
    std::vector<Pair> pairs = {
        {"crown", "J-000"}, {"crown", "J-180"}, {"saddle", "J-090"}, {"saddle", "J-270"}};
    hotspot("crown", "column = " + axial + "\nscf = 2");
    hotspot("saddle", "column = " + axial + "\nscf = 4");
    const std::vector<std::pair<const char*, const char*>> factors = {
        {"1", "1"},     {"2", "2"},  {"4", "4"},    {"8", "8"},          {"16", "16"},
        {"0.5", "0.5"}, {"-2", "2"}, {"-16", "16"}, {"4, scf = 4", "16"}};
    for (std::size_t i = 0; i < factors.size(); ++i) {
      const std::string c = column();
      const std::string n = std::to_string(i);
      hotspot("plain" + n, "column = " + c + "\nscf = " + factors[i].second);
      hotspot("combined" + n,
              "components = [{ column = " + c + ", factor = " + factors[i].first + " }]");
      pairs.push_back({"plain" + n, "combined" + n});
    }
    // "factor = 4, scf = 4" puts the SCF after the list.
    const auto at = job.find("factor = 4, scf = 4 }]");
    job.replace(at, 22, "factor = 4 }]\nscf = 4");
    dir.write("job.toml", job);
    const Outcome whole = run_batch(dir, "run job.toml --quiet");
    ASSERT_EQ(whole.status, 0) << whole.err;
    const auto damage = by_hotspot(read_csv(dir.file("job.out/damage.csv")));
    const auto summary = by_hotspot(read_csv(dir.file("job.out/summary.csv")));
    for (const Pair& p : pairs) {
      SCOPED_TRACE(p.combined);
      EXPECT_EQ(damage.at(p.combined), damage.at(p.plain));
      EXPECT_GT(number(damage.at(p.plain)[0][5]), 0.0);
      // From the thickness on (the SCFs differ): thickness factor, damage per year, ...
      const auto& a = summary.at(p.combined);
      const auto& b = summary.at(p.plain);
      EXPECT_EQ(std::vector(a[0].begin() + 2, a[0].end()),
                std::vector(b[0].begin() + 2, b[0].end()));
    }
    // Above 10 the curve's kHigh (0): no thickness factor.
    EXPECT_EQ(summary.at("combined4")[0][3], "1");
    EXPECT_NE(summary.at("combined3")[0][3], "1");

    // Shards merged give the same files: what merge reads back of the
    // components is what the run took.
    for (const char* k : {"1", "2"}) {
      const Outcome shard =
          run_batch(dir, std::string("run job.toml --quiet --shard ") + k + "/2 --out s" + k);
      ASSERT_EQ(shard.status, 0) << shard.err;
    }
    ASSERT_EQ(run_batch(dir, "merge s1 s2 --out merged --quiet").status, 0);
    for (const char* name : {"summary.csv", "damage.csv", "histograms.csv", "summary.json"}) {
      EXPECT_EQ(read_file(dir.file(std::string("merged/") + name)),
                read_file(dir.file(std::string("job.out/") + name)))
          << name;
    }
  }
}

}  // namespace
}  // namespace skaldur
