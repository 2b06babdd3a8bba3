#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/Bitmap24.h"
#include "platform/DialogService.h"

class TApUWindow;

// The program's message service and small shared operations. One instance serves the whole run
// (ApU()); it shows every message through its dialog service and falls back to its own
// stay-on-top message window when a message box cannot be shown.
class TApU {
 public:
  // The caption of the program's confirmations: two blanks before the word.
  static constexpr const char* kCaption = "  確認";

  explicit TApU(TDialogService* service = nullptr);
  ~TApU();
  TApU(const TApU&) = delete;
  TApU& operator=(const TApU&) = delete;

  TDialogService& Dialogs() { return *service_; }
  void SetService(TDialogService* service);

  // Flags -1: a plain message dialog with OK, result -1. Otherwise a message box with the flags'
  // buttons and icon, returning the button pressed; if it cannot be shown the message window
  // shows the text under caption + " (予定外のエラーです。)" and the result is 0.
  int ShowMessage(const std::string& text, const std::string& caption = kCaption, int flags = 0);
  // A plain message dialog (the flags -1 form).
  void Say(const std::string& text) { ShowMessage(text, {}, -1); }

  // Number texts that report an overflow or a bad number with the program's messages.
  std::string SignedFixedWidth(long long value, int digits);
  // Leaves result unchanged and says "StringFigureReverse" when text is not a number.
  void FigureReverse(const std::string& text, int width, std::string& result);

  // Red, green, blue of a colour reference; values above 0xFFFFFF (the no-colour and default
  // sentinels) give white.
  static void SplitColor(std::uint32_t color, std::uint8_t& red, std::uint8_t& green,
                         std::uint8_t& blue);

  // Clipboard (needs a GUI application).
  static bool CopyPictureToClipboard(const TBitmap24& picture);
  static bool ClipboardHasText();

  // The scratch list the list-file operations work in.
  std::vector<std::string>& ScratchList() { return scratch_list_; }

  // The message window (created on first use).
  bool MessageWindowShown() const;
  std::string MessageWindowCaption() const;
  std::string MessageWindowText() const;
  void HideMessageWindow();

 private:
  TApUWindow* Window();

  TDialogService* service_;
  std::unique_ptr<TDialogService> owned_service_;
  std::unique_ptr<TApUWindow> window_;
  std::vector<std::string> scratch_list_;
};

// The instance of the run. InstallApU replaces it (tests install one over a recorder); passing
// nullptr returns to the default, which uses the real dialogs.
TApU& ApU();
void InstallApU(TApU* instance);

// Installs an instance for the lifetime of a scope.
class TApUScope {
 public:
  explicit TApUScope(TApU& instance) { InstallApU(&instance); }
  ~TApUScope() { InstallApU(nullptr); }
};
