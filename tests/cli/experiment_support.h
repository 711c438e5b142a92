#pragma once

#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/experiment_command.h"
#include "cli/merge_command.h"

namespace test_support {

// A small world every experiment test runs on: 41 x 41 cells, 800 agents,
// the global threshold.
inline std::vector<std::string> SmallWorldSettings() {
  return {"Edit_cellSiz=17", "Edit_anzAg=800", "cb_individTol=0"};
}

// A folder of its own for each test, emptied before and after. The process
// id keeps test runs of other checkouts on the same machine out of it.
class Scratch {
 public:
  explicit Scratch(const std::string& name)
      : dir_(std::filesystem::temp_directory_path() /
             ("vicinara-experiment-" + name + "-" + std::to_string(::getpid()))) {
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  ~Scratch() { std::filesystem::remove_all(dir_); }
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;

  std::string operator/(const std::string& name) const { return (dir_ / name).string(); }

 private:
  std::filesystem::path dir_;
};

struct Outcome {
  int Status = 0;
  std::string Err;
};

inline Outcome Experiment(cli::ExperimentOptions options, int stopSignal = 0) {
  std::ostringstream err;
  const std::atomic<int> stop{stopSignal};
  const int status = cli::RunExperiment(options, err, stop);
  return {status, err.str()};
}

inline Outcome MergeFolders(const std::vector<std::string>& inputs, const std::string& out) {
  std::ostringstream err;
  const int status = cli::Merge({inputs, out}, err);
  return {status, err.str()};
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Every file of a folder by name, with its bytes.
inline std::vector<std::pair<std::string, std::string>> FolderContents(const std::string& dir) {
  std::vector<std::pair<std::string, std::string>> files;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    files.emplace_back(entry.path().filename().string(), ReadFile(entry.path().string()));
  }
  std::sort(files.begin(), files.end());
  return files;
}

inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

inline std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  std::stringstream in(line);
  for (std::string field; std::getline(in, field, ',');) fields.push_back(field);
  if (!line.empty() && line.back() == ',') fields.emplace_back();
  return fields;
}

}  // namespace test_support
