#include "export/xls.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "world/convert.h"
#include "export_support.h"

namespace exporting {
namespace {

using test_support::Entries;
using test_support::ReadWithXlrd;
using test_support::TempFolder;
using test_support::UserErrorText;

struct Record {
  std::uint16_t Type;
  std::size_t Offset;
  std::size_t Length;
};

std::vector<Record> Records(const std::vector<std::uint8_t>& stream) {
  std::vector<Record> records;
  for (std::size_t at = 0; at + 4 <= stream.size();) {
    const auto type = static_cast<std::uint16_t>(stream[at] | stream[at + 1] << 8);
    const std::size_t length = stream[at + 2] | stream[at + 3] << 8;
    records.push_back({type, at, length});
    at += 4 + length;
  }
  return records;
}

TEST(Xls, XlrdReadsHeaderNumbersAndEmptyCells) {
  TempFolder temp;
  XlsTable table;
  table.Header = {"X", "Y", "Z"};
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  table.Rows = {
      {1.0, 0.25, 30.0},
      {std::nullopt, std::nullopt, std::nullopt},
      {-2.5, 1e-300, 123456789.125},
      {nan, inf, 0.0},
  };
  const std::string path = temp.File("surface.xls");
  WriteXlsFile(table, path);
  EXPECT_EQ(ReadWithXlrd(temp, path),
            "sheets 1\n"
            "sheet Sheet1 5 3\n"
            "0 0 text X\n0 1 text Y\n0 2 text Z\n"
            "1 0 number 1.0\n1 1 number 0.25\n1 2 number 30.0\n"
            "2 0 empty\n2 1 empty\n2 2 empty\n"
            "3 0 number -2.5\n3 1 number 1e-300\n3 2 number 123456789.125\n"
            "4 0 empty\n4 1 empty\n4 2 number 0.0\n");
}

TEST(Xls, HeaderOnlyTableIsOneRow) {
  TempFolder temp;
  XlsTable table;
  table.Header = {"X", "Y", "Z"};
  const std::string path = temp.File("empty.xls");
  WriteXlsFile(table, path);
  EXPECT_EQ(ReadWithXlrd(temp, path), "sheets 1\nsheet Sheet1 1 3\n0 0 text X\n0 1 text Y\n0 2 text Z\n");
}

TEST(Xls, LongAndNonLatinTextsSpillIntoContinueRecordsIntact) {
  TempFolder temp;
  XlsTable table;
  std::string expected;
  for (int c = 0; c < 200; ++c) {
    // Every third text needs two bytes per character; together they pass
    // one record's limit several times.
    const std::string text = (c % 3 == 0 ? std::string("\xE2\x82\xAC") : std::string("\xC3\xBC")) +
                             std::string(150, static_cast<char>('a' + c % 26));
    table.Header.push_back(text);
    expected += "0 " + std::to_string(c) + " text " + (c % 3 == 0 ? "\\u20ac" : "\\xfc") +
                std::string(150, static_cast<char>('a' + c % 26)) + "\n";
  }
  const std::vector<std::uint8_t> stream = EncodeWorkbookStream(table);
  int continues = 0;
  for (const Record& r : Records(stream)) {
    EXPECT_LE(r.Length, 8224u);
    if (r.Type == 0x003C) ++continues;
  }
  EXPECT_GE(continues, 2);

  const std::string path = temp.File("texts.xls");
  WriteXlsFile(table, path);
  EXPECT_EQ(ReadWithXlrd(temp, path), "sheets 1\nsheet Sheet1 1 200\n" + expected);
}

TEST(Xls, InvalidUtf8BecomesReplacementCharacters) {
  TempFolder temp;
  XlsTable table;
  table.Header = {"a\xFF" "b", "\xC3", "\xF0\x9F\x98\x80"};
  const std::string path = temp.File("utf8.xls");
  WriteXlsFile(table, path);
  EXPECT_EQ(ReadWithXlrd(temp, path),
            "sheets 1\nsheet Sheet1 1 3\n0 0 text a\\ufffdb\n0 1 text \\ufffd\n0 2 text \\U0001f600\n");
}

TEST(Xls, FullWorksheetIsAcceptedOneRowMoreIsRefused) {
  XlsTable table;
  table.Header = {"X", "Y", "Z"};
  table.Rows.assign(65535, {1.0, 2.0, 3.0});
  EXPECT_NO_THROW(EncodeWorkbookStream(table));

  table.Rows.push_back({1.0, 2.0, 3.0});
  TempFolder temp;
  const std::string path = temp.File("big.xls");
  EXPECT_EQ(UserErrorText([&] { WriteXlsFile(table, path); }),
            "Datei \"" + path + "\" kann nicht erstellt werden. more than 65536 rows for one worksheet");
  EXPECT_TRUE(Entries(temp.Path()).empty());
}

// The workbook stream read back from the compound file by following its
// tables from the header, as a reader does: the extra table sectors, the
// table, the directory's "Workbook" entry and its chain of sectors.
std::vector<std::uint8_t> StreamInCompoundFile(const std::vector<std::uint8_t>& file) {
  auto u32 = [&file](std::size_t at) {
    return static_cast<std::uint32_t>(file.at(at) | file.at(at + 1) << 8 | file.at(at + 2) << 16 |
                                      static_cast<std::uint32_t>(file.at(at + 3)) << 24);
  };
  auto sector = [](std::uint32_t n) { return 512 + 512 * static_cast<std::size_t>(n); };
  EXPECT_EQ(u32(0), 0xE011CFD0u);
  std::vector<std::uint32_t> tableSectors;
  for (std::size_t i = 0; i < 109 && i < u32(44); ++i) tableSectors.push_back(u32(76 + 4 * i));
  for (std::uint32_t next = u32(68), left = u32(72); left > 0; --left) {
    for (std::size_t i = 0; i < 127 && tableSectors.size() < u32(44); ++i) {
      tableSectors.push_back(u32(sector(next) + 4 * i));
    }
    next = u32(sector(next) + 508);
  }
  EXPECT_EQ(tableSectors.size(), u32(44));
  std::vector<std::uint32_t> table;
  for (std::uint32_t s : tableSectors) {
    for (std::size_t i = 0; i < 128; ++i) table.push_back(u32(sector(s) + 4 * i));
  }
  const std::size_t entry = sector(u32(48)) + 128;  // the root comes first
  EXPECT_EQ(file.at(entry), 'W');
  std::vector<std::uint8_t> stream;
  for (std::uint32_t s = u32(entry + 116); s != 0xFFFFFFFEu; s = table.at(s)) {
    stream.insert(stream.end(), file.begin() + static_cast<std::ptrdiff_t>(sector(s)),
                  file.begin() + static_cast<std::ptrdiff_t>(sector(s) + 512));
  }
  EXPECT_EQ(stream.size(), u32(entry + 120));
  return stream;
}

// Small streams are padded past the mini stream's limit; more than 7 MB of
// sectors need table sectors beyond the 109 the header lists.
TEST(Xls, CompoundFileHoldsTheStreamWhateverItsSize) {
  for (std::size_t rows : {std::size_t{0}, std::size_t{1000}, std::size_t{65535}}) {
    XlsTable table;
    table.Header = {"A", "B", "C", "D", "E", "F", "G"};
    table.Rows.assign(rows, {1.0, 2.0, 3.0, 4.0, 5.0, 6.0, 7.0});
    const std::vector<std::uint8_t> stream = EncodeWorkbookStream(table);
    const std::vector<std::uint8_t> file = EncodeXls(table);
    std::vector<std::uint8_t> back = StreamInCompoundFile(file);
    ASSERT_GE(back.size(), std::max<std::size_t>(stream.size(), 4096)) << rows;
    EXPECT_TRUE(std::all_of(back.begin() + static_cast<std::ptrdiff_t>(stream.size()), back.end(),
                            [](std::uint8_t b) { return b == 0; }));
    back.resize(stream.size());
    EXPECT_EQ(back, stream) << rows;
  }
  // The largest, as xlrd reads it: the last cell of the last row.
  TempFolder temp;
  XlsTable table;
  table.Header = {"A", "B", "C", "D", "E", "F", "G"};
  table.Rows.assign(65535, {1.0, 2.0, 3.0, 4.0, 5.0, 6.0, 7.0});
  table.Rows.back()[6] = 42.5;
  const std::string path = temp.File("large.xls");
  WriteXlsFile(table, path);
  ASSERT_GT(std::filesystem::file_size(path), 109u * 128 * 512);
  const std::string script = temp.File("last.py");
  std::ofstream(script) << "import sys, xlrd\nprint(xlrd.open_workbook(sys.argv[1]).sheet_by_index(0).cell_value(65535, 6))\n";
  const std::string out = temp.File("out.txt");
  ASSERT_EQ(std::system(("/usr/bin/python3 " + script + " " + path + " > " + out).c_str()), 0);
  std::ifstream in(out);
  std::string value;
  in >> value;
  EXPECT_EQ(value, "42.5");
}

}  // namespace
}  // namespace exporting
