#include "engine/JpegFile.h"

#include <algorithm>
#include <atomic>
#include <csetjmp>
#include <cstdio>
#include <new>
#include <vector>

// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>
// After jpeglib.h: the error codes and macros.
#include <jerror.h>

#include "engine/EngineOwner.h"
#include "engine/ImageUtils.h"
#include "engine/JpegEighth.h"

// libjpeg reports errors through a callback that must not return; it jumps back to the setjmp
// in the routine that drives the library. The driving routines keep no object with a destructor
// of their own between setjmp and the library calls: everything they fill belongs to the caller.

namespace {

// More scans than any encoder writes; a file with thousands of tiny scans would otherwise keep
// the decoder busy for minutes.
constexpr int kMaxScans = 500;

// Pixels a file may claim per byte of its data beyond the working area. A Huffman-coded scan
// spends at least one bit per 8x8 block, so 512 pixels a byte is the most a real file reaches;
// arithmetic coding squeezes flat pictures much harder.
constexpr std::int64_t kMaxPixelsPerHuffmanByte = 1024;
constexpr std::int64_t kMaxPixelsPerArithmeticByte = 16384;

struct TErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void ErrorExit(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<TErrorManager*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, err->message);
  std::longjmp(err->jump, 1);
}

// Warnings (corrupt or missing entropy data) are not fatal, and nothing is ever printed.
void OutputMessage(j_common_ptr) {}

struct TProgress {
  jpeg_progress_mgr pub;
  TErrorManager* err;
};

void ProgressMonitor(j_common_ptr cinfo) {
  if (!cinfo->is_decompressor) return;
  if (reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxScans) {
    auto* progress = reinterpret_cast<TProgress*>(cinfo->progress);
    std::snprintf(progress->err->message, JMSG_LENGTH_MAX, "too many scans");
    std::longjmp(progress->err->jump, 1);
  }
}

void InitErrors(TErrorManager& err) {
  jpeg_std_error(&err.pub);
  err.pub.error_exit = ErrorExit;
  err.pub.output_message = OutputMessage;
  err.message[0] = '\0';
}

// CMYK as Adobe writes it (inverted) gives r = c * k / 255 rounded; plain CMYK is inverted first.
void CmykRowToBgr(const std::uint8_t* src, std::uint8_t* dst, int width, bool inverted) {
  const unsigned flip = inverted ? 0 : 255;
  for (int x = 0; x < width; ++x) {
    const unsigned c = src[4 * x] ^ flip, m = src[4 * x + 1] ^ flip, y = src[4 * x + 2] ^ flip,
                   k = src[4 * x + 3] ^ flip;
    dst[3 * x] = static_cast<std::uint8_t>((2 * y * k + 255) / 510);
    dst[3 * x + 1] = static_cast<std::uint8_t>((2 * m * k + 255) / 510);
    dst[3 * x + 2] = static_cast<std::uint8_t>((2 * c * k + 255) / 510);
  }
}

// Reads the header and applies the fixed decoder settings; checks the output size.
// Returns false with error set when the size is refused (the library reports its own errors
// by jumping).
bool SetUpDecoder(j_decompress_ptr cinfo, std::size_t size, std::string& error,
                  int scale_eighths = 8) {
  jpeg_read_header(cinfo, TRUE);
  const std::int64_t pixels = static_cast<std::int64_t>(cinfo->image_width) *
                              static_cast<std::int64_t>(cinfo->image_height);
  const std::int64_t per_byte =
      cinfo->arith_code ? kMaxPixelsPerArithmeticByte : kMaxPixelsPerHuffmanByte;
  if (pixels <= 0) {
    error = "JPEG: the picture has no pixels";
    return false;
  }
  if (!TImU::LoadSizeIsAllowed(cinfo->image_width, cinfo->image_height)) {
    error = "JPEG: the picture " + TImU::LoadRefusalText(cinfo->image_width, cinfo->image_height);
    return false;
  }
  if (pixels > TImU::kDesignMaxArea && pixels / per_byte > static_cast<std::int64_t>(size)) {
    error = "JPEG: the picture size does not match the file";
    return false;
  }
  switch (cinfo->jpeg_color_space) {
    case JCS_GRAYSCALE:
    case JCS_YCbCr:
    case JCS_RGB:
      cinfo->out_color_space = JCS_EXT_BGR;
      break;
    case JCS_CMYK:
    case JCS_YCCK:
      cinfo->out_color_space = JCS_CMYK;
      break;
    default:
      error = "JPEG: unsupported colour space";
      return false;
  }
  cinfo->scale_num = static_cast<unsigned>(scale_eighths);
  cinfo->scale_denom = 8;
  cinfo->dct_method = JDCT_ISLOW;
  cinfo->do_fancy_upsampling = TRUE;
  cinfo->do_block_smoothing = FALSE;
  cinfo->buffered_image = FALSE;
  cinfo->quantize_colors = FALSE;
  jpeg_calc_output_dimensions(cinfo);
  return true;
}

