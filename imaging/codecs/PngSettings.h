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
  int flatLevel = 1;

  /// The program's choice, made for speed on rendered slides at a reasonable
  /// size; every PNG the program writes uses it. Whole pictures with one
  /// cheap filter are compressed by libdeflate, whose levels are faster than
  /// zlib's for the same size. Measured with bench/imaging_bench.cpp on 960 x
  /// 540 text-and-shape slides: unfiltered at level 1, about 3 ms and 53 KB
  /// per slide (zlib: 6.5 ms and 58 KB at level 2; zlib's level 6 with
  /// adaptive filtering: 39 ms and 61 KB); on photo-like slides UP is far
  /// smaller than no filter (225 KB against 320 KB at level 2). Choosing the
  /// filter per row ("adaptive") costs 2 to 3 times the time for about 1%.
  static PngSettings Defaults() {
    PngSettings s;
    s.compressionLevel = 2;
    s.filters = kFilterUp;
    s.strategy = kStrategyDefault;
    s.adaptToPicture = true;
    return s;
  }

  /// True when the settings name one filter of NONE or UP with zlib's default
  /// strategy: what the one-pass encoder (PngEncoder.h) writes.
  bool UsesOneCheapFilter() const {
    return (filters == kFilterNone || filters == kFilterUp) && strategy == kStrategyDefault;
  }

  /// These settings made for `pixels` (`width` x `height` pixels of
  /// `channels` bytes each), as adaptToPicture says; the settings themselves
  /// when it is false.
  PngSettings ForPicture(const unsigned char* pixels, int width, int height, int channels = 3) const;

  /// zlib's default level with adaptive filtering, as general-purpose
  /// encoders write PNG; kept for comparison.
  static PngSettings ZlibDefault() { return PngSettings{}; }
};

}  // namespace qm
