// What both of the program's PNG readers (the skin file and the pictures it
// carries) need from libpng: read structures that free themselves, errors
// that come back by longjmp instead of reaching a console, memory as input,
// and the reading of the rows.
#ifndef TARVELO_UI_PNG_READER_H
#define TARVELO_UI_PNG_READER_H

#include <png.h>

#include <cstddef>
#include <cstring>

namespace tarvelo {

// The read and info structures of one decoding. ok() is false when libpng
// could not make them.
class PngReader {
 public:
  PngReader()
      : png_(png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning)),
        info_(png_ ? png_create_info_struct(png_) : nullptr) {}
  ~PngReader() { png_destroy_read_struct(&png_, &info_, nullptr); }
  PngReader(const PngReader&) = delete;
  PngReader& operator=(const PngReader&) = delete;

  bool ok() const { return info_ != nullptr; }
  png_structp png() const { return png_; }
  png_infop info() const { return info_; }

 private:
  [[noreturn]] static void OnError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
  static void OnWarning(png_structp, png_const_charp) {}

  png_structp png_;
  png_infop info_;
};

struct PngMemoryInput {
  const png_byte* next;
  std::size_t left;
};

// The read function for png_set_read_fn with a PngMemoryInput.
inline void ReadPngFromMemory(png_structp png, png_bytep out, std::size_t count) {
  auto* input = static_cast<PngMemoryInput*>(png_get_io_ptr(png));
  if (count > input->left) png_error(png, "unexpected end of data");
  std::memcpy(out, input->next, count);
  input->next += count;
  input->left -= count;
}

// Reads every row, then the chunks after them, so that a file cut after its
// image data still fails. It holds the setjmp that libpng's errors come back
// to, so it owns nothing with a destructor: the rows were made by the caller.
inline bool ReadPngRows(png_structp png, png_bytepp rows) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_read_image(png, rows);
  png_read_end(png, nullptr);
  return true;
}

}  // namespace tarvelo

#endif
