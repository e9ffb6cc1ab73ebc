// The image component over libvips: the header at Open, shrink-on-load
// thumbnailing at Save, both from the descriptor that the regular-file test
// opened.
#include "platform/image/jpeg.h"

#include <unistd.h>
#include <vips/vips.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <string>
#include <system_error>

#include "platform/codepage/codepage.h"
#include "platform/fso/regular_file.h"
#include "zorvadel/member_table.h"

namespace zorvadel::image {
namespace {

// The number the component raises for a failed Open or Save, with the
// library's own message as its description.
constexpr int32_t kErrImage = -2147467259;

// The decoders of the formats a site's pictures come in, all the library's
// own: the family's base class, and the loader of the family that reads a
// picture from an open file.
constexpr struct {
  const char* family;
  const char* source_loader;
} kPictureLoaders[] = {
    {"VipsForeignLoadJpeg", "VipsForeignLoadJpegSource"},
    {"VipsForeignLoadPng", "VipsForeignLoadPngSource"},
    {"VipsForeignLoadNsgif", "VipsForeignLoadNsgifSource"},
    {"VipsForeignLoadWebp", "VipsForeignLoadWebpSource"},
    {"VipsForeignLoadTiff", "VipsForeignLoadTiffSource"},
};

void StartVips() {
  static std::once_flag once;
  std::call_once(once, [] {
    if (VIPS_INIT("zorvadel") != 0) vips_error_clear();
    // The library guesses a file's format from its first bytes, whatever
    // its name says, and some of its decoders run outside converters or
    // parse documents (an SVG, a PDF) that can take the server down. Every
    // decoder but the pictures' own is blocked for the whole process, so
    // that nothing reaches one even past the test at Open.
    vips_block_untrusted_set(TRUE);
    vips_operation_block_set("VipsForeignLoad", TRUE);
    for (const auto& loader : kPictureLoaders) vips_operation_block_set(loader.family, FALSE);
    // A picture the component cannot read is reported by the error it
    // raises; libvips's own warnings about it would only fill the server's
    // log.
    g_log_set_handler("VIPS", G_LOG_LEVEL_WARNING,
                      [](const gchar*, GLogLevelFlags, const gchar*, gpointer) {}, nullptr);
    // Pictures are read once each: a cache of decoded pictures would only
    // hold memory between requests.
    vips_cache_set_max(0);
  });
}

[[noreturn]] void Raise(const std::u16string& what) {
  std::u16string text = what;
  const char* detail = vips_error_buffer();
  if (detail != nullptr && *detail != '\0') text += u": " + codepage::FromUtf8(detail);
  vips_error_clear();
  throw ScriptError(kErrImage, text);
}

std::string DiskPath(const std::u16string& path) {
  if (path.empty() || path.find(u'\0') != std::u16string::npos) {
    throw ScriptError(kErrInvalidArgument);
  }
  return codepage::ToUtf8(path);
}

bool IsPictureLoader(const char* loader) {
  if (loader == nullptr) return false;
  for (const auto& allowed : kPictureLoaders) {
    if (std::strcmp(loader, allowed.source_loader) == 0) return true;
  }
  return false;
}

int32_t Pixels(double side) {
  // Half up; NaN and values that round to 0 are refused, as are sides no
  // picture under the pixel limit can have.
  if (!(side >= 0.5) || side > static_cast<double>(kMaxPixels)) {
    throw ScriptError(kErrInvalidArgument);
  }
  return static_cast<int32_t>(std::floor(side + 0.5));
}

std::string LowerExtension(const std::string& path) {
  std::string extension = std::filesystem::path(path).extension().string();
  for (char& c : extension) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  }
  return extension;
}

struct ImageRef {
  VipsImage* image = nullptr;
  ~ImageRef() {
    if (image != nullptr) g_object_unref(image);
  }
};

std::atomic<unsigned> temp_counter{0};

}  // namespace

