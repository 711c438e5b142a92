#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/experiment_units.h"
#include "experiments/experiment.h"

namespace cli {

// The files of an experiment's output folder.
struct OutputFolder {
  std::filesystem::path Dir;

  std::filesystem::path Manifest() const { return Dir / "run.json"; }  // what was run: experiment, settings, seed
  std::filesystem::path Journal() const { return Dir / "journal"; }    // rows of finished units, while running
  std::filesystem::path Runs() const { return Dir / "runs.csv"; }
  std::filesystem::path Steps() const { return Dir / "steps.csv"; }
  std::filesystem::path Rises() const { return Dir / "rises.csv"; }
  std::filesystem::path Summary() const { return Dir / "summary.json"; }
  std::filesystem::path Surface() const { return Dir / "surface.xls"; }
  // True when any file of a run is there.
  bool HoldsRun() const;
};

// The rows of one table, read line by line, fields split at commas.
class TableReader {
 public:
  // Opens the table and checks its header line. Throws world::UserError
  // (missing or empty) or UsageError (other columns).
  TableReader(const std::filesystem::path& path, const std::string& header);

  // The next row; false at the end.
  bool Next();
  // The field as a whole number; throws UsageError.
  long long Integer(std::size_t i) const;
  // The field as a number, nothing when it is empty; throws UsageError.
  std::optional<double> Number(std::size_t i) const;
  // The field as it reads: none when empty, a whole number where it is one,
  // else a real; throws UsageError.
  experiments::TableValue Value(std::size_t i) const;
  // The fields of the row.
  std::size_t Size() const { return fields_.size(); }

 private:
  std::string_view FieldAt(std::size_t i) const;
  [[noreturn]] void Bad(std::size_t i) const;

  std::string name_;
  std::ifstream in_;
  std::string line_;
  std::vector<std::string_view> fields_;
};

// Writes text to path through a temporary file renamed into place: path
// never holds an incomplete file. Throws world::UserError "Datei ... kann nicht
// erstellt werden. ...".
void WriteTextFile(const std::filesystem::path& path, const std::string& text);
// Throws world::UserError "Datei ... kann nicht geöffnet werden. ...".
std::string ReadTextFile(const std::filesystem::path& path);

// The rows of finished units, appended unit by unit while a run goes on.
// Each unit's rows go out in one write as one block that ends in a line
// naming the unit, so a block cut off by a crash is recognised and dropped.
class Journal {
 public:
  // Opens path for appending, creating it, and holds it for this run alone.
  // Throws world::UserError, or UsageError when another run holds it.
  explicit Journal(const std::filesystem::path& path);
  ~Journal();
  Journal(const Journal&) = delete;
  Journal& operator=(const Journal&) = delete;

  // Not synchronised: the caller holds its lock. Throws world::UserError.
  void Append(long long unit, const UnitRows& rows);

 private:
  std::string path_;
  int fd_ = -1;
};

// Where each complete unit's block lies in a journal.
struct JournalBlock {
  std::uint64_t Offset = 0;
  std::uint64_t Length = 0;
};
using JournalIndex = std::map<long long, JournalBlock>;

// Reads a journal and cuts off the file after its last complete block (a
// block the run was writing when it was killed). A missing file is empty.
JournalIndex ScanJournal(const std::filesystem::path& path);

// Writes the folder's tables from the journal's blocks in unit order, each
// file whole or not at all. Throws world::UserError.
void CollectJournal(const OutputFolder& folder, const JournalIndex& index, const TableHeaders& headers);

// Joins the tables of several folders, each sorted by calculation and none
// sharing a calculation, into out's tables sorted by calculation; returns
// the number of rows of runs.csv. Throws world::UserError (a file that
// cannot be read or written) or UsageError (headers that differ, a
// calculation in two folders).
long long MergeTables(const std::vector<OutputFolder>& inputs, const OutputFolder& out, const TableHeaders& headers);

}  // namespace cli
