#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "textio/result.hpp"

namespace skaldur::batch {

// Exit statuses of skaldur-batch.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;    // a computation or write failure
inline constexpr int kExitBadInput = 2;  // job file, table, series or curve file
inline constexpr int kExitCheckFailed = 3;

// Why the batch cannot go on: the exit status and a one-line message that
// names the file, line and field concerned.
struct BatchError {
  int status = kExitBadInput;
  std::string message;
};

template <class T>
using Outcome = textio::Result<T, BatchError>;

[[nodiscard]] inline textio::Failure<BatchError> bad_input(std::string message) {
  return textio::fail(BatchError{kExitBadInput, std::move(message)});
}

// "FILE, line N, field 'F'": the place a message is about; line 0 and an
// empty field are left out.
[[nodiscard]] std::string place(std::string_view file, std::int64_t line,
                                std::string_view field = {});

}  // namespace skaldur::batch
