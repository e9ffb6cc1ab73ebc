// The image component over libvips: the header at Open, shrink-on-load
// thumbnailing at Save, both from the descriptor that the regular-file test
// opened.
#include "platform/image/jpeg.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vips/vips.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <mutex>
#include <string>
#include <system_error>

#include "platform/codepage/codepage.h"
#include "platform/fso/regular_file.h"
#include "platform/fso/sqlite_neighbours.h"
#include "platform/image/jpeg_scans.h"
#include "zorvadel/member_table.h"

namespace zorvadel::image {
namespace {

// The number the component raises for a failed Open or Save, with the
// library's own message as its description.
constexpr int32_t kErrImage = -2147467259;

// The decoders of the formats a site's pictures come in, all the library's
// own: the family's base class, and the loader of the family that reads a
// picture from an open file. The first is the JPEG one.
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

bool IsJpegLoader(const char* loader) {
  return std::strcmp(loader, kPictureLoaders[0].source_loader) == 0;
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

// The opened file as the library reads it: a descriptor of our own, read
// with pread at the offset the library last asked for. Every read first
// looks at the clock, which runs while Open reads the header and while
// Save decodes: past the deadline the read fails. A decoder that works on
// and on between reads (a JPEG decoder taking in scan after scan) is
// stopped at its next one, which it takes for the end of the file; the
// evaluation's progress reports stop whatever runs from one tile to the
// next.
struct Jpeg::Source {
  explicit Source(int own_descriptor)
      : descriptor(own_descriptor), source(vips_source_custom_new()) {
    g_signal_connect(source, "read", G_CALLBACK(&Source::OnRead), this);
    g_signal_connect(source, "seek", G_CALLBACK(&Source::OnSeek), this);
  }
  ~Source() {
    // A pipeline that outlives us finds a source that reads nothing.
    g_signal_handlers_disconnect_by_data(source, this);
    g_object_unref(source);
    fso::CloseBesideSqlite(descriptor);
  }
  Source(const Source&) = delete;
  Source& operator=(const Source&) = delete;

  VipsSource* vips() const { return VIPS_SOURCE(source); }

  // The deadline for the reading of one Open or Save, for as long as it
  // lives: reads at other times are never refused.
  class Clock {
   public:
    explicit Clock(Source& source) : source_(source) {
      source_.too_slow.store(false);
      const auto deadline = std::chrono::steady_clock::now() + kMaxDecodeTime;
      source_.deadline_ns.store(deadline.time_since_epoch().count());
    }
    ~Clock() { source_.deadline_ns.store(kNoDeadline); }
    Clock(const Clock&) = delete;
    Clock& operator=(const Clock&) = delete;

   private:
    Source& source_;
  };
  // Whether a read or a progress report met the deadline of the last Clock.
  bool CutShort() const { return too_slow.load(); }
  // True once the running clock's deadline has passed; it stays passed.
  bool Expired() {
    const int64_t deadline = deadline_ns.load();
    if (deadline == kNoDeadline) return false;
    if (too_slow.load()) return true;
    if (std::chrono::steady_clock::now().time_since_epoch().count() <= deadline) return false;
    too_slow.store(true);
    return true;
  }

  static gint64 OnRead(VipsSourceCustom*, void* buffer, gint64 length, Source* self) {
    if (length <= 0) return 0;
    if (self->Expired()) return -1;
    const off_t at = self->offset.load();
    ssize_t got;
    do {
      got = pread(self->descriptor, buffer, static_cast<size_t>(length), at);
    } while (got < 0 && errno == EINTR);
    if (got > 0) self->offset.store(at + got);
    return got;
  }
  static gint64 OnSeek(VipsSourceCustom*, gint64 offset, int whence, Source* self) {
    gint64 base = 0;
    if (whence == SEEK_CUR) {
      base = self->offset.load();
    } else if (whence == SEEK_END) {
      struct stat facts;
      if (fstat(self->descriptor, &facts) != 0) return -1;
      base = facts.st_size;
    } else if (whence != SEEK_SET) {
      return -1;
    }
    if (offset < -base || offset > std::numeric_limits<gint64>::max() - base) return -1;
    self->offset.store(base + offset);
    return base + offset;
  }
  static void OnEval(VipsImage* image, VipsProgress*, Source* self) {
    if (self->Expired()) vips_image_set_kill(image, TRUE);
  }

  const int descriptor;
  VipsSourceCustom* const source;
  // The library reads a source from one thread at a time, though not
  // always the same one.
  std::atomic<off_t> offset{0};
  static constexpr int64_t kNoDeadline = std::numeric_limits<int64_t>::max();
  std::atomic<int64_t> deadline_ns{kNoDeadline};
  std::atomic<bool> too_slow{false};
};

namespace {

// Asked again before every decoding: the file's bytes may have changed
// since the last look. Returns the loader that reads them.
const char* RequirePicture(VipsSource* source) {
  const char* loader = vips_foreign_find_load_source(source);
  if (!IsPictureLoader(loader)) {
    vips_error_clear();
    throw ScriptError(kErrImage, u"The file is no picture of a format the component reads");
  }
  return loader;
}

}  // namespace

void Jpeg::Open(const std::u16string& path) {
  StartVips();
  const fso::RegularFile file(path);
  if (file.kind() == fso::PathKind::kNoName) throw ScriptError(kErrInvalidArgument);
  if (!file.ok()) throw ScriptError(kErrImage, u"The picture cannot be opened");
  // The library reads a descriptor of its own; ours closes with `file`.
  const int own = fcntl(file.descriptor(), F_DUPFD_CLOEXEC, 0);
  if (own < 0) throw ScriptError(kErrImage, u"The picture cannot be opened");
  auto source = std::make_shared<Source>(own);
  // Reading a header is quick, but some formats let a file make it long.
  const Source::Clock clock(*source);
  if (IsJpegLoader(RequirePicture(source->vips())) &&
      CountJpegScans(file.descriptor(), file.size(), kMaxScans) > kMaxScans) {
    throw ScriptError(kErrImage, u"The picture has more scans than the component decodes");
  }
  ImageRef header;
  // Only the header is read here; the pixels stay on disk until Save.
  header.image = vips_image_new_from_source(source->vips(), "", nullptr);
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
  const Source::Clock clock(*source_);
  RequirePicture(source_->vips());
  ImageRef thumbnail;
  int rc = vips_thumbnail_source(source_->vips(), &thumbnail.image, width_, "height", height_,
                                 "size", VIPS_SIZE_FORCE, nullptr);
  if (rc != 0 && !source_->CutShort()) Raise(u"The picture cannot be read");
  // Written beside the target and renamed over it: a reader never finds
  // half a thumbnail, and a failed save leaves no file behind.
  const std::string temp = target + ".tmp-" + std::to_string(getpid()) + "-" +
                           std::to_string(temp_counter++);
  if (rc == 0) {
    vips_image_set_progress(thumbnail.image, TRUE);
    g_signal_connect(thumbnail.image, "eval", G_CALLBACK(&Source::OnEval), source_.get());
    const std::string extension = LowerExtension(target);
    if (extension == ".png") {
      rc = vips_pngsave(thumbnail.image, temp.c_str(), nullptr);
    } else if (extension == ".gif") {
      rc = vips_gifsave(thumbnail.image, temp.c_str(), nullptr);
    } else {
      rc = vips_jpegsave(thumbnail.image, temp.c_str(), "Q", 85, "strip", TRUE, nullptr);
    }
  }
  // A decoder cut short by the deadline may still have finished its
  // picture from what it had read; nothing of it is kept.
  const bool too_slow = source_->CutShort();
  std::error_code ec;
  if (rc == 0 && !too_slow) std::filesystem::rename(temp, target, ec);
  if (rc != 0 || too_slow || ec) {
    std::filesystem::remove(temp, ec);
    if (too_slow) {
      vips_error_clear();
      throw ScriptError(kErrTooSlow, u"The picture takes too long to decode");
    }
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
