#include "platform/RecordingDialogService.h"

std::vector<std::string> TRecordingDialogService::Texts() const {
  std::vector<std::string> texts;
  for (const Entry& e : entries_)
    if (e.kind == Kind::MessageBox || e.kind == Kind::ShowMessage) texts.push_back(e.text);
  return texts;
}

int TRecordingDialogService::MessageBox(const std::string& text, const std::string& caption,
                                        int flags) {
  if (fail_next_message_) {
    fail_next_message_ = false;
    throw std::runtime_error("message box failed");
  }
  entries_.push_back(Entry{Kind::MessageBox, caption, text, flags, {}});
  if (!message_answers_.empty()) {
    const int id = message_answers_.front();
    message_answers_.pop_front();
    return id;
  }
  const int buttons = flags & mb::kButtonMask;
  return buttons == mb::kYesNo || buttons == mb::kYesNoCancel ? mb::kIdYes : mb::kIdOk;
}

void TRecordingDialogService::ShowMessage(const std::string& text) {
  entries_.push_back(Entry{Kind::ShowMessage, {}, text, -1, {}});
}

bool TRecordingDialogService::InputQuery(const std::string& caption, const std::string& prompt,
                                         std::string& value) {
  entries_.push_back(Entry{Kind::InputQuery, caption, prompt, -1, value});
  if (input_answers_.empty()) return false;
  Answer a = input_answers_.front();
  input_answers_.pop_front();
  if (a.ok) value = a.value;
  return a.ok;
}

bool TRecordingDialogService::OpenFiles(const TFileDialogRequest& request,
                                        std::vector<std::string>& paths) {
  entries_.push_back(Entry{Kind::OpenFiles, request.caption, request.filter, -1, request.folder});
  if (file_answers_.empty()) return false;
  paths = file_answers_.front();
  file_answers_.pop_front();
  return !paths.empty();
}

bool TRecordingDialogService::NextSingleAnswer(std::string& out) {
  if (file_answers_.empty()) return false;
  std::vector<std::string> answer = std::move(file_answers_.front());
  file_answers_.pop_front();
  if (answer.empty()) return false;
  out = answer.front();
  return true;
}

bool TRecordingDialogService::SaveFile(const TFileDialogRequest& request, std::string& path) {
  entries_.push_back(
      Entry{Kind::SaveFile, request.caption, request.filter, request.filter_index, request.folder});
  int filter = request.filter_index;
  if (!filter_answers_.empty()) {
    filter = filter_answers_.front();
    filter_answers_.pop_front();
  }
  if (request.chosen_filter) *request.chosen_filter = filter;
  return NextSingleAnswer(path);
}

bool TRecordingDialogService::ChooseFolder(const std::string& caption, std::string& folder) {
  entries_.push_back(Entry{Kind::ChooseFolder, caption, {}, -1, folder});
  return NextSingleAnswer(folder);
}

bool TRecordingDialogService::ChooseFont(TFontSpec& font, TColor& color) {
  (void)color;
  entries_.push_back(Entry{Kind::ChooseFont, {}, font.family, -1, {}});
  if (font_answers_.empty()) return false;
  font = font_answers_.front();
  font_answers_.pop_front();
  return true;
}

bool TRecordingDialogService::ChooseColor(TColor& color) {
  entries_.push_back(Entry{Kind::ChooseColor, {}, {}, -1, std::to_string(color)});
  if (color_answers_.empty()) return false;
  color = color_answers_.front();
  color_answers_.pop_front();
  return true;
}
