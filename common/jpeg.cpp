#include "common/jpeg.h"

// libjpeg's header needs FILE and size_t declared before it.
#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace wd {
namespace {

// libjpeg reports fatal errors through error_exit, which must not return; it jumps
// back to Decode, which turns the failure into a result. Nothing with a destructor
// lives in Decode's frame between the setjmp and the jump.
struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void LeaveOnError(j_common_ptr info) {
  auto* errors = reinterpret_cast<ErrorManager*>(info->err);
  (*info->err->format_message)(info, errors->message);
  std::longjmp(errors->jump, 1);
}

// Warnings (for instance a truncated file padded by libjpeg) are not reported.
void IgnoreMessage(j_common_ptr) {}
void IgnoreEmit(j_common_ptr, int) {}

// 0 when decoded, 1 when libjpeg failed, 2 when the picture is over the limit.
int Decode(jpeg_decompress_struct* info, ErrorManager* errors, std::span<const std::uint8_t> data,
           std::span<const std::uint8_t> tables, J_COLOR_SPACE space, std::uint64_t max_pixels,
           JpegPixels* out) {
  info->err = jpeg_std_error(&errors->base);
  errors->base.error_exit = LeaveOnError;
  errors->base.output_message = IgnoreMessage;
  errors->base.emit_message = IgnoreEmit;
  errors->message[0] = 0;
  if (setjmp(errors->jump) != 0) {
    jpeg_destroy_decompress(info);
    return 1;
  }
  jpeg_create_decompress(info);
  if (!tables.empty()) {
    jpeg_mem_src(info, tables.data(), static_cast<unsigned long>(tables.size()));
    jpeg_read_header(info, FALSE);
  }
  jpeg_mem_src(info, data.data(), static_cast<unsigned long>(data.size()));
  jpeg_read_header(info, TRUE);
  if (max_pixels != 0 && std::uint64_t{info->image_width} * info->image_height > max_pixels) {
    jpeg_destroy_decompress(info);
    return 2;
  }
  info->out_color_space = space;
  jpeg_start_decompress(info);
  out->width = static_cast<int>(info->output_width);
  out->height = static_cast<int>(info->output_height);
  const std::size_t stride = std::size_t{info->output_width} * 4;
  // Opaque black where a row could not be read.
  out->bytes.assign(stride * info->output_height, 0);
  for (std::size_t i = 3; i < out->bytes.size(); i += 4) out->bytes[i] = 255;
  while (info->output_scanline < info->output_height) {
    JSAMPROW row = out->bytes.data() + stride * info->output_scanline;
    if (jpeg_read_scanlines(info, &row, 1) != 1) break;
  }
  jpeg_finish_decompress(info);
  jpeg_destroy_decompress(info);
  return 0;
}

}  // namespace

bool DecodeJpegPixels(std::span<const std::uint8_t> data, JpegPixelOrder order, JpegPixels& out,
                      JpegFailure& failure, std::span<const std::uint8_t> tables,
                      std::uint64_t max_pixels) {
  jpeg_decompress_struct info{};
  ErrorManager errors{};
  const J_COLOR_SPACE space = order == JpegPixelOrder::kRgba ? JCS_EXT_RGBA : JCS_EXT_BGRA;
  switch (Decode(&info, &errors, data, tables, space, max_pixels, &out)) {
    case 0:
      return true;
    case 1:
      failure.code = errors.base.msg_code != 0 ? errors.base.msg_code : -1;
      failure.message = errors.message;
      return false;
    default:
      failure.code = 0;
      failure.message = "image too large";
      return false;
  }
}

}  // namespace wd
