#include "batch/record_fingerprints.hpp"

#include <map>
#include <string>

#include "batch/input_files.hpp"
#include "textio/fingerprint.hpp"
#include "textio/line_error.hpp"

namespace skaldur::batch {
namespace {

// The fingerprint of the whole regular file `lc.path`, or why there is none.
Outcome<std::uint64_t> fingerprint_file(const LoadCase& lc) {
  const std::string file = lc.path.string();
  const std::string about = " (load case '" + lc.name + "')";
  auto input = open_input(lc.path, file);
  if (!input) return bad_input(input.error().message + about);
  textio::Fingerprint fingerprint;
  if (const int error = textio::add_rest_of_file(input->fd(), fingerprint))
    return bad_input(file + ": " + textio::cannot_read(error) + about);
  return fingerprint.value();
}

}  // namespace

Outcome<std::vector<std::uint64_t>> record_fingerprints(const Job& job,
                                                        const std::vector<CaseResult>& cases) {
  std::vector<std::uint64_t> fingerprints(job.load_cases.size());
  std::map<std::string, std::uint64_t> read;  // by path: each file read once
  for (std::size_t c = 0; c < job.load_cases.size(); ++c) {
    const LoadCase& lc = job.load_cases[c];
    if (cases[c].done) {
      fingerprints[c] = cases[c].fingerprint;
      continue;
    }
    const auto known = read.find(lc.path.string());
    if (known != read.end()) {
      fingerprints[c] = known->second;
      continue;
    }
    const auto fingerprint = fingerprint_file(lc);
    if (!fingerprint) return textio::fail(fingerprint.error());
    fingerprints[c] = read[lc.path.string()] = *fingerprint;
  }
  return fingerprints;
}

}  // namespace skaldur::batch
