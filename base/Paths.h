#pragma once
// Path helpers on text paths with "/" as the separator. Paths are UTF-8 bytes.

#include <string>

namespace qm {

class Ui;

/// True when `path` names an existing file that is not a folder (its status
/// can be read); false on any error.
bool FileExists(const std::string& path);

/// True when `path` names an existing folder (symbolic links followed); false
/// on any error.
bool FolderExists(const std::string& path);

/// Yields through `ui`, then deletes the file; when that fails, makes the file
/// writable and tries once more. Never reports.
void DeleteFileForce(Ui& ui, const std::string& path);

/// The text after the last "/" (the whole path when there is none).
std::string FileNamePart(const std::string& path);

/// The text up to and including the last "/"; empty when there is none.
std::string FolderPart(const std::string& path);

/// Collapses every run of "/", leading ones included, to one "/": Linux has
/// no network prefix to keep, so "//in///deck.png" reads "/in/deck.png".
std::string CollapseSeparators(const std::string& path);

/// Where `path` really is: its folder with "." and ".." resolved and symbolic
/// links followed (realpath), then "/" and its file name; `path` with its
/// separators collapsed when the folder cannot be resolved. Two spellings of
/// one file ("d/deck.pptx", "d/./deck.pptx", "./d/../d/deck.pptx") give one
/// text; the file itself need not exist.
std::string ResolvedPath(const std::string& path);

/// Output base name of a source path: its file name without the last
/// dot-separated extension ("q3.final.pptx" gives "q3.final", "a..b.pptx"
/// gives "a..b"). A name with no dot, or whose only dot is its first
/// character, keeps its whole name, so such files never share "_Slide1.png".
std::string OutputBaseName(const std::string& sourcePath);

}  // namespace qm
