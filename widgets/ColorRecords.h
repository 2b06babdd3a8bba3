#pragma once

#include <string>
#include <vector>

#include "engine/Bitmap24.h"

// The colour dialog's texts: colour records, slider and gradation labels, and the colour lists
// its palettes are drawn from.

struct TRgb {
  int red = 0;
  int green = 0;
  int blue = 0;
  bool operator==(const TRgb&) const = default;
};

// "   010,020,030": three blanks, then the components as three digits.
std::string ColorRecordText(const TRgb& rgb);
// Reads characters 1-3, 5-7 and 9-11 of a record after its leading blanks; false unless each is
// a number 0..255 and the commas are in place.
bool ParseColorRecord(const std::string& record, TRgb& rgb);
// Records compared as the dialog compares them: without leading blanks.
bool SameColorRecord(const std::string& a, const std::string& b);
// The 27 records of 000, 128 and 255 (red outermost) added to records, then sorted with repeats
// removed.
void AddAverageColors(std::vector<std::string>& records);

// B x 65536 + G x 256 + R, and back (values above 0xFFFFFF give white).
TColor ColorValue(const TRgb& rgb);
TRgb SplitColorValue(TColor color);
// "R  010".
std::string ColorSliderLabel(char letter, int value);
// "R: +255", "G: -032".
std::string GradationLabel(int base, int offset);

// The palettes: "選択色", "gra_025", "gra_081", "  27色", " 125色", " 729色".
const std::vector<std::string>& PaletteKinds();
// The palette's colour texts ("RRR,GGG,BBB"), first element its layout: "0" for a list, n for an
// n x n x n cube. base: 0 R, 1 G, 2 B (the gradations). Empty for an unknown kind.
std::vector<std::string> PaletteLayout(int kind, int base, const std::vector<std::string>& records);
// A palette text's colour; false when it cannot be read.
bool ParsePaletteColor(const std::string& text, TRgb& rgb);
// A colour with its base channel shifted by offset, cut to 0..255.
TRgb ShiftBase(TRgb rgb, int base, int offset);
