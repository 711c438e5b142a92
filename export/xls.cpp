#include "export/xls.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <stdexcept>
#include <string>

#include "export/file_output.h"

namespace exporting {

namespace {

// Record types of the BIFF8 workbook stream.
constexpr std::uint16_t kBof = 0x0809;
constexpr std::uint16_t kEof = 0x000A;
constexpr std::uint16_t kCodepage = 0x0042;
constexpr std::uint16_t kWindow1 = 0x003D;
constexpr std::uint16_t kFont = 0x0031;
constexpr std::uint16_t kXf = 0x00E0;
constexpr std::uint16_t kStyle = 0x0293;
constexpr std::uint16_t kBoundSheet = 0x0085;
constexpr std::uint16_t kSst = 0x00FC;
constexpr std::uint16_t kContinue = 0x003C;
constexpr std::uint16_t kDimensions = 0x0200;
constexpr std::uint16_t kWindow2 = 0x023E;
constexpr std::uint16_t kLabelSst = 0x00FD;
constexpr std::uint16_t kNumber = 0x0203;

constexpr std::size_t kMaxRecordData = 8224;
// Fifteen style formats come first, as readers expect; cells use the 16th.
constexpr int kStyleXfCount = 15;
constexpr std::uint16_t kCellXf = kStyleXfCount;

class Bytes {
 public:
  Bytes& U8(std::uint32_t v) {
    data_.push_back(static_cast<std::uint8_t>(v));
    return *this;
  }
  Bytes& U16(std::uint32_t v) { return U8(v).U8(v >> 8); }
  Bytes& U32(std::uint32_t v) { return U16(v & 0xffff).U16(v >> 16); }
  Bytes& F64(double v) {
    const auto bits = std::bit_cast<std::uint64_t>(v);
    return U32(static_cast<std::uint32_t>(bits)).U32(static_cast<std::uint32_t>(bits >> 32));
  }
  Bytes& Append(const std::vector<std::uint8_t>& more) {
    data_.insert(data_.end(), more.begin(), more.end());
    return *this;
  }
  std::size_t Size() const { return data_.size(); }
  const std::vector<std::uint8_t>& Data() const { return data_; }
  std::vector<std::uint8_t>& Data() { return data_; }