struct Jpeg::Source {
  explicit Source(VipsSource* opened) : source(opened) {}
  ~Source() {
    if (source != nullptr) g_object_unref(source);
  }
  Source(const Source&) = delete;
  Source& operator=(const Source&) = delete;
  VipsSource* source;
};

namespace {

// Asked again before every decoding: the file's bytes may have changed
// since the last look.
void RequirePicture(VipsSource* source) {
  if (!IsPictureLoader(vips_foreign_find_load_source(source))) {
    vips_error_clear();
    throw ScriptError(kErrImage, u"The file is no picture of a format the component reads");
  }
}

}  // namespace

void Jpeg::Open(const std::u16string& path) {
  StartVips();
  const fso::RegularFile file(path);
  if (file.kind() == fso::PathKind::kNoName) throw ScriptError(kErrInvalidArgument);
  if (!file.ok()) throw ScriptError(kErrImage, u"The picture cannot be opened");
  // The library takes a descriptor of its own; ours closes with `file`.
  auto source = std::make_shared<Source>(vips_source_new_from_descriptor(file.descriptor()));
  if (source->source == nullptr) Raise(u"The picture cannot be opened");
  RequirePicture(source->source);
  ImageRef header;
  // Only the header is read here; the pixels stay on disk until Save.
  header.image = vips_image_new_from_source(source->source, "", nullptr);
  if (header.image == nullptr) Raise(u"The picture cannot be opened");
  const int64_t width = vips_image_get_width(header.image);
  const int64_t height = vips_image_get_height(header.image);
  if (width <= 0 || height <= 0 || width * height > kMaxPixels) {
    throw ScriptError(kErrImage, u"The picture is larger than the component accepts");
  }
  source_ = std::move(source);
  width_ = static_cast<int32_t>(width);
  height_ = static_cast<int32_t>(height);
}

void Jpeg::SetWidth(double width) { width_ = Pixels(width); }
void Jpeg::SetHeight(double height) { height_ = Pixels(height); }

void Jpeg::Save(const std::u16string& path) {
  if (!source_) throw ScriptError(kErrImage, u"No picture is open");
  StartVips();
  const std::string target = DiskPath(path);
  RequirePicture(source_->source);
  ImageRef thumbnail;
  if (vips_thumbnail_source(source_->source, &thumbnail.image, width_, "height", height_, "size",
                            VIPS_SIZE_FORCE, nullptr) != 0) {
    Raise(u"The picture cannot be read");
  }
  // Written beside the target and renamed over it: a reader never finds
  // half a thumbnail, and a failed save leaves no file behind.
  const std::string temp = target + ".tmp-" + std::to_string(getpid()) + "-" +
                           std::to_string(temp_counter++);
  const std::string extension = LowerExtension(target);
  int rc;
  if (extension == ".png") {
    rc = vips_pngsave(thumbnail.image, temp.c_str(), nullptr);
  } else if (extension == ".gif") {
    rc = vips_gifsave(thumbnail.image, temp.c_str(), nullptr);
  } else {
    rc = vips_jpegsave(thumbnail.image, temp.c_str(), "Q", 85, "strip", TRUE, nullptr);
  }
  std::error_code ec;
  if (rc == 0) std::filesystem::rename(temp, target, ec);
  if (rc != 0 || ec) {
    std::filesystem::remove(temp, ec);
    Raise(u"The thumbnail cannot be saved");
  }
}

const ClassInfo& Jpeg::Class() const {
  using J = Jpeg;
  static const ClassInfo info = ClassBuilder<J>(u"Jpeg")
                                    .Method<&J::Open>(u"Open", {Req(u"Path")})
                                    .Property<&J::Width, &J::SetWidth>(u"Width")
                                    .Property<&J::Height, &J::SetHeight>(u"Height")
                                    .Method<&J::Save>(u"Save", {Req(u"Path")})
                                    .Build();
  return info;
}

}  // namespace zorvadel::image
