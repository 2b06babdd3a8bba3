// One QGuiApplication on the offscreen platform for every platform test: the decoders and the
// font rasteriser draw with Qt.
#include <gtest/gtest.h>

#include <QGuiApplication>

namespace {

class TQtTestEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    if (QGuiApplication::instance()) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "platform_tests";
    static char* argv[] = {name, nullptr};
    application_ = new QGuiApplication(argc, argv);
  }

  void TearDown() override {
    delete application_;
    application_ = nullptr;
  }

 private:
  static inline QGuiApplication* application_ = nullptr;
};

[[maybe_unused]] ::testing::Environment* const kQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new TQtTestEnvironment);

}  // namespace
