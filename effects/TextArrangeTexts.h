#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "engine/Bitmap24.h"

// The texts of the text dialog in both directions, kept apart from the widgets: its three
// settings texts (section "TextArrange": "TextFont", "TextOptions", "BaseData"), the text effect
// parameter text and the rules for what is typed into its four combo boxes.

// The font of the text, as "TextFont" holds it.
struct TTextFontState {
  std::string name = "IPAGothic";
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool strike_out = false;
  int size = 9;   // the real size in points (the size drawn)
  int color = 0;  // a colour reference as stored (see ResolveColorReference)
  bool operator==(const TTextFontState&) const = default;
};

// bold x 1 + italic x 10 + underline x 100 + strike-out x 1000.
int FontStyleCode(const TTextFontState& font);
// name, style code, size, colour: "Arial,11,12,255".
std::string FontText(const TTextFontState& font);
// Reads a font text. False, font untouched, unless it has four fields and the last three are
// integers. A style digit sets its style when it is 1.
bool ParseFontText(const std::string& text, TTextFontState& font);

// The layout of the text, as "TextOptions" holds it.
struct TTextLayout {
  int transparency = 1;  // 0 通常, 1 透過, n the entered number, -n for "#n"
  int text_back = 0xFFFFFF;
  int space_back = 0xFFFFFF;
  int rotation = 0;  // tenths of a degree
  bool limit = false;
  bool operator==(const TTextLayout&) const = default;
};
std::string LayoutText(const TTextLayout& layout);
// False, layout untouched, unless five integer fields. The limit is on when its field is 1.
bool ParseLayoutText(const std::string& text, TTextLayout& layout);

// What "BaseData" holds: the two file-name options, the view size and the fixed view.
struct TTextViewOptions {
  bool without_extension = false;
  bool with_space = false;
  int view_size = 9;
  bool fixed_view = false;
  bool operator==(const TTextViewOptions&) const = default;
};
std::string OptionText(const TTextViewOptions& options);
// False, options untouched, unless four fields and an integer view size; "1" turns an option on.
bool ParseOptionText(const std::string& text, TTextViewOptions& options);

// Stored colours may be the original program's colour references: system colours
// (0xFF0000nn: window, window text, button face, button text) and the no-colour and default
// marks. The 24-bit colour one stands for; fallback for anything without one.
TColor ResolveColorReference(int reference, TColor fallback);

// The twelve-field text effect parameter text: X and Y (the combo texts without blanks), the
// font, the escaped text, the layout; colours as the 24-bit colours they stand for. Empty when
// the font name holds a character that would break the text or the record (",", "/", a line
// break).
std::string TextParameterText(const std::string& x_text, const std::string& y_text,
                              const TTextFontState& font, const std::string& text,
                              const TTextLayout& layout);

// A text whose settings were read keeps its stored bytes while what the dialog would write is
// still what it made of them.
std::string TextToStore(const std::string& stored, const std::string& composed_when_read,
                        const std::string& composed_now);

// The combo boxes.
enum class TTextCombo { kX, kY, kTransparency };
inline constexpr const char* kTextOpaqueItem = " 通常";
inline constexpr const char* kTextKeyedItem = " 透過";
inline constexpr const char* kRotationZeroItem = "  0.0";
const std::array<const char*, 5>& PositionItems(TTextCombo combo);  // X or Y
const std::array<const char*, 11>& TransparencyItems();
const std::array<const char*, 9>& RotationItems();

// The outcome of leaving a position or transparency box with a typed text.
struct TComboEntry {
  int select = -1;      // the item to select, or -1 to show text
  std::string text;     // shown when no item is selected
  std::string message;  // shown first when not empty
  bool operator==(const TComboEntry&) const = default;
};
TComboEntry PositionEntry(TTextCombo combo, const std::string& typed);

// The transparency box's text as the layout's number: 通常 0, 透過 1, "#n" -n. False when the
// text is none of these.
bool TransparencyValue(const std::string& combo_text, int& value);
// The box text for a stored transparency: " 通常", " 透過", " 25", " #255".
std::string TransparencyComboText(int value);

// The rotation box's text in tenths of a degree (rounded); false when not a number or beyond
// the integer range.
bool RotationTenths(const std::string& combo_text, int& tenths);
// Tenths as the box shows them, five characters wide with one decimal: 450 " 45.0", 0 "  0.0",
// -300 "-30.0".
std::string RotationComboText(std::int64_t tenths);
// Leaving the rotation box: the angle in 0.1 degree steps, within one turn (keeping its sign).
// False for a text that is not a number.
bool RotationEntry(const std::string& typed, std::string& shown);
inline constexpr const char* kRotationMessage = "回転角(0.1度単位)を指定してください。";

// X and Y as the parameter text takes them: a box holding neither an item nor an integer
// becomes "  0" first.
bool IsIntegerText(const std::string& text);

// The text the file data commands put into the memo: the name part of path (or all of it),
// without its extension, with a blank on either side; empty for an empty path.
std::string FileDataText(const std::string& path, bool full_path, bool without_extension,
                         bool with_space);
