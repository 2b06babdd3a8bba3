#pragma once

#include <string>

// Qt's own texts (the standard buttons はい / いいえ / キャンセル, the open and save dialogs) in
// Japanese, to match the program's questions that name those buttons.

// The folder Qt's translations are installed in.
std::string QtTranslationsFolder();

// Installs Qt's Japanese translation (qtbase_ja from folder, Qt's own folder when empty) on the
// running application, which keeps it; false with the reason when there is none to load (the
// texts then stay English).
bool InstallQtJapanese(std::string& error, const std::string& folder = {});
