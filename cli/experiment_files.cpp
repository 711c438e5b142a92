#include "experiment_files.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <fstream>
#include <optional>
#include <queue>

#include "export/file_output.h"

namespace cli {

namespace fs = std::filesystem;

namespace {

// A table written to a temporary file beside its place and renamed onto it
// by Commit; dropped when it is not committed.
class TableFile {
 public:
  TableFile(fs::path path, const std::string& header) : path_(std::move(path)), temp_(path_.string() + ".tmp") {
    out_.open(temp_, std::ios::out | std::ios::trunc | std::ios::binary);
    if (!out_) throw exporting::CannotCreateFile(path_.string(), std::strerror(errno));
    out_ << header << '\n';
  }
  ~TableFile() {
    if (!committed_) {
      std::error_code ignored;
      fs::remove(temp_, ignored);
    }
  }
  TableFile(const TableFile&) = delete;
  TableFile& operator=(const TableFile&) = delete;

  void Write(std::string_view text) { out_.write(text.data(), static_cast<std::streamsize>(text.size())); }
  void Commit() {
    out_.close();
    if (!out_) throw exporting::CannotCreateFile(path_.string(), "write failed");
    std::error_code error;
    fs::rename(temp_, path_, error);
    if (error) throw exporting::CannotCreateFile(path_.string(), error.message());
    committed_ = true;
  }

