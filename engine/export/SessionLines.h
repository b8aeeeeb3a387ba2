#pragma once
// The step lines a slide session reports its steps under.

namespace qm {

/// The numbered step lines of one exporter that its SlideSession's steps
/// are quoted with in error reports; each exporter fills them from its own
/// table of lines.
struct SessionLines {
  int create;        ///< create the application object
  int makeVisible;   ///< make it visible
  int open;          ///< open the presentation
  int exportSlide;   ///< export one slide to the temporary bitmap
  int bitmapExists;  ///< check the temporary bitmap was written
  int loadBitmap;    ///< load it into the picture box
  int writePicture;  ///< hand the picture to the exporter's writer
  int deleteBitmap;  ///< delete the temporary bitmap
  int close;         ///< close the presentation
  int quit;          ///< ask the application to quit
};

}  // namespace qm
