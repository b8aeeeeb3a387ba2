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

  /// The program's choice, made for speed on rendered slides (flat colour
  /// areas, text, gradients and photos) at a reasonable size; every PNG the
  /// program writes uses it. On LibreOffice-rendered 1280 x 720 slides
  /// (bench/imaging_bench.cpp) it encodes about 5 times as fast as zlib's
  /// level 6 with adaptive filtering, for files about 15% larger. One cheap
  /// filter (UP: slides repeat vertically in flat areas and text lines)
  /// compresses as well as choosing per row, at half the time; zlib's run
  /// length strategy made larger and slower files on such images.
  static PngSettings Defaults() {
    PngSettings s;
    s.compressionLevel = 1;
    s.filters = kFilterUp;
    s.strategy = kStrategyDefault;
    return s;
  }

  /// zlib's default level with adaptive filtering, as general-purpose
  /// encoders write PNG; kept for comparison.
  static PngSettings ZlibDefault() { return PngSettings{}; }
};

}  // namespace qm