std::atomic<bool> quick_eighth{true};

// The quick decoder at 1/8 for a file whose header cinfo has read, when it takes the file.
// Only reads what libjpeg has parsed: nothing here can make the library jump.
bool DecodeEighthQuickly(j_decompress_ptr cinfo, TBitmap24* out, const TEngineOwner* owner) {
  const int components = cinfo->num_components;
  const bool grey = components == 1 && cinfo->jpeg_color_space == JCS_GRAYSCALE;
  const bool colour = components == 3 &&
                      (cinfo->jpeg_color_space == JCS_YCbCr || cinfo->jpeg_color_space == JCS_RGB);
  if ((!grey && !colour) || cinfo->progressive_mode || cinfo->arith_code ||
      cinfo->data_precision != 8 || cinfo->comps_in_scan != components ||
      cinfo->out_color_space != JCS_EXT_BGR)
    return false;
  TJpegEighthInput in;
  in.width = static_cast<int>(cinfo->image_width);
  in.height = static_cast<int>(cinfo->image_height);
  in.components = components;
  in.rgb = cinfo->jpeg_color_space == JCS_RGB;
  in.restart_interval = static_cast<int>(cinfo->restart_interval);
  in.data = cinfo->src->next_input_byte;
  in.size = cinfo->src->bytes_in_buffer;
  // Copies of the tables the components use, each once.
  TJpegHuffmanTable tables[6];
  const JHUFF_TBL* sources[6] = {};
  int used = 0;
  const auto copy = [&](const JHUFF_TBL* source) -> const TJpegHuffmanTable* {
    if (!source) return nullptr;
    for (int i = 0; i < used; ++i)
      if (sources[i] == source) return &tables[i];
    std::copy(std::begin(source->bits), std::end(source->bits), tables[used].bits);
    std::copy(std::begin(source->huffval), std::end(source->huffval), tables[used].values);
    sources[used] = source;
    return &tables[used++];
  };
  for (int c = 0; c < components; ++c) {
    const jpeg_component_info* info = &cinfo->comp_info[c];
    const JQUANT_TBL* quant = info->quant_tbl_no >= 0 && info->quant_tbl_no < NUM_QUANT_TBLS
                                  ? cinfo->quant_tbl_ptrs[info->quant_tbl_no]
                                  : nullptr;
    if (cinfo->cur_comp_info[c] != info || !quant) return false;
    TJpegEighthComponent& component = in.component[c];
    component.h = info->h_samp_factor;
    component.v = info->v_samp_factor;
    std::copy(std::begin(quant->quantval), std::end(quant->quantval), component.quant);
    // The scan header's table numbers are only checked when libjpeg starts decoding.
    const auto numbered = [](int number) { return number >= 0 && number < NUM_HUFF_TBLS; };
    if (!numbered(info->dc_tbl_no) || !numbered(info->ac_tbl_no)) return false;
    component.dc = copy(cinfo->dc_huff_tbl_ptrs[info->dc_tbl_no]);
    component.ac = copy(cinfo->ac_huff_tbl_ptrs[info->ac_tbl_no]);
    if (!component.dc || !component.ac) return false;
  }
  return DecodeJpegEighth(in, *out, owner);
}

// min_width x min_height: the smallest output wanted (0 x 0: full scale).
bool DecodeWith(j_decompress_ptr cinfo, TErrorManager* err, const std::uint8_t* data,
                std::size_t size, int min_width, int min_height, TBitmap24* scratch,
                std::vector<std::uint8_t>* cmyk_row, std::string* error,
                const TEngineOwner* owner) {
  if (setjmp(err->jump)) {
    *error = std::string("JPEG: ") + err->message;
    return false;
  }
  jpeg_mem_src(cinfo, data, static_cast<unsigned long>(size));
  if (!SetUpDecoder(cinfo, size, *error)) return false;
  if (min_width > 0 || min_height > 0) {
    const int eighths = JpegScaleFor(static_cast<int>(cinfo->image_width),
                                     static_cast<int>(cinfo->image_height), min_width, min_height);
    if (eighths == 1 && quick_eighth && DecodeEighthQuickly(cinfo, scratch, owner)) return true;
    if (eighths != 8) {
      cinfo->scale_num = static_cast<unsigned>(eighths);
      jpeg_calc_output_dimensions(cinfo);
    }
  }
  const int width = static_cast<int>(cinfo->output_width);
  const int height = static_cast<int>(cinfo->output_height);
  const bool cmyk = cinfo->out_color_space == JCS_CMYK;
  if (cmyk) cmyk_row->resize(4 * static_cast<std::size_t>(width));
  if (!scratch->SetSize(width, height)) {
    *error = "JPEG: the picture is too large";
    return false;
  }
  jpeg_start_decompress(cinfo);
  constexpr int kBatch = 16;
  JSAMPROW rows[kBatch];
  int next_check = 0;
  while (cinfo->output_scanline < cinfo->output_height) {
    const int first = static_cast<int>(cinfo->output_scanline);
    if (owner && first >= next_check) {
      next_check += 100;
      if (OwnerCancelled(owner)) {
        *error = "JPEG: cancelled";
        return false;
      }
    }
    if (cmyk) {
      rows[0] = cmyk_row->data();
      if (jpeg_read_scanlines(cinfo, rows, 1) != 1) break;
      CmykRowToBgr(cmyk_row->data(), scratch->Row(first), width, cinfo->saw_Adobe_marker);
    } else {
      const int n = std::min(kBatch, height - first);
      for (int i = 0; i < n; ++i) rows[i] = scratch->Row(first + i);
      if (jpeg_read_scanlines(cinfo, rows, static_cast<JDIMENSION>(n)) == 0) break;
    }
  }
  if (cinfo->output_scanline < cinfo->output_height) {
    *error = "JPEG: decoding stopped early";
    return false;
  }
  // The pixels are complete: the trailer after them is not read.
  return true;
}