 private:
  fs::path path_;
  fs::path temp_;
  std::ofstream out_;
  bool committed_ = false;
};

std::optional<long long> ParseInteger(std::string_view text) {
  long long value = 0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  if (result.ec != std::errc() || result.ptr != text.data() + text.size()) return std::nullopt;
  return value;
}

// The field at `column` of a CSV line without quoting.
std::string_view Field(std::string_view line, std::size_t column) {
  for (std::size_t i = 0; i < column; ++i) {
    const auto comma = line.find(',');
    if (comma == std::string_view::npos) return {};
    line.remove_prefix(comma + 1);
  }
  return line.substr(0, line.find(','));
}

std::size_t ColumnOf(const std::string& header, std::string_view name) {
  std::size_t column = 0;
  std::string_view rest = header;
  while (true) {
    const auto comma = rest.find(',');
    if (rest.substr(0, comma) == name) return column;
    if (comma == std::string_view::npos) return 0;
    rest.remove_prefix(comma + 1);
    ++column;
  }
}

void AppendPrefixed(std::string& block, char tag, const std::string& lines) {
  std::size_t start = 0;
  while (start < lines.size()) {
    const auto end = lines.find('\n', start);
    const std::size_t stop = end == std::string::npos ? lines.size() : end;
    block += tag;
    block += ' ';
    block.append(lines, start, stop - start);
    block += '\n';
    start = stop + 1;
  }
}

// One folder's table while merging: its current line and calculation.
struct MergeInput {
  std::ifstream In;
  std::string Line;
  long long Calculation = 0;
  std::string Name;
};

bool Advance(MergeInput& input, std::size_t column) {
  if (!std::getline(input.In, input.Line) || input.Line.empty()) return false;
  const auto k = ParseInteger(Field(input.Line, column));
  if (!k) throw UsageError(input.Name + ": a row without a calculation number: " + input.Line);
  if (*k < input.Calculation) throw UsageError(input.Name + ": the rows are not in calculation order");
  input.Calculation = *k;
  return true;
}

long long MergeTable(const std::vector<fs::path>& paths, const fs::path& out, const std::string& header) {
  const std::size_t column = ColumnOf(header, "calculation");
  std::vector<MergeInput> inputs(paths.size());
  using Entry = std::pair<long long, std::size_t>;
  std::priority_queue<Entry, std::vector<Entry>, std::greater<>> next;
  for (std::size_t i = 0; i < paths.size(); ++i) {
    MergeInput& input = inputs[i];
    input.Name = paths[i].string();
    input.In.open(paths[i], std::ios::binary);
    std::string first;
    if (!input.In || !std::getline(input.In, first)) {
      throw exporting::CannotOpenFile(input.Name, input.In ? "empty file" : std::strerror(errno));
    }
    if (first != header) throw UsageError(input.Name + ": the columns differ from this experiment's: " + first);
    input.Calculation = -1;
    if (Advance(input, column)) next.push({input.Calculation, i});
  }
  TableFile file(out, header);
  long long rows = 0;
  std::optional<Entry> last;
  while (!next.empty()) {
    const auto [k, i] = next.top();
    next.pop();
    if (last && last->first == k && last->second != i) {
      throw UsageError("calculation " + std::to_string(k) + " is in two folders: " + inputs[last->second].Name +
                       " and " + inputs[i].Name);
    }
    last = Entry{k, i};
    MergeInput& input = inputs[i];
    // The rows of one calculation stay together.
    do {
      file.Write(input.Line);
      file.Write("\n");
      ++rows;
      if (!Advance(input, column)) break;
    } while (input.Calculation == k);
    if (input.In && !input.Line.empty() && input.Calculation != k) next.push({input.Calculation, i});
  }
  file.Commit();
  return rows;
}

}  // namespace

TableReader::TableReader(const std::filesystem::path& path, const std::string& header)
    : name_(path.string()), in_(path) {
  std::string first;
  if (!in_ || !std::getline(in_, first)) throw exporting::CannotOpenFile(name_, "missing or empty");
  if (first != header) throw UsageError(name_ + ": the columns differ from this experiment's: " + first);
}

bool TableReader::Next() {
  if (!std::getline(in_, line_) || line_.empty()) return false;
  fields_.clear();
  std::string_view rest = line_;
  while (true) {
    const auto comma = rest.find(',');
    fields_.push_back(rest.substr(0, comma));
    if (comma == std::string_view::npos) break;
    rest.remove_prefix(comma + 1);
  }
  return true;
}

long long TableReader::Integer(std::size_t i) const {
  long long v = 0;
  const std::string_view f = FieldAt(i);
  const auto r = std::from_chars(f.data(), f.data() + f.size(), v);
  if (r.ec != std::errc() || r.ptr != f.data() + f.size()) Bad(i);
  return v;
}

std::optional<double> TableReader::Number(std::size_t i) const {
  const std::string_view f = FieldAt(i);
  if (f.empty()) return std::nullopt;
  double v = 0;
  const auto r = std::from_chars(f.data(), f.data() + f.size(), v);
  if (r.ec != std::errc() || r.ptr != f.data() + f.size()) Bad(i);
  return v;
}

experiments::TableValue TableReader::Value(std::size_t i) const {
  const std::string_view f = FieldAt(i);
  if (f.empty()) return std::monostate();
  long long n = 0;
  const auto r = std::from_chars(f.data(), f.data() + f.size(), n);
  if (r.ec == std::errc() && r.ptr == f.data() + f.size()) return n;
  return *Number(i);
}

std::string_view TableReader::FieldAt(std::size_t i) const {
  if (i >= fields_.size()) Bad(i);
  return fields_[i];
}

void TableReader::Bad(std::size_t i) const {
  throw UsageError(name_ + ": field " + std::to_string(i + 1) + " does not read as a number: " + line_);
}


bool OutputFolder::HoldsRun() const {
  for (const fs::path& p : {Manifest(), Journal(), Runs(), Steps(), Rises(), Summary(), Surface()}) {
    std::error_code ignored;
    if (fs::exists(p, ignored)) return true;
  }
  return false;
}

void WriteTextFile(const fs::path& path, const std::string& text) {
  exporting::WriteFileReplacing(path.string(),
                                std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

std::string ReadTextFile(const fs::path& path) {
  const auto bytes = exporting::ReadWholeFile(path.string());
  return std::string(bytes.begin(), bytes.end());
}

Journal::Journal(const fs::path& path) : path_(path.string()) {
  fd_ = ::open(path_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd_ < 0) throw exporting::CannotCreateFile(path_, std::strerror(errno));
  // Two runs appending to one journal would mix their units.
  if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd_);
    fd_ = -1;
    throw UsageError(path_ + " is being written by another run of this folder");
  }
}

Journal::~Journal() {
  if (fd_ >= 0) ::close(fd_);
}

void Journal::Append(long long unit, const UnitRows& rows) {
  std::string block;
  block.reserve(rows.Runs.size() + rows.Steps.size() + rows.Rises.size() + 64);
  AppendPrefixed(block, 'r', rows.Runs);
  AppendPrefixed(block, 's', rows.Steps);
  AppendPrefixed(block, 'p', rows.Rises);
  block += "e " + std::to_string(unit) + "\n";
  std::size_t done = 0;
  while (done < block.size()) {
    const ssize_t n = ::write(fd_, block.data() + done, block.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw exporting::CannotCreateFile(path_, std::strerror(errno));
    }
    done += static_cast<std::size_t>(n);
  }
}

JournalIndex ScanJournal(const fs::path& path) {
  JournalIndex index;
  std::ifstream in(path, std::ios::binary);
  if (!in) return index;
  std::uint64_t offset = 0;
  std::uint64_t blockStart = 0;
  std::string line;
  while (std::getline(in, line)) {
    if (in.eof()) break;  // a last line without its end was cut off
    const std::uint64_t next = offset + line.size() + 1;
    if (line.size() < 2 || line[1] != ' ') break;
    const char tag = line[0];
    if (tag == 'e') {
      const auto unit = ParseInteger(std::string_view(line).substr(2));
      if (!unit) break;
      index.emplace(*unit, JournalBlock{blockStart, next - blockStart});
      blockStart = next;
    } else if (tag != 'r' && tag != 's' && tag != 'p') {
      break;
    }
    offset = next;
  }
  in.close();
  std::error_code error;
  if (fs::file_size(path, error) > blockStart && !error) fs::resize_file(path, blockStart, error);
  if (error) throw exporting::CannotCreateFile(path.string(), error.message());
  return index;
}

void CollectJournal(const OutputFolder& folder, const JournalIndex& index, const TableHeaders& headers) {
  std::ifstream in(folder.Journal(), std::ios::binary);
  if (!in && !index.empty()) throw exporting::CannotOpenFile(folder.Journal().string(), std::strerror(errno));
  std::optional<TableFile> runs;
  std::optional<TableFile> steps;
  std::optional<TableFile> rises;
  runs.emplace(folder.Runs(), headers.Runs);
  if (!headers.Steps.empty()) steps.emplace(folder.Steps(), headers.Steps);
  if (!headers.Rises.empty()) rises.emplace(folder.Rises(), headers.Rises);
  std::string block;
  for (const auto& [unit, where] : index) {
    block.resize(where.Length);
    in.seekg(static_cast<std::streamoff>(where.Offset));
    if (!in.read(block.data(), static_cast<std::streamsize>(where.Length))) {
      throw exporting::CannotOpenFile(folder.Journal().string(), "the journal ends early");
    }
    std::string_view rest = block;
    while (!rest.empty()) {
      const auto end = rest.find('\n');
      const std::string_view line = rest.substr(0, end + 1);
      rest.remove_prefix(line.size());
      TableFile* table = line[0] == 'r' ? &*runs : line[0] == 's' && steps ? &*steps : line[0] == 'p' && rises ? &*rises : nullptr;
      if (table) table->Write(line.substr(2));
    }
  }
  runs->Commit();
  if (steps) steps->Commit();
  if (rises) rises->Commit();
}

long long MergeTables(const std::vector<OutputFolder>& inputs, const OutputFolder& out, const TableHeaders& headers) {
  auto paths = [&inputs](fs::path (OutputFolder::*file)() const) {
    std::vector<fs::path> list;
    for (const OutputFolder& f : inputs) list.push_back((f.*file)());
    return list;
  };
  const long long rows = MergeTable(paths(&OutputFolder::Runs), out.Runs(), headers.Runs);
  if (!headers.Steps.empty()) MergeTable(paths(&OutputFolder::Steps), out.Steps(), headers.Steps);
  if (!headers.Rises.empty()) MergeTable(paths(&OutputFolder::Rises), out.Rises(), headers.Rises);
  return rows;
}

}  // namespace cli
