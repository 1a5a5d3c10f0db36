#include "files/unit_table.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <exception>
#include <iostream>
#include <ostream>

#include "files/opening.hpp"
#include "files/whole_file.hpp"

namespace skaldur::files {
namespace {

FileIdentity identity_of(const struct stat& info) {
  return FileIdentity{static_cast<std::uint64_t>(info.st_dev),
                      static_cast<std::uint64_t>(info.st_ino)};
}

}  // namespace

struct UnitTable::Connection {
  int fd = -1;
  std::string name;
  OpenSettings settings;
  FileIdentity identity;
  std::unique_ptr<WholeFileBuf> buffer;
  std::unique_ptr<std::ostream> stream;
};

UnitTable::UnitTable(std::istream& console_in, std::ostream& console_out)
    : console_in_(&console_in), console_out_(&console_out) {
  struct stat info {};
  if (console_in.rdbuf() == std::cin.rdbuf() && ::fstat(STDIN_FILENO, &info) == 0 &&
      S_ISREG(info.st_mode))
    console_input_file_ = identity_of(info);
}

UnitTable::~UnitTable() {
  const bool unwinding = std::uncaught_exceptions() > 0;
  for (int unit = 1; unit < static_cast<int>(units_.size()); ++unit) {
    auto& c = units_[static_cast<std::size_t>(unit)];
    if (!unwinding || !c) {
      close(unit);
    } else {
      ::close(c->fd);
      c.reset();  // removes a temporary file
    }
  }
}

bool UnitTable::is_connected(int unit) const {
  if (unit == kConsoleIn || unit == kConsoleOut) return true;
  return unit > 0 && unit < static_cast<int>(units_.size()) &&
         units_[static_cast<std::size_t>(unit)] != nullptr;
}

std::ostream* UnitTable::output(int unit) {
  if (unit <= 0 || unit >= static_cast<int>(units_.size())) return nullptr;
  if (const auto& c = units_[static_cast<std::size_t>(unit)]) return c->stream.get();
  return unit == kConsoleOut ? console_out_ : nullptr;
}

std::istream* UnitTable::console_input(int unit) {
  if (unit == kConsoleIn && !units_[static_cast<std::size_t>(kConsoleIn)]) return console_in_;
  return nullptr;
}

int UnitTable::descriptor(int unit) const {
  if (unit <= 0 || unit >= static_cast<int>(units_.size())) return -1;
  const auto& c = units_[static_cast<std::size_t>(unit)];
  return c ? c->fd : -1;
}

std::optional<FileIdentity> UnitTable::identity(int unit) const {
  if (unit <= 0 || unit >= static_cast<int>(units_.size())) return std::nullopt;
  const auto& c = units_[static_cast<std::size_t>(unit)];
  if (!c) return std::nullopt;
  return c->identity;
}

std::string_view UnitTable::name(int unit) const {
  if (unit <= 0 || unit >= static_cast<int>(units_.size())) return {};
  const auto& c = units_[static_cast<std::size_t>(unit)];
  return c ? std::string_view(c->name) : std::string_view();
}

int UnitTable::close(int unit) {
  if (unit <= 0 || unit >= static_cast<int>(units_.size())) return 0;
  auto& c = units_[static_cast<std::size_t>(unit)];
  if (!c) {
    if (unit == kConsoleOut) console_out_->flush();
    return 0;
  }
  int error = 0;
  if (c->stream) {
    c->stream->flush();
    error = c->buffer->finish();
  }
  if (::close(c->fd) != 0 && error == 0 && c->stream && errno != EINTR) error = errno;
  if (error != 0 && std::none_of(write_failures_.begin(), write_failures_.end(),
                                 [&](const WriteFailure& f) { return f.name == c->name; }))
    write_failures_.push_back(WriteFailure{c->name, error});
  c.reset();
  return -error;
}

void UnitTable::connect(int unit, int fd, std::string_view name, const OpenSettings& settings,
                        bool writable) {
  auto c = std::make_unique<Connection>();
  c->fd = fd;
  c->name.assign(name);
  c->settings = settings;
  struct stat info {};
  if (::fstat(fd, &info) == 0) c->identity = identity_of(info);
  if (writable) {
    c->buffer = std::make_unique<WholeFileBuf>(fd, name);
    c->stream = std::make_unique<std::ostream>(c->buffer.get());
  }
  units_[static_cast<std::size_t>(unit)] = std::move(c);
}

int UnitTable::input_conflict(int unit) const {
  const auto opened = identity(unit);
  if (!opened) return 0;
  if (console_input_file_ == opened) return kConsoleInputFile;
  for (int other = 1; other < static_cast<int>(units_.size()); ++other) {
    const auto& c = units_[static_cast<std::size_t>(other)];
    if (other != unit && c && !c->stream && c->identity == *opened) return kReadByRun;
  }
  return 0;
}

}  // namespace skaldur::files
