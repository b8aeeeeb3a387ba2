#pragma once
// Taking the links to content outside a deck out of the worker's own copy
// of it, before LibreOffice opens it.
//
// LibreOffice's own blocking of linked content stops linked pictures but not
// every kind of link: a shape filled with a linked picture, a picture inside
// an embedded SVG, a linked video or sound, and an OpenDocument fill image
// were still read, from anywhere the renderer's file rules allow (its own
// installation, the icons and fonts under /usr). Links taken out of the copy
// are never followed, whatever LibreOffice would do with them.

#include <string>

namespace qm {

/// What ScrubExternalLinks did to a copy.
struct ScrubbedLinks {
  int removed = 0;    ///< links taken out
  bool changed = false;  ///< the copy was rewritten
};

/// Takes out of the presentation package at `path` (a zip: Office Open XML
/// or OpenDocument) every link to content outside it that drawing a slide
/// could follow:
///  - in a relationship part (*.rels), each relationship whose target is
///    external, but for hyperlinks (followed only on a click): pictures,
///    fills, media, linked objects;
///  - in an SVG part, each href that is not a reference inside the picture
///    ("#...") or data in place ("data:...");
///  - in an OpenDocument's content.xml and styles.xml, each xlink:href that
///    leaves the package (an address with a scheme, an absolute path, "../"),
///    but on hyperlinks.
/// Only the worker's own copy of a deck is ever changed. Each part read is
/// bounded (16 MiB; a bigger one is left as it is, and the renderer's other
/// confinement still holds). A file that is no zip is left alone. False,
/// with a sentence in `*error`, when the copy could not be rewritten (it is
/// then as it was).
bool ScrubExternalLinks(const std::string& path, ScrubbedLinks* done, std::string* error);

}  // namespace qm
