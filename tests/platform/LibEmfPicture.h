#pragma once

#include <string>

// Writes the test picture as an enhanced metafile through libEMF, a GDI-like writer. The library
// is loaded at run time, so the tests need no link flag for it; false (and why) when it is
// missing. The picture: window 400 x 300 on a 100 x 75 mm frame; a red filled rectangle
// (20,20)-(120,80); a one-pixel blue line y = 150 from x = 10 to 390; a green ellipse
// (200,20)-(300,100) and a green triangle (300,200) (380,200) (340,280) with blue outlines;
// "Hello" in black at (20,200), 40 units high, bold, transparent background.
bool WriteLibEmfPicture(const std::string& path, std::string& why);
