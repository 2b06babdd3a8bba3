#pragma once

#include <deque>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/DialogService.h"

// The test double of the dialog service: it records every question and answers from a script.
// Unscripted questions get the first button (OK / Yes), a cancelled input or dialog.
class TRecordingDialogService : public TDialogService {
 public:
  enum class Kind {
    MessageBox,
    ShowMessage,
    InputQuery,
    OpenFiles,
    SaveFile,
    ChooseFolder,
    ChooseFont,
    ChooseColor
  };
  struct Entry {
    Kind kind;
    std::string caption;
    std::string text;   // message text, input prompt or dialog filter
    int flags = -1;     // message box flags; the filter a save dialog offered first
    std::string value;  // the initial value of an input box, the folder of a file dialog
  };

  // Scripted answers, used in order.
  void AnswerMessage(int id) { message_answers_.push_back(id); }
  void AnswerInput(std::string value) { input_answers_.push_back(Answer{true, std::move(value)}); }
  void CancelInput() { input_answers_.push_back(Answer{false, {}}); }
  void AnswerFiles(std::vector<std::string> paths) { file_answers_.push_back(std::move(paths)); }
  // The filter the next save dialog closes with (otherwise the one it offered).
  void AnswerFilter(int index) { filter_answers_.push_back(index); }
  void AnswerColor(TColor color) { color_answers_.push_back(color); }
  void AnswerFont(TFontSpec font) { font_answers_.push_back(std::move(font)); }
  // The next message box throws, as a failing platform dialog would.
  void FailNextMessage() { fail_next_message_ = true; }

  const std::vector<Entry>& Entries() const { return entries_; }
  // The texts of all message boxes and plain messages, in order.
  std::vector<std::string> Texts() const;
  void Clear() { entries_.clear(); }

  int MessageBox(const std::string& text, const std::string& caption, int flags) override;
  void ShowMessage(const std::string& text) override;
  bool InputQuery(const std::string& caption, const std::string& prompt,
                  std::string& value) override;
  bool OpenFiles(const TFileDialogRequest& request, std::vector<std::string>& paths) override;
  bool SaveFile(const TFileDialogRequest& request, std::string& path) override;
  bool ChooseFolder(const std::string& caption, std::string& folder) override;
  bool ChooseFont(TFontSpec& font, TColor& color) override;
  bool ChooseColor(TColor& color) override;

 private:
  struct Answer {
    bool ok;
    std::string value;
  };
  // The next file answer's first path; false for none or an empty (cancelled) answer.
  bool NextSingleAnswer(std::string& out);

  std::vector<Entry> entries_;
  std::deque<int> message_answers_;
  std::deque<Answer> input_answers_;
  std::deque<std::vector<std::string>> file_answers_;
  std::deque<int> filter_answers_;
  std::deque<TColor> color_answers_;
  std::deque<TFontSpec> font_answers_;
  bool fail_next_message_ = false;
};