// A destination that grows a std::string.
struct TStringDestination {
  jpeg_destination_mgr pub;
  std::string* bytes;
};

void InitDestination(j_compress_ptr cinfo) {
  auto* dest = reinterpret_cast<TStringDestination*>(cinfo->dest);
  dest->pub.next_output_byte = reinterpret_cast<JOCTET*>(dest->bytes->data());
  dest->pub.free_in_buffer = dest->bytes->size();
}

boolean EmptyOutputBuffer(j_compress_ptr cinfo) {
  auto* dest = reinterpret_cast<TStringDestination*>(cinfo->dest);
  const std::size_t used = dest->bytes->size();
  bool ok = true;
  try {
    dest->bytes->resize(used * 2);
  } catch (const std::bad_alloc&) {
    ok = false;
  }
  if (!ok) ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 0);
  dest->pub.next_output_byte = reinterpret_cast<JOCTET*>(dest->bytes->data()) + used;
  dest->pub.free_in_buffer = dest->bytes->size() - used;
  return TRUE;
}

void TermDestination(j_compress_ptr cinfo) {
  auto* dest = reinterpret_cast<TStringDestination*>(cinfo->dest);
  dest->bytes->resize(dest->bytes->size() - dest->pub.free_in_buffer);
}

bool EncodeWith(j_compress_ptr cinfo, TErrorManager* err, TStringDestination* dest,
                const TBitmap24* bitmap, int quality, std::string* error) {
  if (setjmp(err->jump)) {
    *error = std::string("JPEG: ") + err->message;
    return false;
  }
  dest->pub.init_destination = InitDestination;
  dest->pub.empty_output_buffer = EmptyOutputBuffer;
  dest->pub.term_destination = TermDestination;
  cinfo->dest = &dest->pub;
  cinfo->image_width = static_cast<JDIMENSION>(bitmap->Width());
  cinfo->image_height = static_cast<JDIMENSION>(bitmap->Height());
  cinfo->input_components = 3;
  cinfo->in_color_space = JCS_EXT_BGR;
  jpeg_set_defaults(cinfo);
  jpeg_set_quality(cinfo, quality, TRUE);
  cinfo->dct_method = JDCT_ISLOW;
  jpeg_start_compress(cinfo, TRUE);
  constexpr int kBatch = 16;
  JSAMPROW rows[kBatch];
  while (cinfo->next_scanline < cinfo->image_height) {
    const int first = static_cast<int>(cinfo->next_scanline);
    const int n = std::min(kBatch, bitmap->Height() - first);
    for (int i = 0; i < n; ++i) rows[i] = const_cast<JSAMPROW>(bitmap->Row(first + i));
    jpeg_write_scanlines(cinfo, rows, static_cast<JDIMENSION>(n));
  }
  jpeg_finish_compress(cinfo);
  return true;
}

}  // namespace

bool IsJpegData(const std::uint8_t* data, std::size_t size) {
  return size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF;
}

namespace {

bool QuickWith(j_decompress_ptr cinfo, TErrorManager* err, const std::uint8_t* data,
               std::size_t size, TBitmap24* out, std::string* error) {
  if (setjmp(err->jump)) return false;
  jpeg_mem_src(cinfo, data, static_cast<unsigned long>(size));
  return SetUpDecoder(cinfo, size, *error) && DecodeEighthQuickly(cinfo, out, nullptr);
}

bool ReadSizeWith(j_decompress_ptr cinfo, TErrorManager* err, const std::uint8_t* data,
                  std::size_t size, std::size_t file_size, int* width, int* height,
                  std::string* error) {
  if (setjmp(err->jump)) {
    *error = std::string("JPEG: ") + err->message;
    return false;
  }
  jpeg_mem_src(cinfo, data, static_cast<unsigned long>(size));
  if (!SetUpDecoder(cinfo, file_size, *error)) return false;
  *width = static_cast<int>(cinfo->output_width);
  *height = static_cast<int>(cinfo->output_height);
  return true;
}

}  // namespace

