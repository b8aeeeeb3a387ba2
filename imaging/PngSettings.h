#pragma once
// How the PNG encoder trades speed against file size.

namespace qm {

/// Settings of the PNG encoder. The bit values of the filter choice and the
/// strategy numbers are those of libspng and zlib.
struct PngSettings {
  /// Row filters the encoder may choose from (several: it picks per row).
  static constexpr int kFilterNone = 8;
  static constexpr int kFilterSub = 16;
  static constexpr int kFilterUp = 32;
  static constexpr int kFilterAverage = 64;
  static constexpr int kFilterPaeth = 128;
  static constexpr int kFilterAll = 8 | 16 | 32 | 64 | 128;

  /// zlib strategies.
  static constexpr int kStrategyDefault = 0;
  static constexpr int kStrategyFiltered = 1;
  static constexpr int kStrategyHuffmanOnly = 2;
  static constexpr int kStrategyRle = 3;

  int compressionLevel = 6;  ///< zlib level, 0 (store) to 9 (smallest)
  int filters = kFilterAll;
  int strategy = kStrategyFiltered;
  int memoryLevel = 8;       ///< zlib memLevel, 1 to 9

  /// When true, WritePngFile picks the filter for each picture: pictures that
  /// are mostly runs of one colour (text, shapes, flat fills) are written
  /// unfiltered at `flatLevel`, which deflate compresses best on them; others
  /// (photos, gradients) keep `filters`.
  bool adaptToPicture = false;
  int flatLevel = 2;

  /// The program's choice, made for speed on rendered slides at a reasonable
  /// size; every PNG the program writes uses it. Measured with
  /// bench/imaging_bench.cpp --sweep: on text-and-shape slides no filter at
  /// level 2 is both the fastest and the smallest of the fast settings (about
  /// 6.5 ms and 58 KB per 960 x 540 slide, against 8 ms and 71 KB for UP at
  /// level 1, and 39 ms and 61 KB for zlib's level 6 with adaptive filtering);
  /// on photo-like slides UP at level 1 is far smaller than no filter (254 KB
  /// against 331 KB) at about a sixth of zlib's default time. Choosing the
  /// filter per row ("adaptive") costs 2 to 3 times the time for about 1%.
  static PngSettings Defaults() {
    PngSettings s;
    s.compressionLevel = 1;
    s.filters = kFilterUp;
    s.strategy = kStrategyDefault;
    s.adaptToPicture = true;
    return s;
  }

  /// These settings made for `rgb` (`width` x `height` pixels), as
  /// adaptToPicture says; the settings themselves when it is false.
  PngSettings ForPicture(const unsigned char* rgb, int width, int height) const;

  /// zlib's default level with adaptive filtering, as general-purpose
  /// encoders write PNG; kept for comparison.
  static PngSettings ZlibDefault() { return PngSettings{}; }
};

}  // namespace qm