 private:
  std::vector<std::uint8_t> data_;
};

class BiffStream {
 public:
  // Returns the stream offset of the record's data.
  std::size_t Record(std::uint16_t type, const Bytes& body) {
    if (body.Size() > kMaxRecordData) throw std::logic_error("BIFF record too long");
    out_.U16(type).U16(static_cast<std::uint32_t>(body.Size()));
    const std::size_t at = out_.Size();
    out_.Append(body.Data());
    return at;
  }
  std::size_t Size() const { return out_.Size(); }
  void Patch32(std::size_t at, std::uint32_t v) {
    auto& d = out_.Data();
    for (int i = 0; i < 4; ++i) d[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
  }
  std::vector<std::uint8_t> Take() { return std::move(out_.Data()); }

 private:
  Bytes out_;
};

// Text as Excel stores it: one byte per character when every UTF-16 unit
// fits in a byte ("compressed"), else UTF-16LE.
struct XlText {
  std::vector<std::uint16_t> Units;
  bool Wide() const {
    return std::any_of(Units.begin(), Units.end(), [](std::uint16_t u) { return u > 0xff; });
  }
  std::size_t StoredBytes() const { return Units.size() * (Wide() ? 2 : 1); }
  void AppendCharacters(Bytes& out) const {
    const bool wide = Wide();
    for (std::uint16_t u : Units) wide ? out.U16(u) : out.U8(u);
  }
};

// Decodes UTF-8; a byte that does not start a valid sequence becomes U+FFFD.
// Cuts after maxUnits UTF-16 units without splitting a surrogate pair.
XlText ToXlText(const std::string& utf8, std::size_t maxUnits) {
  XlText text;
  const auto* s = reinterpret_cast<const unsigned char*>(utf8.data());
  const std::size_t n = utf8.size();
  std::size_t i = 0;
  while (i < n) {
    std::uint32_t cp = 0xFFFD;
    std::size_t len = 1;
    const unsigned char c = s[i];
    if (c < 0x80) {
      cp = c;
    } else {
      const std::size_t need = c >= 0xF0 && c < 0xF5 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 && c < 0xE0 ? 2 : 0;
      if (need > 0 && i + need <= n) {
        std::uint32_t v = c & (0x7F >> need);
        bool ok = true;
        for (std::size_t k = 1; k < need; ++k) {
          if ((s[i + k] & 0xC0) != 0x80) ok = false;
          v = (v << 6) | (s[i + k] & 0x3F);
        }
        const std::uint32_t minimum = need == 2 ? 0x80 : need == 3 ? 0x800 : 0x10000;
        if (ok && v >= minimum && v <= 0x10FFFF && (v < 0xD800 || v > 0xDFFF)) {
          cp = v;
          len = need;
        }
      }
    }
    const std::size_t units = cp > 0xFFFF ? 2 : 1;
    if (text.Units.size() + units > maxUnits) break;
    if (cp > 0xFFFF) {
      cp -= 0x10000;
      text.Units.push_back(static_cast<std::uint16_t>(0xD800 + (cp >> 10)));
      text.Units.push_back(static_cast<std::uint16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      text.Units.push_back(static_cast<std::uint16_t>(cp));
    }
    i += len;
  }
  return text;
}

Bytes BofBody(std::uint16_t substream) {
  Bytes b;
  // BIFF8, build and year of Excel 97, no history flags, readable from BIFF8 on.
  b.U16(0x0600).U16(substream).U16(0x0DBB).U16(0x07CC).U32(0).U32(0x0006);
  return b;
}

Bytes FontBody() {
  Bytes b;
  // 10 point, no attributes, automatic colour, normal weight, no escapement or underline.
  b.U16(200).U16(0).U16(0x7FFF).U16(400).U16(0).U8(0).U8(0).U8(0).U8(0);
  const XlText name = ToXlText("Arial", 255);
  b.U8(static_cast<std::uint32_t>(name.Units.size())).U8(name.Wide() ? 1 : 0);
  name.AppendCharacters(b);
  return b;
}

// Style format 0 and cell formats take every attribute from their style;
// the other style formats leave all but the font to format 0.
Bytes XfBody(bool style, std::uint32_t attributeFlags) {
  Bytes b;
  b.U16(0).U16(0);                      // font 0, number format "General"
  b.U16(style ? 0xFFF5 : 0x0001);       // locked; a style has no parent, a cell has style 0
  b.U8(0x20).U8(0).U8(0);               // aligned bottom, no rotation, no indent
  b.U8(attributeFlags);
  b.U32(0).U32(0);                      // no borders, no pattern
  b.U16(0x20C0);                        // automatic pattern colours
  return b;
}

void AppendSst(BiffStream& out, const std::vector<XlText>& texts) {
  Bytes body;
  body.U32(static_cast<std::uint32_t>(texts.size())).U32(static_cast<std::uint32_t>(texts.size()));
  std::uint16_t type = kSst;
  for (const XlText& t : texts) {
    // A text never straddles two records: it starts a CONTINUE record
    // whole, which every reader takes without the split-string rules.
    const std::size_t need = 3 + t.StoredBytes();
    if (body.Size() + need > kMaxRecordData) {
      out.Record(type, body);
      body = Bytes();
      type = kContinue;
    }
    body.U16(static_cast<std::uint32_t>(t.Units.size())).U8(t.Wide() ? 1 : 0);
    t.AppendCharacters(body);
  }
  out.Record(type, body);
}

}  // namespace

std::vector<std::uint8_t> EncodeWorkbookStream(const XlsTable& table) {
  std::size_t columns = table.Header.size();
  for (const auto& row : table.Rows) columns = std::max(columns, row.size());
  const std::size_t rows = table.Rows.size() + (table.Header.empty() ? 0 : 1);
  if (rows > kXlsMaxRows) throw std::length_error("more than 65536 rows for one worksheet");
  if (columns > kXlsMaxColumns) throw std::length_error("more than 256 columns for one worksheet");

  BiffStream out;
  out.Record(kBof, BofBody(0x0005));
  out.Record(kCodepage, Bytes().U16(1200));  // texts are UTF-16
  // Window position and size in twips, scroll bars and sheet tabs shown,
  // first sheet active and selected, tab bar 60 % wide.
  out.Record(kWindow1, Bytes().U16(0).U16(0).U16(0x3A5C).U16(0x2328).U16(0x0038).U16(0).U16(0).U16(1).U16(600));
  // Font index 4 does not exist in this format, so four fonts cover 0..3.
  for (int i = 0; i < 4; ++i) out.Record(kFont, FontBody());
  for (int i = 0; i < kStyleXfCount; ++i) out.Record(kXf, XfBody(true, i == 0 ? 0x00 : 0xF4));
  out.Record(kXf, XfBody(false, 0x00));
  out.Record(kStyle, Bytes().U16(0x8000).U8(0).U8(0xFF));  // built-in style "Normal" on format 0

  Bytes sheet;
  sheet.U32(0).U8(0).U8(0);  // stream offset of the sheet (patched below), visible, worksheet
  const XlText sheetName = ToXlText("Sheet1", 31);
  sheet.U8(static_cast<std::uint32_t>(sheetName.Units.size())).U8(sheetName.Wide() ? 1 : 0);
  sheetName.AppendCharacters(sheet);
  const std::size_t sheetOffsetAt = out.Record(kBoundSheet, sheet);

  std::vector<XlText> texts;
  texts.reserve(table.Header.size());
  for (const std::string& h : table.Header) texts.push_back(ToXlText(h, kXlsMaxTextLength));
  if (!texts.empty()) AppendSst(out, texts);
  out.Record(kEof, Bytes());

  out.Patch32(sheetOffsetAt, static_cast<std::uint32_t>(out.Size()));
  out.Record(kBof, BofBody(0x0010));
  // Without the used range some readers drop cells (LibreOffice loses A1).
  out.Record(kDimensions, Bytes()
                              .U32(0)
                              .U32(static_cast<std::uint32_t>(rows))
                              .U16(0)
                              .U16(static_cast<std::uint32_t>(columns))
                              .U16(0));
  // Grid lines, headers, zeros and outline symbols shown; sheet selected and shown.
  out.Record(kWindow2, Bytes().U16(0x06B6).U16(0).U16(0).U16(0x40).U16(0).U16(0).U16(0).U32(0));

  std::uint32_t row = 0;
  if (!table.Header.empty()) {
    for (std::size_t c = 0; c < table.Header.size(); ++c) {
      out.Record(kLabelSst, Bytes().U16(0).U16(static_cast<std::uint32_t>(c)).U16(kCellXf).U32(
                                static_cast<std::uint32_t>(c)));
    }
    row = 1;
  }
  for (const auto& values : table.Rows) {
    for (std::size_t c = 0; c < values.size(); ++c) {
      // No record at all is an empty cell; NaN and infinities have no cell value.
      if (!values[c] || !std::isfinite(*values[c])) continue;
      out.Record(kNumber, Bytes().U16(row).U16(static_cast<std::uint32_t>(c)).U16(kCellXf).F64(*values[c]));
    }
    ++row;
  }
  out.Record(kEof, Bytes());
  return out.Take();
}

std::vector<std::uint8_t> EncodeXls(const XlsTable& table) {
  std::vector<std::uint8_t> stream = EncodeWorkbookStream(table);

  // A compound file of version 3 (512-byte sectors) holding the one stream.
  // The stream is padded with zeros, which readers never reach (they stop
  // at the sheet's EOF record), to at least 4096 bytes, so that it lies in
  // ordinary sectors and the file needs no mini stream; its sectors come
  // first, then the directory, the allocation table and, for tables of more
  // than about 7 MB, the sectors that list the table's further sectors.
  constexpr std::size_t kSector = 512;
  constexpr std::uint32_t kFree = 0xFFFFFFFF, kEndOfChain = 0xFFFFFFFE, kFatSector = 0xFFFFFFFD,
                          kDifatSector = 0xFFFFFFFC, kNoStream = 0xFFFFFFFF;
  constexpr std::size_t kHeaderDifat = 109;           // table sectors listed in the header
  constexpr std::size_t kPerSector = kSector / 4;     // 32-bit entries in a sector
  constexpr std::size_t kPerDifat = kPerSector - 1;   // the last one links to the next
  const std::size_t padded = std::max<std::size_t>(4096, (stream.size() + kSector - 1) / kSector * kSector);
  if (padded > 0xFFFFFFFFu) throw std::length_error("the workbook is too large for a compound file");
  stream.resize(padded, 0);
  const std::size_t streamSectors = padded / kSector;
  const std::size_t directory = streamSectors;  // the directory's one sector
  std::size_t fatSectors = 1, difatSectors = 0;
  for (;;) {
    const std::size_t needed = (streamSectors + 1 + fatSectors + difatSectors + kPerSector - 1) / kPerSector;
    const std::size_t difat = needed > kHeaderDifat ? (needed - kHeaderDifat + kPerDifat - 1) / kPerDifat : 0;
    if (needed == fatSectors && difat == difatSectors) break;
    fatSectors = std::max(fatSectors, needed);
    difatSectors = difat;
  }
  const std::size_t firstFat = directory + 1;
  const std::size_t firstDifat = firstFat + fatSectors;

  Bytes out;
  // Header.
  for (std::uint8_t b : {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1}) out.U8(b);
  for (int i = 0; i < 4; ++i) out.U32(0);  // class id
  out.U16(0x003E).U16(0x0003).U16(0xFFFE).U16(9).U16(6);
  out.U16(0).U32(0);  // reserved
  out.U32(0).U32(static_cast<std::uint32_t>(fatSectors)).U32(static_cast<std::uint32_t>(directory));
  out.U32(0).U32(4096).U32(kEndOfChain).U32(0);  // no transactions; no mini stream, no mini table
  out.U32(difatSectors ? static_cast<std::uint32_t>(firstDifat) : kEndOfChain)
      .U32(static_cast<std::uint32_t>(difatSectors));
  for (std::size_t i = 0; i < kHeaderDifat; ++i) {
    out.U32(i < fatSectors ? static_cast<std::uint32_t>(firstFat + i) : kFree);
  }
  // The stream.
  out.Append(stream);
  // The directory: the root, the stream, two unused entries.
  auto entry = [&out](const std::u16string& name, int type, std::uint32_t child, std::uint32_t start,
                      std::uint32_t size) {
    const std::size_t begin = out.Size();
    for (char16_t c : name) out.U16(c);
    while (out.Size() < begin + 64) out.U8(0);
    out.U16(name.empty() ? 0 : static_cast<std::uint32_t>(2 * (name.size() + 1)));
    out.U8(static_cast<std::uint32_t>(type)).U8(type == 0 ? 0 : 1);  // black in the red-black tree
    out.U32(kNoStream).U32(kNoStream).U32(child);
    for (int i = 0; i < 4 + 1 + 4; ++i) out.U32(0);  // class id, state, creation and change times
    out.U32(start).U32(size).U32(0);
  };
  entry(u"Root Entry", 5, 1, kEndOfChain, 0);
  entry(u"Workbook", 2, kNoStream, 0, static_cast<std::uint32_t>(padded));
  entry(u"", 0, kNoStream, 0, 0);
  entry(u"", 0, kNoStream, 0, 0);
  // The allocation table.
  const std::size_t fatBegin = out.Size();
  for (std::size_t i = 0; i + 1 < streamSectors; ++i) out.U32(static_cast<std::uint32_t>(i + 1));
  out.U32(kEndOfChain);  // the stream's last sector
  out.U32(kEndOfChain);  // the directory
  for (std::size_t i = 0; i < fatSectors; ++i) out.U32(kFatSector);
  for (std::size_t i = 0; i < difatSectors; ++i) out.U32(kDifatSector);
  while (out.Size() < fatBegin + fatSectors * kSector) out.U32(kFree);
  // The further table sectors, 127 a sector, each sector linking to the next.
  for (std::size_t d = 0; d < difatSectors; ++d) {
    for (std::size_t i = 0; i < kPerDifat; ++i) {
      const std::size_t listed = kHeaderDifat + d * kPerDifat + i;
      out.U32(listed < fatSectors ? static_cast<std::uint32_t>(firstFat + listed) : kFree);
    }
    out.U32(d + 1 < difatSectors ? static_cast<std::uint32_t>(firstDifat + d + 1) : kEndOfChain);
  }
  return std::move(out.Data());
}

void WriteXlsFile(const XlsTable& table, const std::string& path) {
  std::vector<std::uint8_t> bytes;
  try {
    bytes = EncodeXls(table);
  } catch (const std::exception& e) {
    throw CannotCreateFile(path, e.what());
  }
  WriteFileReplacing(path, bytes);
}

}  // namespace exporting
