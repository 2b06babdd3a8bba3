#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/Bitmap24.h"

// The texts and small rules of the fusion dialog, kept apart from its widgets.

// What the dialog keeps between sessions (the owner stores it in its settings).
struct TFusionDialogSettings {
  TColor back_color = kWhite;
  TColor ground_color = kWhite;
  int bright_rate = 100;      // 1..999
  int range_super_max = 255;  // 1..999
  int trans_position = 0;     // keypad code; 0 and 1 both mean bottom-left
  int any_tone_level = 4;     // 4..255
  int up_down_level = 2;      // 1..255
  bool over_range = false;
  bool operator==(const TFusionDialogSettings&) const = default;
};

// Settings read from a file are held to what the dialog can show: a tone level count outside
// 4..255 becomes 4, an up/down level outside 1..255 becomes 1, a brightness rate or range maximum
// outside 1..999 its default, a transparency code outside 0..9 bottom-left (1), and a colour
// beyond 0xFFFFFF (the no-colour sentinels) white.
TFusionDialogSettings NormalizeFusionSettings(TFusionDialogSettings settings);

enum TFusionOperation { kFusionBlend = 0, kFusionMix, kFusionZMix, kFusionAOver, kFusionBOver };

// The controls that make up the fusion parameter text.
struct TFusionControls {
  std::string x = "   L";
  std::string y = "   T";
  int operation = kFusionBlend;
  int a_position = 50;
  int b_position = 50;
  bool transparent = false;  // 明度 for operations 0..2, 透過 for 3 and 4
  int bright_rate = 100;
  int trans_position = 1;  // keypad code
  bool limit = false;      // 制限
  TColor back_color = kWhite;
};

// The eight-field fusion text: the initial controls give L,T,50,50,1,0,0,16777215.
std::string FusionParameterText(const TFusionControls& controls);
// The corner code of a keypad position: 7 TL, 8 TC, 9 TR, 4 CL, 5 CC, 6 CR, 2 BC, 3 BR, and BL
// for 1 and anything else.
std::string TransPositionCode(int keypad);
// "B +050%", "A -100%", "B  000%".
std::string FusionRateLabel(char letter, int position);
// A double click on a rate label: the next multiple of 50 above position, at most maximum; from
// the maximum back to the minimum (-100..100: 30, 50, 100, -100, -50).
int NextRateStep(int position, int minimum, int maximum);
// The A position when the A bar first takes part: B maximum - B position.
inline int APositionFromB(int b_maximum, int b_position) { return b_maximum - b_position; }

// "台紙(" red "," green "," blue ")".
std::string GroundEntryText(TColor ground);

// A tone mapping for the channel value map: value lists searched from the last entry, exact or
// at-most matching.
struct TToneTable {
  std::vector<std::uint8_t> from;
  std::vector<std::uint8_t> to;
  bool exact = false;
};
// Levels 1..levels to min(256 div levels x i, 255) (0,1 to 0,255 for one level).
TToneTable ToneLevelTable(int levels);
// The levels 0..k-1 become k.
TToneTable BottomUpTable(int k);
// The levels 255 down to 256-k become 255-k.
TToneTable TopDownTable(int k);

// Menu captions that carry the levels.
std::string AnyToneCaption(int levels);  // "4段階(&A)"
std::string BottomUpCaption(int k);      // "ボトムアップ to 2(&B)"
std::string TopDownCaption(int k);       // "トップダウン to 2(&T)"
// "4以上255以下の整数を指定してください。"
std::string LevelRangePrompt(int lower);

// A typed number in the input boxes: true with value when text is an integer within
// [low, high].
bool ReadRangedInteger(const std::string& text, int low, int high, int& value);

// Leaving a position combo box whose text is no item.
struct TPositionEntry {
  enum TKind { kItem, kNumber, kNotNumber } kind = kNotNumber;
  int item = 0;          // kItem: the matching item
  int value = 0;         // kNumber: the value, held within the range
  bool clamped = false;  // kNumber: the value was outside the range (the message is shown)
};
inline constexpr int kFusionPlaceMin = -4000;
inline constexpr int kFusionPlaceMax = 4000;
// Compares the entry, blanks removed and upper-cased, with the items without blanks, and
// otherwise reads it as an integer.
TPositionEntry CheckPositionEntry(const std::string& text, const std::vector<std::string>& items);
// "-4000から4000までの整数を入力してください。"
std::string PlaceRangeMessage();
