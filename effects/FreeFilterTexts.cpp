#include "effects/FreeFilterTexts.h"

#include <algorithm>
#include <cctype>

#include "engine/DecimalText.h"
#include "engine/KernelGenerators.h"
#include "platform/SplitWX.h"
#include "platform/StringFormats.h"

namespace {

constexpr const char* kKindCodes[4] = {"Std", "UnS", "Emb", "+Em"};

std::string Trim(const std::string& text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  std::size_t begin = 0, end = text.size();
  while (begin < end && blank(text[begin])) ++begin;
  while (end > begin && blank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

bool OfferedSize(long long n) {
  return n >= kFreeKernelMinSize && n <= kFreeKernelMaxSize && n % 2 != 0;
}

int CalTypeOfKind(const std::string& kind) {
  const std::string upper = Upper(kind);
  for (int i = 0; i < 4; ++i)
    if (upper == Upper(kKindCodes[i])) return i;
  return -1;
}

}  // namespace

const std::vector<std::string>& BoundItems() {
  static const std::vector<std::string> items = [] {
    std::vector<std::string> list;
    for (int n = kFreeKernelMinSize; n <= kFreeKernelMaxSize; n += 2)
      list.push_back(std::string(" ").append(PadInteger(n, 3, '0')));
    return list;
  }();
  return items;
}

const std::vector<std::string>& CalTypeItems() {
  static const std::vector<std::string> items = {"標準型", "アンシャープ型", "エンボス型",
                                                 "+エンボス型"};
  return items;
}

const std::vector<std::string>& ColorItems() {
  static const std::vector<std::string> items = {" 000", " 032", " 064", " 096",
                                                 " 128", " 160", " 192", " 255"};
  return items;
}

int BoundIndexOfSize(int size) { return OfferedSize(size) ? size / 2 - 1 : -1; }

int SizeOfBoundText(const std::string& text) {
  int n = 0;
  if (!ParseDecimalInt(text, n) || !OfferedSize(n)) return -1;
  return n;
}

TFreeKernel KernelFromText(const std::string& text) {
  // The field count is known before anything is split, so a long text costs no memory.
  const std::size_t count = static_cast<std::size_t>(std::count(text.begin(), text.end(), ',')) + 1;
  const std::size_t first_comma = text.find(',');
  int n = 0;
  if (!ParseDecimalInt(text.substr(0, first_comma), n) || !OfferedSize(n) ||
      count != static_cast<std::size_t>(n) * n + 1)
    return {};
  const std::vector<std::string> fields = SplitText(text, ",");
  TFreeKernel kernel;
  kernel.size = n;
  kernel.values.assign(static_cast<std::size_t>(n) * n, 0);
  for (std::size_t k = 0; k < kernel.values.size(); ++k)
    if (!ParseDecimalInt(fields[k + 1], kernel.values[k])) return {};
  return kernel;
}

std::string KernelText(const TFreeKernel& kernel) {
  std::string text = std::to_string(kernel.size);
  for (int value : kernel.values) text.append(",").append(std::to_string(value));
  return text;
}

TFreeKernel NegatedKernel(const TFreeKernel& kernel) {
  TFreeKernel negated = kernel;
  for (int& value : negated.values) value = -value;
  return negated;
}

bool ReadKernelCell(const std::string& text, int& value) {
  int read = 0;
  if (!ParseDecimalInt(text, read) || read < kKernelCellMin || read > kKernelCellMax) return false;
  value = read;
  return true;
}

std::string KernelCellEditText(int value) {
  return std::string(value < 0 ? " " : "  ").append(std::to_string(value));
}

std::string KernelCellGridText(int value) { return PadInteger(value, 4, ' '); }

TColorEntry ReadColorEntry(const std::string& text) {
  TColorEntry entry;
  int value = 0;
  if (!ParseDecimalInt(text, value)) {
    entry.value = kFilterColorDefault;
    entry.message = true;
  } else {
    entry.value = std::clamp(value, kFilterColorMin, kFilterColorMax);
    entry.message = entry.value != value;
  }
  return entry;
}

std::string ColorRangeMessage() {
  return std::to_string(kFilterColorMin) + "から" + std::to_string(kFilterColorMax) +
         "までの整数を入力してください。";
}

std::string ColorEntryText(int value) { return std::string(" ").append(std::to_string(value)); }

std::string FreeFilterParameterText(int cal_type, int size, const std::vector<std::string>& cells,
                                    bool gray, const std::string& color_text) {
  if (cal_type < 0 || cal_type > 3 || size < 1 ||
      cells.size() != static_cast<std::size_t>(size) * size)
    return {};
  int color = 0;
  if (!ParseDecimalInt(color_text, color)) return {};
  std::string text = std::string(kKindCodes[cal_type]) + ",  " + std::to_string(size) + ", ";
  for (std::size_t k = 0; k < cells.size(); ++k) {
    int value = 0;
    if (!ReadKernelCell(cells[k], value)) return {};
    if (k > 0) text += ",";
    text += std::to_string(value);
  }
  text += gray ? ", 1," : ", 0,";
  text += cal_type >= 2 ? std::to_string(std::clamp(color, kFilterColorMin, kFilterColorMax)) : "0";
  return text;
}

int ParseFreeFilterRecord(const std::string& record, TFreeFilterRecord& result) {
  if (Trim(record).empty()) return 5;
  const std::size_t first_comma = record.find(',');
  TFreeFilterRecord read;
  read.cal_type = CalTypeOfKind(Trim(record.substr(0, first_comma)));
  if (read.cal_type < 0) return 1;
  if (first_comma == std::string::npos) return 2;
  const std::size_t second_comma = record.find(',', first_comma + 1);
  int n = 0;
  if (!ParseDecimalInt(record.substr(first_comma + 1, second_comma - first_comma - 1), n)) return 2;
  if (!OfferedSize(n)) return 3;
  // Counted before splitting: a huge record is turned away without taking it apart.
  const std::size_t cells = static_cast<std::size_t>(n) * n;
  const std::size_t count =
      static_cast<std::size_t>(std::count(record.begin(), record.end(), ',')) + 1;
  if (count != cells + 4) return 4;
  const std::vector<std::string> fields = SplitText(record, ",");
  read.kernel.size = n;
  read.kernel.values.assign(cells, 0);
  for (std::size_t k = 0; k < cells; ++k)
    if (!ReadKernelCell(fields[k + 2], read.kernel.values[k])) return 6;
  read.gray = Trim(fields[cells + 2]) == "1";
  int color = kFilterColorDefault;
  if (!ParseDecimalInt(fields[cells + 3], color)) color = kFilterColorDefault;
  read.color = std::clamp(color, kFilterColorMin, kFilterColorMax);
  result = std::move(read);
  return 0;
}

std::string FilterDataError(int code) {
  return std::string("FilterData Error(").append(std::to_string(code)).append(")");
}

int CalTypeOfRecord(const std::string& record) { return CalTypeOfKind(record.substr(0, 3)); }

std::vector<std::string> GroupFilterRecords(const std::vector<std::string>& records,
                                            std::vector<std::string>* hidden) {
  std::vector<std::string> shown;
  for (int type = 0; type < 4; ++type)
    for (const std::string& record : records)
      if (CalTypeOfRecord(record) == type) shown.push_back(record);
  if (hidden) {
    hidden->clear();
    for (const std::string& record : records)
      if (CalTypeOfRecord(record) < 0) hidden->push_back(record);
  }
  return shown;
}

std::vector<std::string> RecordsToKeep(const std::vector<std::string>& shown,
                                       const std::vector<std::string>& hidden) {
  std::vector<std::string> kept = shown;
  kept.insert(kept.end(), hidden.begin(), hidden.end());
  std::sort(kept.begin(), kept.end());
  return kept;
}

bool PresetNeedsDirection(TKernelPreset preset) {
  return preset == TKernelPreset::kEmboss || preset == TKernelPreset::kEdge;
}

bool ReadScanDirection(const std::string& answer, int& direction) {
  if (answer.empty()) return false;
  const char c = answer[0];
  if (c < '1' || c > '9' || c == '5') return false;
  direction = c - '0';
  return true;
}

std::string PresetKernelText(TKernelPreset preset, int size, int direction) {
  switch (preset) {
    case TKernelPreset::kAllOnes:
      return SmoothKernelText(size, true, false);
    case TKernelPreset::kGrid:
      return SmoothKernelText(size, false, true);
    case TKernelPreset::kDistance:
      return SmoothKernelText(size, false, false);
    case TKernelPreset::kEmboss:
      return LineKernelText(size, direction);
    case TKernelPreset::kEdge:
      return ReliefKernelText(size, direction, false, true);
    case TKernelPreset::kEdgeAll:
      return SharpenKernelText(size, false, true, false);
  }
  return {};
}
