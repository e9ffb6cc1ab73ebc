// The image component: one picture, created by ProgID ("Persits.Jpeg"),
// opened from a disk path, given a new size and saved as a thumbnail.
//
//   Open(path)              reads the picture's header: its size
//   Width, Height           the size the picture will be saved at (after
//                           Open its own size); set values may be fractional:
//                           they are rounded half up, to at least 1 pixel
//   Save(path)              decodes, resizes and writes the picture in the
//                           format the path's extension names (.png, .gif;
//                           JPEG for any other), whole or not at all
//
// Decoding is left until Save, where the picture is shrunk while it is read
// (a JPEG is decoded at a fraction of its size), so a thumbnail of a large
// photograph costs little memory. A picture of more than 100 megapixels is
// refused at Open, so that no request can make the server decode a
// picture that would exhaust its memory. Every failure raises.
//
// Only the formats a site's pictures come in are opened: JPEG, PNG, GIF,
// WebP and TIFF, each read by the library's own decoder. Anything else (an
// SVG or a PDF under a picture's name, a format only an outside converter
// reads) is refused at Open as no picture, and so is whatever is not a
// regular file: Open reads the file it opened and checked, never the name
// again, so neither a device, a FIFO nor a file swapped in afterwards can
// reach the decoder.
#ifndef ZORVADEL_PLATFORM_IMAGE_JPEG_H_
#define ZORVADEL_PLATFORM_IMAGE_JPEG_H_

#include <cstdint>
#include <memory>
#include <string>

#include "zorvadel/variant.h"

namespace zorvadel::image {

inline constexpr int64_t kMaxPixels = 100'000'000;

class Jpeg : public Object {
 public:
  const ClassInfo& Class() const override;

  // Raises when the file is missing, not a regular file, no picture of the
  // formats above, or too large.
  void Open(const std::u16string& path);
  // 0 before Open.
  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  // Raises 5 for a value below 0.5 or beyond 100 megapixels' side, or NaN.
  void SetWidth(double width);
  void SetHeight(double height);
  // Raises when nothing is open or the file cannot be written.
  void Save(const std::u16string& path);

 private:
  struct Source;
  std::shared_ptr<Source> source_;  // the opened file, read again by Save
  int32_t width_ = 0;
  int32_t height_ = 0;
};

}  // namespace zorvadel::image

#endif  // ZORVADEL_PLATFORM_IMAGE_JPEG_H_
