#pragma once

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <locale>
#include <string>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

// Puts the process (C and C++ locales) into German for the scope: a decimal comma, as on a
// German desktop. The locale is generated with localedef into a private folder when the
// machine lacks it; Available() is false only when that is impossible too.
class TDecimalCommaLocale {
 public:
  static constexpr const char* kName = "de_DE.UTF-8";

  TDecimalCommaLocale() : old_c_(std::setlocale(LC_ALL, nullptr)), old_cpp_(std::locale()) {
#if defined(__SANITIZE_ADDRESS__)
    // glibc keeps the search path of a LOCPATH locale for good; that is not ours to free.
    __lsan::ScopedDisabler no_leak_check;
#endif
    if (!std::setlocale(LC_ALL, kName)) {
      const std::filesystem::path folder =
          std::filesystem::temp_directory_path() / "velmora-test-locales";
      std::error_code ec;
      std::filesystem::create_directories(folder, ec);
      const std::string command =
          "localedef -i de_DE -f UTF-8 '" + (folder / kName).string() + "' >/dev/null 2>&1";
      if (!std::filesystem::exists(folder / kName)) (void)std::system(command.c_str());
      setenv("LOCPATH", folder.c_str(), 1);
      if (!std::setlocale(LC_ALL, kName)) return;
    }
    try {
      std::locale::global(std::locale(kName));
    } catch (const std::exception&) {
      // The C locale alone still shows printf and strtod faults.
    }
    available_ = std::localeconv()->decimal_point[0] == ',';
  }
  ~TDecimalCommaLocale() {
    std::setlocale(LC_ALL, old_c_.c_str());
    std::locale::global(old_cpp_);
  }
  TDecimalCommaLocale(const TDecimalCommaLocale&) = delete;
  TDecimalCommaLocale& operator=(const TDecimalCommaLocale&) = delete;

  bool Available() const { return available_; }

 private:
  std::string old_c_;
  std::locale old_cpp_;
  bool available_ = false;
};

#define VELMORA_NEED_DECIMAL_COMMA(locale)                                             \
  if (!(locale).Available())                                                           \
  GTEST_SKIP() << "the de_DE.UTF-8 locale is missing and localedef could not make it " \
                  "(install the locales package)"
