#include "plot_command.h"

namespace cli {

bool PlotAvailable() { return false; }

int Plot(const PlotOptions&, std::ostream&, std::ostream& err) {
  err << "plot is not available: this vicinara-cli was built without the windows (VICINARA_GUI=OFF), "
         "whose charts it draws\n";
  return 2;
}

}  // namespace cli
