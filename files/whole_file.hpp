#pragma once

#include <streambuf>
#include <string>
#include <string_view>
#include <vector>

namespace skaldur::files {

// Writes `text` as the whole new content of the file `path`, or leaves the
// file as it was: the bytes go to a temporary file beside it (after
// following links) that is renamed over it once complete, with the old
// file's permissions (a new file gets 0666 less the umask). A process killed
// meanwhile leaves the old file, or none, and at most a temporary file named
// ".NAME.XXXXXX" beside it. Devices, FIFOs, the files of standard output and
// error, and existing files whose folder takes no new file are written in
// place. Returns 0 or the error number of the first failure.
[[nodiscard]] int write_whole(const std::string& path, std::string_view text);

// The stream buffer behind write_whole and every output unit. Nothing
// happens to the file before begin() or the first bytes written, so that
// opening a file for output never empties it by itself. A regular file is
// then written as write_whole tells; without a name it is cut and written in
// place.
class WholeFileBuf : public std::streambuf {
 public:
  // `fd` is the file opened for writing (not owned), or -1 when the file
  // `name` does not exist yet: it is then made whole or not at all.
  WholeFileBuf(int fd, std::string_view name);
  ~WholeFileBuf() override;  // removes a temporary file never finished
  WholeFileBuf(const WholeFileBuf&) = delete;
  WholeFileBuf& operator=(const WholeFileBuf&) = delete;

  // Starts the new content even when no byte follows.
  void begin();

  // 0, or the error number of the first failed write.
  [[nodiscard]] int error() const { return error_; }

  // Writes what is buffered and puts a whole temporary file in place of the
  // file; after a failure the temporary file is removed and the old file
  // stays as it was. Returns 0 or the error number.
  int finish();

 protected:
  int_type overflow(int_type ch) override;
  int sync() override;

 private:
  bool drain();
  bool start();
  int open_temporary();

  int fd_;      // where the bytes go: the file or its temporary file
  int target_;  // the file, -1 when it does not exist yet
  bool regular_ = true;
  std::string path_;  // the file's name at the end of its links, "" to write in place
  int temp_fd_ = -1;
  std::string temp_path_;
  bool started_ = false;
  int error_ = 0;
  std::vector<char> buffer_;
};

}  // namespace skaldur::files
