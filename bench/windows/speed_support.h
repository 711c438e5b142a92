#pragma once

#include <QString>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "ui/windows.h"

namespace bench {

// The program's windows over a world of a fixed seed, messages to stderr.
inline std::unique_ptr<ui::Windows> MeasuredWindows() {
  return std::make_unique<ui::Windows>(
      [](QWidget*, const QString&, const QString& text) { std::fprintf(stderr, "%s\n", qPrintable(text)); },
      [] { return std::uint64_t{7}; });
}

// Seconds per phase from the command line, 10 if not given.
inline int PhaseSeconds(int argc, char** argv) { return argc > 1 ? std::atoi(argv[1]) : 10; }

}  // namespace bench
