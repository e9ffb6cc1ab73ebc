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
// picture that would exhaust its memory, and so is a JPEG of more scans
// than encoders write, whose decoding would cost a pass over every pixel
// for each scan. Whatever else makes a decoding slow, Save gives up on it
// after kMaxDecodeTime and raises kErrTooSlow, so that no picture holds a
// page's thread for long (Open gives up on a header the same way). Every
// failure raises.
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

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "zorvadel/variant.h"

namespace zorvadel::image {

inline constexpr int64_t kMaxPixels = 100'000'000;
// Encoders write a handful of scans (ten for a colour photograph with the
// usual progression), and those that search for the smallest file a few
// dozen; a hundred refuses nothing an encoder made, and keeps the scans'
// work on the largest picture accepted to well under a second. The TIFF
// decoder holds the JPEG strips inside a TIFF to the same number.
inline constexpr int64_t kMaxScans = 100;
// The longest that Open reads a header for, and that Save decodes, resizes
// and writes a picture for: a thumbnail of the largest picture accepted
// takes a second or so unless the machine is overloaded.
inline constexpr std::chrono::seconds kMaxDecodeTime{5};
// Raised by Save for a picture it gave up on after kMaxDecodeTime: the
// number of an operation that timed out.
inline constexpr int32_t kErrTooSlow = -2147023436;

class Jpeg : public Object {
 public:
  const ClassInfo& Class() const override;

  // Raises when the file is missing, not a regular file, no picture of the
  // formats above, too large, or a JPEG of more than kMaxScans scans.
  void Open(const std::u16string& path);
  // 0 before Open.
  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  // Raises 5 for a value below 0.5 or beyond 100 megapixels' side, or NaN.
  void SetWidth(double width);
  void SetHeight(double height);
  // Raises when nothing is open or the file cannot be written, and
  // kErrTooSlow when decoding and writing the thumbnail would take longer
  // than kMaxDecodeTime; no file is left behind then either.
  void Save(const std::u16string& path);

 private:
  struct Source;
  std::shared_ptr<Source> source_;  // the opened file, read again by Save
  int32_t width_ = 0;
  int32_t height_ = 0;
};

}  // namespace zorvadel::image

#endif  // ZORVADEL_PLATFORM_IMAGE_JPEG_H_
