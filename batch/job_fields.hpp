#pragma once

#include <toml++/toml.h>

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "batch/errors.hpp"

namespace skaldur::batch {

// The line of the job file a node starts on.
[[nodiscard]] std::int64_t line_of(const toml::node& node);

// Typed access to one table of the job file, with messages that name the
// file, the line and the key. A table inside another carries the path of
// its keys ("mean_stress.", "outputs.del."), so that a message names
// "mean_stress.p", not "p".
class Fields {
 public:
  Fields(const toml::table& table, std::string file, std::string prefix = {})
      : table_(table), file_(std::move(file)), prefix_(std::move(prefix)) {}

  // The table at `key`, read by the same rules, its keys named after `key`.
  [[nodiscard]] Fields inner(const toml::table& table, std::string_view key) const {
    return Fields(table, file_, prefix_ + std::string(key) + ".");
  }

  // A key that is not in `known`: a misspelt key would otherwise be dropped.
  [[nodiscard]] std::optional<BatchError> unknown_key(std::initializer_list<std::string_view> known,
                                                      std::string_view table_name) const;

  [[nodiscard]] const toml::node* get(std::string_view key) const { return table_.get(key); }
  [[nodiscard]] const std::string& file() const { return file_; }
  [[nodiscard]] std::int64_t line() const { return line_of(table_); }

  // "FILE, line N, field 'KEY': what", on the key's line, or the table's
  // when the key is absent.
  [[nodiscard]] BatchError error(std::string_view key, const std::string& what) const;

  // A number (whole or real); `fallback` when absent, or an error when it is required.
  [[nodiscard]] Outcome<double> real(std::string_view key, std::optional<double> fallback) const;

  [[nodiscard]] Outcome<std::int32_t> whole(std::string_view key, std::int32_t fallback) const;

  // The number of blocks; a number outside 1 ... kMostBlocks runs with
  // kMostBlocks blocks and is noted in `warnings`.
  [[nodiscard]] Outcome<std::int32_t> blocks(std::int32_t fallback,
                                             std::vector<std::string>& warnings) const;

  // A note when the SCF `scf` counts as 1.0 (it is not above 1.0E-10).
  void note_tiny_scf(double scf, std::vector<std::string>& warnings) const;

  [[nodiscard]] Outcome<std::string> text(std::string_view key,
                                          std::optional<std::string> fallback) const;

 private:
  const toml::table& table_;
  std::string file_;
  std::string prefix_;
};

}  // namespace skaldur::batch
