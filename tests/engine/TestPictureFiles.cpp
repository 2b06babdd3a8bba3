#include "tests/engine/TestPictureFiles.h"

#include <gtest/gtest.h>

#include "engine/BmpFile.h"
#include "engine/PictureLoader.h"
#include "tests/TestSupport.h"

void SaveBmp(const TBitmap24& picture, const std::string& path) {
  std::string bytes;
  ASSERT_TRUE(EncodeBmp(picture, bytes));
  WriteWholeFile(path, bytes);
}

TBitmap24 LoadBack(const std::string& path) {
  TBitmap24 out;
  std::string error;
  EXPECT_TRUE(TPictureLoader().Load(path, out, error)) << path << ": " << error;
  return out;
}
