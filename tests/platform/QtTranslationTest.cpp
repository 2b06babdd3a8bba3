#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QString>
#include <QTranslator>

#include "platform/QtTranslation.h"
#include "tests/TestSupport.h"

namespace {

TEST(QtTranslation, StandardButtonsAndFileDialogsSpeakJapanese) {
  const QString file = QString::fromStdString(QtTranslationsFolder()) + "/qtbase_ja.qm";
  if (!QFileInfo::exists(file))
    GTEST_SKIP() << file.toStdString() << " is not installed (Debian: qt6-translations-l10n)";
  std::string error;
  ASSERT_TRUE(InstallQtJapanese(error)) << error;
  struct TText {
    const char* context;
    const char* source;
    const char* japanese;
  };
  for (const TText& t :
       {TText{"QPlatformTheme", "&Yes", "はい(&Y)"}, TText{"QPlatformTheme", "&No", "いいえ(&N)"},
        TText{"QPlatformTheme", "Cancel", "キャンセル"}, TText{"QFileDialog", "Open", "開く"}}) {
    EXPECT_EQ(QCoreApplication::translate(t.context, t.source).toStdString(),
              std::string(t.japanese))
        << t.source;
  }
  // The other tests of this program see Qt's English texts again.
  for (QTranslator* translator : QCoreApplication::instance()->findChildren<QTranslator*>()) {
    QCoreApplication::removeTranslator(translator);
    delete translator;
  }
}

TEST(QtTranslation, AFolderWithoutTheTranslationSaysSo) {
  TTempDir dir;
  std::string error;
  EXPECT_FALSE(InstallQtJapanese(error, dir.Path().string()));
  EXPECT_NE(error.find("qtbase_ja"), std::string::npos);
}

}  // namespace
