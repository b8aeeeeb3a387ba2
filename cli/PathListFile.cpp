#include "cli/PathListFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace qm {

std::optional<std::vector<std::string>> ReadPathList(const std::string& source, bool nulSeparated,
                                                     std::string* error) {
  const bool standardInput = source == "-";
  std::FILE* in = standardInput ? stdin : std::fopen(source.c_str(), "rb");
  if (in == nullptr) {
    *error = "The list of files " + source + " cannot be read: " + std::strerror(errno) + ".";
    return std::nullopt;
  }
  const char separator = nulSeparated ? '\0' : '\n';
  std::vector<std::string> paths;
  std::string current;
  int c;
  while ((c = std::fgetc(in)) != EOF) {
    if (static_cast<char>(c) != separator) {
      current.push_back(static_cast<char>(c));
      continue;
    }
    if (!current.empty()) paths.push_back(current);
    current.clear();
  }
  const bool failed = std::ferror(in) != 0;
  const int readError = errno;
  if (!standardInput) std::fclose(in);
  if (failed) {
    *error = "The list of files " + (standardInput ? std::string("on standard input") : source) +
             " could not be read to its end: " + std::strerror(readError) + ".";
    return std::nullopt;
  }
  if (!current.empty()) paths.push_back(current);
  return paths;
}

}  // namespace qm