bool ReadJpegSize(const std::uint8_t* data, std::size_t size, int& width, int& height,
                  std::string& error) {
  return ReadJpegSize(data, size, size, width, height, error);
}

bool ReadJpegSize(const std::uint8_t* data, std::size_t size, std::size_t file_size, int& width,
                  int& height, std::string& error) {
  if (size == 0) {
    error = "JPEG: the file is empty";
    return false;
  }
  jpeg_decompress_struct cinfo;
  TErrorManager err;
  InitErrors(err);
  cinfo.err = &err.pub;
  jpeg_create_decompress(&cinfo);
  const bool ok =
      ReadSizeWith(&cinfo, &err, data, size, std::max(size, file_size), &width, &height, &error);
  jpeg_destroy_decompress(&cinfo);
  return ok;
}

int JpegScaleFor(int width, int height, int min_width, int min_height) {
  for (int eighths = 1; eighths < 8; ++eighths) {
    const long long w = (static_cast<long long>(width) * eighths + 7) / 8;
    const long long h = (static_cast<long long>(height) * eighths + 7) / 8;
    if (w >= min_width && h >= min_height) return eighths;
  }
  return 8;
}

bool DecodeJpeg(const std::uint8_t* data, std::size_t size, TBitmap24& out, std::string& error,
                const TEngineOwner* owner) {
  return DecodeJpegAtLeast(data, size, 0, 0, out, error, owner);
}

bool DecodeJpegAtLeast(const std::uint8_t* data, std::size_t size, int min_width, int min_height,
                       TBitmap24& out, std::string& error, const TEngineOwner* owner) {
  if (size == 0) {
    error = "JPEG: the file is empty";
    return false;
  }
  TBitmap24 scratch;
  std::vector<std::uint8_t> cmyk_row;
  jpeg_decompress_struct cinfo;
  TErrorManager err;
  InitErrors(err);
  cinfo.err = &err.pub;
  TProgress progress;
  progress.pub.progress_monitor = ProgressMonitor;
  progress.err = &err;
  jpeg_create_decompress(&cinfo);
  cinfo.progress = &progress.pub;
  bool ok = false;
  try {
    ok = DecodeWith(&cinfo, &err, data, size, min_width, min_height, &scratch, &cmyk_row, &error,
                    owner);
  } catch (const std::bad_alloc&) {
    error = "JPEG: out of memory";
    ok = false;
  }
  jpeg_destroy_decompress(&cinfo);
  if (ok) out.Swap(scratch);
  return ok;
}

bool DecodeJpegEighthQuickly(const std::uint8_t* data, std::size_t size, TBitmap24& out) {
  if (size == 0) return false;
  jpeg_decompress_struct cinfo;
  TErrorManager err;
  InitErrors(err);
  cinfo.err = &err.pub;
  jpeg_create_decompress(&cinfo);
  TBitmap24 scratch;
  std::string error;
  bool ok = false;
  try {
    ok = QuickWith(&cinfo, &err, data, size, &scratch, &error);
  } catch (const std::bad_alloc&) {
    ok = false;
  }
  jpeg_destroy_decompress(&cinfo);
  if (ok) out.Swap(scratch);
  return ok;
}

void SetQuickEighthDecoding(bool on) { quick_eighth = on; }

bool EncodeJpeg(const TBitmap24& bitmap, int quality, std::string& bytes, std::string& error) {
  if (bitmap.Empty()) {
    error = "JPEG: the picture has no pixels";
    return false;
  }
  quality = std::clamp(quality, 1, 100);
  std::string buffer;
  // A first guess that most pictures fit; the destination doubles it when needed.
  buffer.resize(std::max<std::size_t>(4096, bitmap.ByteSize() / 4));
  jpeg_compress_struct cinfo;
  TErrorManager err;
  InitErrors(err);
  cinfo.err = &err.pub;
  TStringDestination dest;
  dest.bytes = &buffer;
  jpeg_create_compress(&cinfo);
  bool ok = false;
  try {
    ok = EncodeWith(&cinfo, &err, &dest, &bitmap, quality, &error);
  } catch (const std::bad_alloc&) {
    error = "JPEG: out of memory";
    ok = false;
  }
  jpeg_destroy_compress(&cinfo);
  if (ok) bytes.swap(buffer);
  return ok;
}
