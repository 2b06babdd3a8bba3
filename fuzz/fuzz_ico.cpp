// Icon decoder on arbitrary bytes.
#include <QGuiApplication>
#include <cstdint>
#include <string>

#include "platform/IconDecoder.h"

// Qt's font database keeps fontconfig's caches until the process ends.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  // Qt's warnings about odd input only slow the fuzzer down.
  qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
  static int argc = 1;
  static char name[] = "fuzz_ico";
  static char* argv[] = {name, nullptr};
  static QGuiApplication application(argc, argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  QImage picture;
  std::string error;
  if (!TIconDecoder::DecodeBytes(bytes, picture, error)) return 0;
  TBitmap24 out;
  TIconDecoder::RenderBytes(bytes, 37, 23, out, error);
  return 0;
}
