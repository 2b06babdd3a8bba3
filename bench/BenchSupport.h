#pragma once

#include "engine/Bitmap24.h"

// A benchmark picture: smooth gradients with a little noise, so that no operation meets runs of
// equal pixels it could take short cuts over.
TBitmap24 MakeBenchPicture(int width, int height);
