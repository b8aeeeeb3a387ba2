#pragma once
// LibreOfficeKit as the worker calls it, whichever LibreOffice's headers it
// is built against (25.2 and 26.8 are): the one place that knows how their
// declarations differ, so the rest of the worker names no member that one
// of them lacks and no signature that one of them changed.
//
//   25.2                                  26.8
//   struct _LibreOfficeKit...             struct LibreOfficeKitStruct...
//   LOK_CALLBACK_JSDIALOG, sendDialogEvent   gone (46 left unused)
//   createSlideRenderer(doc, n, ...)      createSlideRenderer(doc, hash, n, ...)
//   renderNextSlideLayer(doc, buf, &bmp, &json)   (doc, buf, &bmp, &scale, &json)
//
// Only the public typedef names are used; members that came late are
// checked against the class's size before use.
//
// The tables differ in layout too, so a worker built against one release
// must not call the other's entries past those they share (KnowsLayoutOf):
// 26.8's document class has the slide renderer's entries two places earlier
// (createSlideRenderer at byte 592, 608 in 25.2) and its office class lost
// an entry before trimMemory. Every entry up to getPartInfo (byte 336 of the
// document class) and getVersionInfo (80 of the office class) is where it
// was: enough to load, size, export and close a deck.

#ifndef LOK_USE_UNSTABLE_API
#define LOK_USE_UNSTABLE_API
#endif
#include <LibreOfficeKit/LibreOfficeKit.h>
#include <LibreOfficeKit/LibreOfficeKitEnums.h>

#include <string>
#include <vector>

namespace qm::lok {

/// LibreOffice 25.2's LOK_CALLBACK_JSDIALOG: a dialog, described in JSON,
/// that waits for an answer. Later headers drop the name and leave the
/// number unused.
inline constexpr int kDialogCallback = 46;

/// Sends `arguments` (a click, in JSON) to dialog window `windowId`. False,
/// with nothing sent, where this LibreOffice has no sendDialogEvent.
bool SendDialogEvent(LibreOfficeKit* office, unsigned long long windowId, const char* arguments);

/// The LibreOffice release whose LibreOfficeKit headers the worker was built
/// against, "25.2" or "26.8", told by the declarations that differ.
const char* HeadersVersion();

/// The running LibreOffice's version ("26.8.3.1"), from getVersionInfo; ""
/// when it does not say.
std::string RunningVersion(LibreOfficeKit* office);

/// True when the running LibreOffice lays out its function tables as the
/// headers the worker was built against do: the same release (major and
/// minor version) and an office class of the same size. Entries past those
/// every release shares must not be called otherwise: LibreOffice 26.8
/// inserted entries before the slide renderer's, so a worker built for 25.2
/// would call other functions through them.
bool KnowsLayoutOf(LibreOfficeKit* office);

/// True when `document`'s class has the size of the headers' document class.
bool KnowsLayoutOf(LibreOfficeKitDocument* document);

/// True when the document class offers the slide renderer's three calls.
bool HasSlideRenderer(LibreOfficeKitDocument* document);

/// True when this LibreOffice's createSlideRenderer takes the slide's hash
/// (from getPresentationInfo) besides its number.
bool SlideRendererTakesHash();

/// Prepares slide `index` for drawing at `*width` x `*height` (which the
/// renderer may change), the master page's objects included and the
/// background when `background`. `slideHash` is the slide's hash where
/// SlideRendererTakesHash(), else ignored.
bool CreateSlideRenderer(LibreOfficeKitDocument* document, const char* slideHash, int index,
                         unsigned* width, unsigned* height, bool background);

/// The hash of each slide of `document`, in the order its presentation
/// information lists them (the slides' order); empty when it gives none or
/// a slide without one.
std::vector<std::string> SlideHashes(LibreOfficeKitDocument* document);

/// Draws the next layer of the slide over `buffer`; true when it was the
/// last. `*json` (may be null) is LibreOffice's, to free with free().
bool RenderNextSlideLayer(LibreOfficeKitDocument* document, unsigned char* buffer, char** json);

}  // namespace qm::lok
