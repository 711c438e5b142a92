#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace experiments {

// The texts of an experiment chart, as data: the window only shows them.
struct ChartLabels {
  std::vector<std::string> Title;  // one entry per title line
  std::string BottomAxisTitle;
  std::string LeftAxisTitle;
  std::string RightAxisTitle;
  std::string DepthAxisTitle;  // 3-D charts only
  // Grows whenever the titles or the list of series change: the view rebuilds.
  std::uint64_t Revision = 0;
  // Grows whenever the chart asks its view to undo any zoom.
  std::uint64_t ZoomResets = 0;

  void SetTitle(std::string line) {
    Title = {std::move(line)};
    ++Revision;
  }
  void UndoZoom() { ++ZoomResets; }
};

}  // namespace experiments
