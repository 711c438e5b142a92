#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace cli {

struct MergeOptions {
  std::vector<std::string> Inputs;  // the folders of the shards of one run
  std::string Out;
};

// Joins the outputs of all shards of one run into the files a single run
// would have written, byte for byte. Returns 0, or 2 with a message when the
// folders are not the complete shards of one run or out already holds a run
// (nothing is then left in out).
int Merge(const MergeOptions& options, std::ostream& err);

}  // namespace cli
