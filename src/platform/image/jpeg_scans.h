// Counting the scans of a JPEG stream without decoding it.
//
// A progressive JPEG is decoded scan by scan, and every scan costs the
// decoder a pass over all of the picture's blocks, however few bytes the
// scan takes on disk: a file of a megabyte or two can hold ten thousand
// scans and keep a thread busy for a minute. Encoders write a few dozen
// scans at most, so the count alone tells such a file from a photograph.
#ifndef ZORVADEL_PLATFORM_IMAGE_JPEG_SCANS_H_
#define ZORVADEL_PLATFORM_IMAGE_JPEG_SCANS_H_

#include <cstdint>

namespace zorvadel::image {

// The scans (SOS segments) of the JPEG stream in the first `size` bytes of
// the open file `descriptor`, up to its first EOI, found the way a decoder
// finds them: marker segments are stepped over by their lengths, and
// everything else up to the next marker (entropy-coded data, restart
// markers, stuffed bytes, stray bytes a decoder would also skip) is passed
// over. The count stops once it exceeds `limit`, so it is at most
// limit + 1. A stream that breaks off, or whose bytes end in a marker no
// decoder reads on from, is counted as far as it goes; a file that does not
// begin with SOI has no scans. Reads with pread, so the descriptor's offset
// is left alone, and reads every byte at most once.
int64_t CountJpegScans(int descriptor, uint64_t size, int64_t limit);

}  // namespace zorvadel::image

#endif  // ZORVADEL_PLATFORM_IMAGE_JPEG_SCANS_H_
