#include "batch/outputs.hpp"

#include <cstring>
#include <system_error>
#include <utility>

#include "batch/input_files.hpp"
#include "files/whole_file.hpp"

namespace skaldur::batch {

std::optional<BatchError> refuse_replacing_inputs(const std::filesystem::path& dir,
                                                  std::span<const std::string_view> names,
                                                  const std::vector<InputFile>& inputs) {
  for (const std::string_view name : names) {
    const std::filesystem::path output = dir / name;
    const auto identity = identity_of(output);
    if (!identity) continue;  // a new file replaces nothing
    for (const InputFile& input : inputs) {
      if (input.identity == *identity) {
        return BatchError{kExitBadInput, "the output " + output.string() + " is " + input.shown +
                                             ", which the run reads; choose another --out folder"};
      }
    }
  }
  return std::nullopt;
}

std::optional<BatchError> make_folder(const std::filesystem::path& dir) {
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (ec)
    return BatchError{kExitFailed, "cannot make the folder " + dir.string() + ": " + ec.message()};
  return std::nullopt;
}

std::optional<BatchError> write_output(const std::filesystem::path& path, std::string_view text) {
  if (const int error = files::write_whole(path.string(), text); error != 0)
    return BatchError{kExitFailed, "cannot write " + path.string() + ": " + std::strerror(error)};
  return std::nullopt;
}

std::vector<std::string_view> output_files(const OutputRequest& request) {
  std::vector<std::string_view> names = {"summary.csv", "damage.csv", "histograms.csv"};
  if (request.matrix) names.emplace_back("matrix.csv");
  if (request.del) names.emplace_back("del.csv");
  names.emplace_back("summary.json");
  return names;
}

std::optional<BatchError> write_outputs(const std::filesystem::path& dir, const Json& job,
                                        const JobView& view, const std::vector<CaseResult>& cases,
                                        const std::vector<HotspotSummary>& summaries) {
  if (auto e = make_folder(dir)) return e;
  // Every text is made before the first file is touched, in the order of
  // output_files.
  std::vector<std::pair<std::string_view, std::string>> outputs;
  outputs.emplace_back("summary.csv", summary_csv(view, summaries));
  outputs.emplace_back("damage.csv", damage_csv(view, cases));
  outputs.emplace_back("histograms.csv", histograms_csv(view, cases));
  if (view.outputs.matrix) outputs.emplace_back("matrix.csv", matrix_csv(view, cases));
  if (view.outputs.del) outputs.emplace_back("del.csv", del_csv(view, cases));
  outputs.emplace_back("summary.json", summary_json(job, view, cases, summaries));
  for (const auto& [name, text] : outputs) {
    if (auto e = write_output(dir / name, text)) return e;
  }
  return std::nullopt;
}

}  // namespace skaldur::batch
