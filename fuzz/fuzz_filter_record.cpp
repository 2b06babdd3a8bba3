// A free filter record as the dialog reads it: any bytes give one of the six error codes or a
// record within the dialog's ranges, and an accepted record written out again reads back the same.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "effects/FreeFilterTexts.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  TFreeFilterRecord record;
  const int error = ParseFreeFilterRecord(text, record);
  if (error < 0 || error > 6) __builtin_trap();
  const TFreeKernel kernel = KernelFromText(text);
  if (BoundIndexOfSize(kernel.size) < 0 ||
      kernel.values.size() != static_cast<std::size_t>(kernel.size) * kernel.size)
    __builtin_trap();
  if (error != 0) return 0;
  if (BoundIndexOfSize(record.kernel.size) < 0 || record.color < 0 || record.color > 255)
    __builtin_trap();
  std::vector<std::string> cells;
  for (int value : record.kernel.values) {
    if (value < kKernelCellMin || value > kKernelCellMax) __builtin_trap();
    cells.push_back(KernelCellGridText(value));
  }
  const std::string written = FreeFilterParameterText(record.cal_type, record.kernel.size, cells,
                                                      record.gray, ColorEntryText(record.color));
  TFreeFilterRecord again;
  if (ParseFreeFilterRecord(written, again) != 0) __builtin_trap();
  if (again.cal_type != record.cal_type || !(again.kernel == record.kernel) ||
      again.gray != record.gray || (record.cal_type >= 2 && again.color != record.color))
    __builtin_trap();
  return 0;
}
