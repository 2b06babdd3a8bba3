// EMF player on arbitrary bytes: natural size, then a render at a bounded size.
#include <QGuiApplication>
#include <algorithm>
#include <cstdint>
#include <string>

#include "platform/MetafileDecoder.h"

// Qt's font database keeps fontconfig's caches until the process ends.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  // Qt's warnings about odd input only slow the fuzzer down.
  qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
  static int argc = 1;
  static char name[] = "fuzz_emf";
  static char* argv[] = {name, nullptr};
  static QGuiApplication application(argc, argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  int width = 0, height = 0;
  std::string error;
  TBitmap24 out;
  if (ReadMetafileSize(TMetafileKind::kEmf, bytes, width, height, error))
    RenderMetafile(TMetafileKind::kEmf, bytes, std::min(width, 200), std::min(height, 200), out,
                   error);
  RenderMetafile(TMetafileKind::kEmf, bytes, 64, 48, out, error);
  return 0;
}
