// The text window's settings texts and typed entries, with the properties the window relies on:
// what it writes reads back the same, and what it shows after an entry is an entry it accepts.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "effects/TextArrangeTexts.h"
#include "engine/ImageOption.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  TTextFontState font;
  if (ParseFontText(text, font)) {
    TTextFontState again;
    if (!ParseFontText(FontText(font), again) || !(again == font)) __builtin_trap();
  }
  TTextLayout layout;
  if (ParseLayoutText(text, layout)) {
    TTextLayout again;
    if (!ParseLayoutText(LayoutText(layout), again) || !(again == layout)) __builtin_trap();
    int value = 0, tenths = 0;
    if (!TransparencyValue(TransparencyComboText(layout.transparency), value) ||
        value != layout.transparency)
      __builtin_trap();
    if (!RotationTenths(RotationComboText(layout.rotation), tenths) || tenths != layout.rotation)
      __builtin_trap();
  }
  TTextViewOptions options;
  ParseOptionText(text, options);

  for (TTextCombo combo : {TTextCombo::kX, TTextCombo::kY, TTextCombo::kTransparency}) {
    const TComboEntry entry = PositionEntry(combo, text);
    if (entry.select < 0) {
      const TComboEntry again = PositionEntry(combo, entry.text);
      if (!again.message.empty() || (again.select < 0 && again.text != entry.text))
        __builtin_trap();
    }
  }
  std::string shown;
  if (RotationEntry(text, shown)) {
    int tenths = 0;
    if (!RotationTenths(shown, tenths) || std::abs(tenths) >= 3600) __builtin_trap();
  }

  // Whatever the memo holds, the parameter text keeps its twelve fields.
  const std::string parameters = TextParameterText("C", "C", TTextFontState{}, text, TTextLayout{});
  TTextSettings settings;
  if (!parameters.empty() && !ParseTextSettings(parameters, settings) && size < (1u << 19))
    __builtin_trap();
  return 0;
}
