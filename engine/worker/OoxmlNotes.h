#pragma once
// The speaker notes of an Office Open XML deck, read from its package, with
// their paragraphs: LibreOffice 25.2 gives a notes page's paragraphs run
// together ("slowly.Then take questions").

#include <optional>
#include <string>
#include <vector>

namespace qm {

/// The notes of each slide of the Office Open XML presentation (.pptx,
/// .pptm, .ppsx, .potx, ...) at `path`, in the deck's slide order: the text
/// of each notes page's notes placeholder, its paragraphs and line breaks as
/// line feeds, "" for a slide without notes. nullopt when `path` is no such
/// package, or its presentation part or a slide's relationships cannot be
/// read within bounds (a part past 8 MiB, more than 10,000 slides, 64 MiB in
/// all, XML that does not parse): the caller then keeps what LibreOffice
/// said. Reads the zip with libzip and each part with libxml2 (no network,
/// no entities expanded, no DTD loaded). Never throws.
std::optional<std::vector<std::string>> ReadOoxmlNotes(const std::string& path);

}  // namespace qm
