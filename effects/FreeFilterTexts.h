#pragma once

#include <string>
#include <vector>

// The free filter dialog's texts in both directions, kept apart from the widgets: kernel texts
// ("n,w11,...,wnn"), parameter texts ("Std,  3, 1,1,1,1,1,1,1,1,1, 0,0"), records, the cell and
// colour entries and the kernel presets.

inline constexpr const char* kInitialKernelText = "3,1,1,1,1,1,1,1,1,1";
inline constexpr int kKernelCellMin = -999;
inline constexpr int kKernelCellMax = 999;
// The sizes BoundComboBox offers; nothing larger is ever shown as a grid of boxes.
inline constexpr int kFreeKernelMinSize = 3;
inline constexpr int kFreeKernelMaxSize = 21;
inline constexpr int kFilterColorMin = 0;
inline constexpr int kFilterColorMax = 255;
// What a colour entry that is not a number becomes.
inline constexpr int kFilterColorDefault = 128;

// An n x n kernel, row by row.
struct TFreeKernel {
  int size = 3;
  std::vector<int> values = std::vector<int>(9, 1);
  bool operator==(const TFreeKernel&) const = default;
};

// BoundComboBox: " 003" ... " 021"; CalTypeComboBox: 標準型 ... +エンボス型; SetColorComboBox's
// list.
const std::vector<std::string>& BoundItems();
const std::vector<std::string>& CalTypeItems();
const std::vector<std::string>& ColorItems();
// The BoundComboBox item of a kernel size (n div 2 - 1), or -1 when the list has none.
int BoundIndexOfSize(int size);
// The size an item text names (" 005" gives 5), or -1 when it is not one of the sizes offered.
int SizeOfBoundText(const std::string& text);

// Reads a kernel text. A size that is even, below 3 or beyond the largest offered, a field count
// other than n * n + 1, or a field that is not an integer gives the 3 x 3 kernel of ones.
TFreeKernel KernelFromText(const std::string& text);
std::string KernelText(const TFreeKernel& kernel);
// Every value negated, the size kept.
TFreeKernel NegatedKernel(const TFreeKernel& kernel);

// A typed kernel cell: an integer from -999 to 999, blanks around it allowed.
bool ReadKernelCell(const std::string& text, int& value);
// The text of a cell once edited: two blanks and the number, one blank before a negative one.
std::string KernelCellEditText(int value);
// The text of a cell when the grid is built: right-aligned in four characters.
std::string KernelCellGridText(int value);

// A colour entry held within 0..255. message is set when the typed text had to be changed: out
// of range (the bound is taken) or not a number (128 is taken).
struct TColorEntry {
  int value = 0;
  bool message = false;
};
TColorEntry ReadColorEntry(const std::string& text);
// "0から255までの整数を入力してください。"
std::string ColorRangeMessage();
// The colour box text of a value: a blank and the number.
std::string ColorEntryText(int value);

// The parameter text of the dialog's controls: kind code, size, the cells, the grey flag and
// the colour (only emboss types carry it). Empty when the calculation type is unknown, the cell
// count is not size * size, a cell is not a kernel value, or the colour is not a number.
std::string FreeFilterParameterText(int cal_type, int size, const std::vector<std::string>& cells,
                                    bool gray, const std::string& color_text);

// A record read for the controls. Error codes are those of "FilterData Error(N)": 1 unknown
// kind, 2 size not a number, 3 a size BoundComboBox does not offer, 4 field count, 5 no fields,
// 6 a kernel value that is not a cell value. On an error nothing is read into record.
struct TFreeFilterRecord {
  int cal_type = 0;
  TFreeKernel kernel;
  bool gray = false;
  int color = 0;
};
int ParseFreeFilterRecord(const std::string& record, TFreeFilterRecord& result);
std::string FilterDataError(int code);

// The calculation type a record's kind names (STD, UNS, EMB, +EM, any case), or -1.
int CalTypeOfRecord(const std::string& record);
// The records the dialog shows, grouped by kind (Std, UnS, Emb, +Em, each in stored order);
// the others, in stored order, go to hidden.
std::vector<std::string> GroupFilterRecords(const std::vector<std::string>& records,
                                            std::vector<std::string>* hidden);
// What the owner keeps at close: the shown records and the hidden ones, sorted.
std::vector<std::string> RecordsToKeep(const std::vector<std::string>& shown,
                                       const std::vector<std::string>& hidden);

// The kernel presets of the popup menu, in menu order.
enum class TKernelPreset { kAllOnes, kGrid, kDistance, kEmboss, kEdge, kEdgeAll };
// Whether the preset asks for a scan direction first.
bool PresetNeedsDirection(TKernelPreset preset);
// The first character of an answer as a keypad direction (1 2 3 4 6 7 8 9); false otherwise.
bool ReadScanDirection(const std::string& answer, int& direction);
// The preset's kernel text from the generators; empty when it cannot be made.
std::string PresetKernelText(TKernelPreset preset, int size, int direction);
