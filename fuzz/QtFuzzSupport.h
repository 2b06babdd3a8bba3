#pragma once

// What the fuzz targets that draw with Qt share: an offscreen GUI application made once, and the
// metafile round of natural size and bounded renders.
#include <QGuiApplication>
#include <algorithm>
#include <cstdint>
#include <string>

#include "platform/MetafileDecoder.h"

// Qt's font database keeps fontconfig's caches until the process ends.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

inline void StartOffscreenApplication() {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  // Qt's warnings about odd input only slow the fuzzer down.
  qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
  static int argc = 1;
  static char name[] = "velmora-fuzz";
  static char* argv[] = {name, nullptr};
  static QGuiApplication application(argc, argv);
}

// Natural size, then a render at that size (at most 600 x 600), then at the sizes a viewer
// window fits pictures to, down to a single pixel.
inline void FuzzMetafile(TMetafileKind kind, const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  int width = 0, height = 0;
  std::string error;
  TBitmap24 out;
  if (ReadMetafileSize(kind, bytes, width, height, error))
    RenderMetafile(kind, bytes, std::min(width, 600), std::min(height, 600), out, error);
  static const int kSizes[][2] = {{200, 200}, {64, 48}, {37, 23}, {1, 1}};
  for (const auto& s : kSizes) RenderMetafile(kind, bytes, s[0], s[1], out, error);
}
