#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace exporting {

// One worksheet of a legacy spreadsheet: a header row of texts, then rows of
// numbers, where an absent or non-finite number is an empty cell.
struct XlsTable {
  std::vector<std::string> Header;                      // UTF-8 texts
  std::vector<std::vector<std::optional<double>>> Rows;  // each at most Header.size() long
};

// A worksheet holds at most 65536 rows and 256 columns.
inline constexpr std::size_t kXlsMaxRows = 65536;
inline constexpr std::size_t kXlsMaxColumns = 256;
// Header texts longer than this are cut (in UTF-16 units).
inline constexpr std::size_t kXlsMaxTextLength = 4000;

// The BIFF8 "Workbook" stream of a workbook with the one worksheet "Sheet1".
// Throws std::length_error when the table has more rows or columns than a
// worksheet holds.
std::vector<std::uint8_t> EncodeWorkbookStream(const XlsTable& table);

// The whole .xls file: the workbook stream inside an OLE2 compound file.
// Throws std::length_error as above, std::runtime_error if the container
// cannot be built.
std::vector<std::uint8_t> EncodeXls(const XlsTable& table);

// Writes the .xls file, replacing a file of that name. Throws
// world::UserError "Datei "%s" kann nicht erstellt werden. %s" (also for a
// table too large for a worksheet); no partial file is left behind.
void WriteXlsFile(const XlsTable& table, const std::string& path);

}  // namespace exporting
