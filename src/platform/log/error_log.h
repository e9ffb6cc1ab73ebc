// The process's error output, one line per event, kept from flooding.
//
// A failing database or a broken client can repeat one failure thousands
// of times a second; each line tells the operator something only the first
// time. So the same line is written at most once a second: the repeats in
// between are counted, and the count is told with the line's next writing,
// or by Flush() once the second has passed (the engine calls it from its
// timer, and the process's end calls it too).
//
// Lines go to stderr whole, with one write each, so that lines of threads
// that write at once never interleave.
#ifndef ZORVADEL_PLATFORM_LOG_ERROR_LOG_H_
#define ZORVADEL_PLATFORM_LOG_ERROR_LOG_H_

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace zorvadel::log {

// Writes `line` (without its newline) unless the same line was written less
// than a second ago; then it is only counted. A line longer than 2,000 bytes
// is cut there.
void Line(std::string_view line);

// Writes, for every line held back for a second or more, how many times it
// was left out ("... (N more like this in S s)").
void Flush();

// Where lines go instead of stderr: for tests. An empty function restores
// stderr.
void SetSinkForTesting(std::function<void(std::string_view)> sink);

// Forgets what was written: for tests.
void ResetForTesting();

}  // namespace zorvadel::log

#endif  // ZORVADEL_PLATFORM_LOG_ERROR_LOG_H_
