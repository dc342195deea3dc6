// The summary's columns in temporary files (files/campaign_store.h).
#include <cerrno>
#include <cstdio>

#include "ascent/campaign_store.h"

namespace ascent {

namespace {

constexpr const char* what = "a temporary file for the summary";

class TemporaryFileSpill final : public ValueSpill {
 public:
  explicit TemporaryFileSpill(std::size_t columns) : files_(columns, nullptr), counts_(columns) {
    try {
      for (std::FILE*& file : files_) {
        file = std::tmpfile();
        if (file == nullptr) throwSystemError(errno, "cannot create", what);
      }
    } catch (...) {
      close();
      throw;
    }
  }
  ~TemporaryFileSpill() override { close(); }
  TemporaryFileSpill(const TemporaryFileSpill&) = delete;
  TemporaryFileSpill& operator=(const TemporaryFileSpill&) = delete;

  void append(std::size_t column, std::span<const double> values) override {
    if (std::fwrite(values.data(), sizeof(double), values.size(), files_.at(column)) !=
        values.size()) {
      throwSystemError(errno, "cannot write", what);
    }
    counts_[column] += values.size();
  }

  std::vector<double> read(std::size_t column) override {
    std::FILE* file = files_.at(column);
    std::vector<double> values(counts_[column]);
    if (std::fflush(file) != 0 || std::fseek(file, 0, SEEK_SET) != 0 ||
        std::fread(values.data(), sizeof(double), values.size(), file) != values.size() ||
        std::fseek(file, 0, SEEK_END) != 0) {
      throwSystemError(errno, "cannot read", what);
    }
    return values;
  }

 private:
  void close() {
    for (std::FILE*& file : files_) {
      if (file != nullptr) std::fclose(file);
      file = nullptr;
    }
  }
  std::vector<std::FILE*> files_;
  std::vector<std::size_t> counts_;
};

}  // namespace

std::unique_ptr<ValueSpill> temporaryFileSpill(std::size_t columns) {
  return std::make_unique<TemporaryFileSpill>(columns);
}

}  // namespace ascent
