#pragma once
// The names of every temporary file Quillmere writes beside a person's files,
// and the sweep that removes those a vanished process left behind.
//
// Each name is hidden and carries the id of the process that writes it, so a
// file whose process no longer runs can be told, by its name alone, from one
// still being written and from anything of the person's:
//
//   .quillmere-<pid>-<salt>-<n><extension>   an exporter's temporary bitmap or
//                                           picture (TemporaryFileName)
//   .<name>.quillmere-<pid>-XXXXXX           the partial file AtomicFile writes
//                                           before renaming it to <name>
//   .quillmere-<pid>-XXXXXX                  the same, when <name> is too long
//
// <pid>, <salt> and <n> are decimal digits; XXXXXX are the six letters or
// digits mkstemp fills in; <extension> is "." and letters or digits.

#include <sys/types.h>

#include <string>

namespace qm {

/// ".quillmere-<pid>-<salt>-<n><extension>": a hidden file name unique to
/// this process (its id at the call) and call, with a random salt drawn for
/// each name, so that no name can be guessed from another. `extension` is ""
/// or "." and letters or digits.
std::string TemporaryFileName(const std::string& extension);

/// The mkstemp pattern of AtomicFile's partial file for `name`:
/// ".<name>.quillmere-<pid>-XXXXXX" with this process's id.
std::string PartialFilePattern(const std::string& name);

/// The shorter mkstemp pattern for names too long for PartialFilePattern:
/// ".quillmere-<pid>-XXXXXX".
std::string ShortPartialFilePattern();

/// The id of the process that owns the temporary named `name` (a file name,
/// no folder) when the name has one of the forms above; 0 when it has none
/// of them.
pid_t TemporaryNameOwner(const std::string& name);

/// Removes from `folder` (not from its subfolders) the regular files owned by
/// this user whose names have one of the forms above and whose process no
/// longer exists; nothing else is touched (symbolic links, folders, other
/// users' files and any other name are left alone). With `owner` > 0 only the
/// files of that process are removed, and only if it no longer exists.
/// Returns the number of files removed; errors are ignored.
int SweepStaleTemporaries(const std::string& folder, pid_t owner = 0);

}  // namespace qm
