#pragma once
// Telling a person which pictures of a deck the confined renderer did not
// fetch: a picture a deck links to (a web address, another file) stays out
// of its images unless links are allowed.

#include <string>

namespace qm {

/// The number of pictures the Office Open XML presentation `path` (.pptx,
/// .pptm, .ppsx, .potx...) links to instead of holding: relationships of
/// the picture type whose target is external, over every part of the deck
/// (slides, layouts, masters). 0 for anything else, including files that
/// are not such a zip or cannot be read. Reads at most 16 MiB of each
/// relationship part. Never throws.
int CountLinkedPictures(const std::string& path);

/// "1 linked picture not fetched (use --allow-links)", or the plural for
/// `count` > 1.
std::string LinkedPicturesNote(int count);

}  // namespace qm
