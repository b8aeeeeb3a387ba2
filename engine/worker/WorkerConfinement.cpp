#include "engine/worker/WorkerConfinement.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "base/Sandbox.h"

namespace qm {

namespace {

/// `path` with symbolic links resolved; `path` itself when it cannot be.
std::string Resolved(const std::string& path) {
  char buffer[PATH_MAX];
  return ::realpath(path.c_str(), buffer) != nullptr ? std::string(buffer) : path;
}

}  // namespace

WorkerConfinement WorkerConfinement::Wanted(const char* list, std::string* error) {
  WorkerConfinement wanted;
  wanted.network = wanted.files = wanted.office = true;
  error->clear();
  if (list == nullptr || *list == '\0') return wanted;
  const std::string text = list;
  if (text == "none") {
    wanted.network = wanted.files = wanted.office = false;
    return wanted;
  }
  WorkerConfinement named;
  std::string unknown;
  int unknownCount = 0;
  for (std::size_t start = 0; start <= text.size();) {
    const std::size_t comma = std::min(text.find(',', start), text.size());
    const std::string word = text.substr(start, comma - start);
    if (word == "network") {
      named.network = true;
    } else if (word == "files") {
      named.files = true;
    } else if (word == "office") {
      named.office = true;
    } else {
      unknown += (unknown.empty() ? "\"" : ", \"") + word + "\"";
      ++unknownCount;
    }
    start = comma + 1;
  }
  if (!unknown.empty()) {
    *error = "QUILLMERE_CONFINEMENT=" + text + " names " + unknown +
             (unknownCount == 1 ? ", which is not a confinement layer"
                                : ", which are not confinement layers") +
             ": name the layers to enter (network, files, office) separated by commas, \"none\""
             " for none, or leave it unset for all";
    return wanted;
  }
  return named;
}

WorkerConfinement WorkerConfinement::Enter(const std::string& folder,
                                           const std::string& programDir,
                                           const WorkerConfinement& wanted) {
  WorkerConfinement confinement;
  std::string why;
  if (wanted.network) {
    confinement.network = Sandbox::EnterOwnNetwork(&why);
    if (!confinement.network) confinement.notes += why + ". ";
  }
  // Matched against every host LibreOffice's web access is asked for: the
  // empty pattern's anchors match none.
  if (wanted.office) confinement.office = ::setenv("LOK_HOST_ALLOWLIST", "^$", 1) == 0;
  if (!wanted.files) return confinement;

  Sandbox::Access access;
  // Not all of /proc (every process's command line) nor /dev (/dev/shm,
  // which anyone may write, once lent a deck a picture): of /proc only what
  // LibreOffice and the libraries under it read (the worker's own entry,
  // reached through /proc/self while the rules are made; the crypto
  // library's FIPS switch; the file system and memory tables), of /dev only
  // the devices below.
  access.readable = {"/usr", "/lib", "/lib32", "/lib64", "/libx32", "/bin", "/sbin", "/etc",
                     "/proc/self", "/proc/sys/crypto", "/proc/filesystems", "/proc/meminfo",
                     "/proc/cpuinfo", "/sys", "/var/cache/fontconfig",
                     // Debian links LibreOffice's shared extensions and bundled
                     // registry from the installation to these.
                     "/var/lib/libreoffice", "/var/spool/libreoffice",
                     Resolved(programDir + "/..")};
  access.writable = {Resolved(folder)};
  // The worker removes its folder when it ends, the folder itself last.
  access.removable = {Resolved(folder + "/..")};
  access.devices = {"/dev/null", "/dev/zero", "/dev/random", "/dev/urandom"};
  why.clear();
  confinement.files = Sandbox::LimitFileAccess(access, &why);
  if (!confinement.files) confinement.notes += why + ". ";
  // Sockets at paths lie beyond the file rules: none can be made.
  why.clear();
  confinement.unixSockets = Sandbox::ForbidUnixSockets(&why);
  if (!confinement.unixSockets) confinement.notes += why + ". ";
  return confinement;
}

std::string WorkerConfinement::Summary() const {
  std::string layers;
  const auto add = [&layers](bool on, const char* name) {
    if (!on) return;
    if (!layers.empty()) layers += ", ";
    layers += name;
  };
  add(network, "network namespace");
  add(files, "Landlock");
  add(unixSockets, "no Unix sockets");
  add(office, "LibreOffice settings");
  return "confined: " + (layers.empty() ? std::string("nothing") : layers) +
         (notes.empty() ? "" : " (" + notes.substr(0, notes.size() - 1) + ")");
}

}  // namespace qm
