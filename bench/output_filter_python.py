#!/usr/bin/env python3
"""CPython's s.encode('ascii', 'xmlcharrefreplace') on the texts of
bench/output_filter.cc: the same pieces, repeated and cut at 1 Mi
characters (every character is in the basic plane, so a character there is
one UTF-16 unit here; the SHA-1 printed is that of the UTF-16 text). Prints
characters per second, like the items_per_second column of the C++
benchmark. The hostile texts are left out: CPython leaves "&" alone, so they
are plain ASCII to it."""
import hashlib
import sys
import timeit

MI = 1 << 20
PIECES = {
    "ascii": ("<p>The quick brown fox jumps over the lazy dog; News 2024: \"markup\" "
              "stays as it is, caf\u00e9 too.</p>\r\n"),
    "mixed": ("今天天气很好，我们去公园散步。<b>News</b> 2024: Tom & Jerry &amp; friends; "
              "手机网站建设，欢迎访问！长江以南的城市里，行人很多。The quick brown fox.\r\n"),
}


def make_text(piece, size=MI):
    return (piece * (size // len(piece) + 1))[:size]


def main():
    print(f"CPython {sys.version.split()[0]}")
    for name, piece in PIECES.items():
        text = make_text(piece)
        digest = hashlib.sha1(text.encode("utf-16-le")).hexdigest()[:12]
        encode = text.encode
        runs = 5
        best = min(timeit.repeat(lambda: encode("ascii", "xmlcharrefreplace"),
                                 number=runs, repeat=5)) / runs
        print(f"{name:8s} {len(text)} chars (utf-16 sha1 {digest}): "
              f"{best * 1e3:8.2f} ms  {len(text) / best / 1e6:9.1f} M chars/s  "
              f"{2 * len(text) / best / 1e6:9.1f} MB/s of UTF-16")


if __name__ == "__main__":
    main()
