#pragma once

#include <string>

// Test pictures written through libEMF, a GDI-like enhanced metafile writer. The library is
// loaded at run time, so the tests need no link flag for it; each writer gives false (and why)
// when it is missing.

// Writes the test picture. The picture: window 400 x 300 on a 100 x 75 mm frame;
// a red filled rectangle (20,20)-(120,80); a one-pixel blue line y = 150 from x = 10 to 390; a
// green ellipse (200,20)-(300,100) and a green triangle (300,200) (380,200) (340,280) with blue
// outlines; "Hello" in black at (20,200), 40 units high, bold, transparent background.
bool WriteLibEmfPicture(const std::string& path, std::string& why);

// A page set-up as a program sets it before drawing.
struct TLibEmfMapping {
  int map_mode = 1;
  int window_org[2] = {0, 0};
  int window_ext[2] = {1, 1};
  int viewport_org[2] = {0, 0};
  int viewport_ext[2] = {1, 1};
  float world[6] = {1, 0, 0, 1, 0, 0};  // eM11, eM12, eM21, eM22, eDx, eDy
  int frame[4] = {0, 0, 0, 0};          // hundredths of a millimetre
};

// Under the mapping: a red filled polygon over the logical square (x, y)-(x + size, y + size),
// drawn with a null pen, then nothing else.
bool WriteLibEmfMappedSquare(const std::string& path, const TLibEmfMapping& mapping, int x, int y,
                             int size, std::string& why);
