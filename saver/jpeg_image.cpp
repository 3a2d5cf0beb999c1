#include "saver/jpeg_image.h"

// libjpeg's header needs FILE and size_t declared before it.
#include <cstdio>
#include <csetjmp>
#include <string>

#include <jpeglib.h>

namespace wd {
namespace {

// libjpeg reports fatal errors through error_exit, which must not return; it
// jumps back to Decode, which turns the failure into a result (no C++ object of
// ours lives between the jump and its target).
struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf jump;
};

[[noreturn]] void LeaveOnError(j_common_ptr info) {
  std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

// Warnings (for instance a truncated file padded by libjpeg) are not reported.
void IgnoreMessage(j_common_ptr) {}

// Decodes into image; on failure returns libjpeg's message code, else 0.
int Decode(jpeg_decompress_struct* info, ErrorManager* errors, const std::uint8_t* data,
           std::size_t size, BgraImage* image) {
  info->err = jpeg_std_error(&errors->base);
  errors->base.error_exit = LeaveOnError;
  errors->base.output_message = IgnoreMessage;
  if (setjmp(errors->jump) != 0) {
    const int code = errors->base.msg_code;
    jpeg_destroy_decompress(info);
    return code != 0 ? code : -1;
  }
  jpeg_create_decompress(info);
  jpeg_mem_src(info, data, static_cast<unsigned long>(size));
  jpeg_read_header(info, TRUE);
  info->out_color_space = JCS_EXT_BGRA;
  jpeg_start_decompress(info);
  image->width = static_cast<int>(info->output_width);
  image->height = static_cast<int>(info->output_height);
  image->pixels.assign(image->stride() * info->output_height, 0);
  while (info->output_scanline < info->output_height) {
    JSAMPROW row = image->pixels.data() + image->stride() * info->output_scanline;
    jpeg_read_scanlines(info, &row, 1);
  }
  jpeg_finish_decompress(info);
  jpeg_destroy_decompress(info);
  return 0;
}

}  // namespace

BgraImage DecodeJpeg(std::span<const std::uint8_t> bytes) {
  jpeg_decompress_struct info{};
  ErrorManager errors{};
  BgraImage image;
  const int code = Decode(&info, &errors, bytes.data(), bytes.size(), &image);
  if (code != 0) throw JpegError("JPEG error #" + std::to_string(code));
  return image;
}

}  // namespace wd
