// Window-level logic needs a widget application; one is made for the whole test program.
#include <gtest/gtest.h>

#include <QApplication>

namespace {

class TQtApplicationEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    if (QApplication::instance()) return;
    static int argc = 1;
    static char name[] = "app_tests";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    application_ = new QApplication(argc, argv);
  }

 private:
  QApplication* application_ = nullptr;
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new TQtApplicationEnvironment);

}  // namespace
