#pragma once

#include <cstddef>

// Questions and reports several list windows share, through the message service.

// Asks for the slide interval in milliseconds with interval as the default. True, with interval
// changed, for a positive whole number; "正の整数を入力してください。" for anything else; false
// when cancelled.
bool AskSlideInterval(int& interval);

// After missing entries were removed: "N個のデータを削除しました。", or "削除データはありません
// でした。" when there were none.
void SayRemovedCount(std::size_t removed);
