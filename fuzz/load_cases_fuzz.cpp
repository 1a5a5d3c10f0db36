// Fuzz target: the batch's load-case table reader on arbitrary file bytes.
// The table is an in-memory file, opened by its /proc/self/fd name; the
// reader opens none of the files the table names.
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <set>
#include <string>
#include <string_view>

#include "batch/load_cases.hpp"
#include "fuzz/support.hpp"

namespace {

using skaldur::fuzz::check;
using namespace skaldur;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fuzz::MemoryFile file(fuzz::as_text(data, size));
  const std::filesystem::path path = "/proc/self/fd/" + std::to_string(file.fd());
  batch::WeightKind kind = batch::WeightKind::probability;
  batch::InputFile table;
  const auto cases = batch::read_load_cases(path, "cases.csv", kind, table);
  if (!cases) {
    check(cases.error().status == batch::kExitBadInput, "a refused table that is not bad input");
    check(cases.error().message.find("cases.csv") != std::string::npos,
          "a message that does not name the table");
    return 0;
  }
  check(!cases->empty(), "a table without load cases");
  std::set<std::string> names;
  std::int64_t line = 1;  // the header's, at the least
  for (const batch::LoadCase& c : *cases) {
    check(!c.name.empty() && !c.file.empty(), "a load case without a name or a file");
    check(names.insert(c.name).second, "a load case named twice");
    check(c.line > line, "load cases out of the order of their lines");
    line = c.line;
    check(c.path == path.parent_path() / c.file, "a load case's file not beside the table");
    check(std::isfinite(c.weight) && c.weight >= 0.0, "a weight that is not a number of 0 or more");
    check(std::isfinite(c.first_time) && std::isfinite(c.last_time), "a time that is not finite");
  }
  return 0;
}
