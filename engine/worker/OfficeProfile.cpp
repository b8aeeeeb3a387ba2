#include "engine/worker/OfficeProfile.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <utility>

#include "engine/worker/FileUrl.h"

namespace qm {

namespace {

// Only what a renderer needs to behave. (LibreOffice 7.4 also needed the
// profile marked as used by a newer version, or it ran its graphics render
// tests on each fresh profile for about 0.8 s; 25.2 starts as fast without.)
const char kSettings[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<oor:items xmlns:oor="http://openoffice.org/2001/registry" xmlns:xs="http://www.w3.org/2001/XMLSchema" xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance">
<item oor:path="/org.openoffice.Office.Common/Misc"><prop oor:name="UseLocking" oor:op="fuse"><value>false</value></prop></item>
<item oor:path="/org.openoffice.Office.Common/Misc"><prop oor:name="UseDocumentOOoLockFile" oor:op="fuse"><value>false</value></prop></item>
<item oor:path="/org.openoffice.Office.Common/Misc"><prop oor:name="UseDocumentSystemFileLocking" oor:op="fuse"><value>false</value></prop></item>
<item oor:path="/org.openoffice.Office.Recovery/AutoSave"><prop oor:name="Enabled" oor:op="fuse"><value>false</value></prop></item>
<item oor:path="/org.openoffice.Office.Recovery/RecoveryInfo"><prop oor:name="Enabled" oor:op="fuse"><value>false</value></prop></item>
)";

// A document from a place not listed as trusted (none is) may not make
// LibreOffice fetch what it links to. DisableActiveContent is left off on
// purpose: besides links it keeps every embedded object from loading, and
// LibreOffice holds a deck's charts as embedded objects, so every chart
// would be drawn as an empty frame. What an embedded object could reach
// outside the deck, the network namespace and Landlock stop.
const char kBlockLinks[] = R"(<item oor:path="/org.openoffice.Office.Common/Security/Scripting"><prop oor:name="SecureURL" oor:op="fuse"><value/></prop></item>
<item oor:path="/org.openoffice.Office.Common/Security/Scripting"><prop oor:name="BlockUntrustedRefererLinks" oor:op="fuse"><value>true</value></prop></item>
)";

const char kEnd[] = "</oor:items>\n";

}  // namespace

std::string PrepareOfficeProfile(const std::string& folder, bool blockLinks, std::string* error) {
  const std::filesystem::path profile = std::filesystem::path(folder) / "profile";
  std::error_code code;
  std::filesystem::create_directories(profile / "user", code);
  if (code) {
    *error = "The renderer could not create its LibreOffice profile in " + profile.string() + ": " +
             code.message();
    return {};
  }
  const std::filesystem::path settings = profile / "user" / "registrymodifications.xcu";
  std::ofstream out(settings, std::ios::binary | std::ios::trunc);
  out << kSettings << (blockLinks ? kBlockLinks : "") << kEnd;
  out.close();
  if (!out) {
    *error = "The renderer could not write its LibreOffice settings to " + settings.string() +
             ": " + std::strerror(errno);
    return {};
  }
  return FileUrlFromPath(std::filesystem::absolute(profile).string());
}

bool IsolateOfficeEnvironment(const std::string& folder, std::string* error) {
  struct Place {
    const char* sub;
    std::initializer_list<const char*> variables;
  };
  // Parents before children; TMPDIR first, as it was before the others.
  const Place places[] = {
      {"tmp", {"TMPDIR", "TMP", "TEMP"}},
      {"home", {"HOME"}},
      {"home/.config", {"XDG_CONFIG_HOME"}},
      {"home/.cache", {"XDG_CACHE_HOME"}},
      {"home/.local", {}},
      {"home/.local/share", {"XDG_DATA_HOME"}},
      {"home/.local/state", {"XDG_STATE_HOME"}},
      {"runtime", {"XDG_RUNTIME_DIR"}},
      {"bin", {"PATH"}},
  };
  const std::string root = std::filesystem::absolute(folder).string();
  for (const Place& place : places) {
    const std::string path = root + "/" + place.sub;
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
      *error = "The renderer could not create its folder " + path + ": " + std::strerror(errno);
      return false;
    }
    // XDG_RUNTIME_DIR must be 0700 whatever the umask; a folder we just made
    // is ours to change, and at worst the libraries only warn.
    (void)::chmod(path.c_str(), 0700);
    for (const char* variable : place.variables) {
      if (::setenv(variable, path.c_str(), 1) != 0) {
        *error = std::string("The renderer could not set ") + variable + ": " + std::strerror(errno);
        return false;
      }
    }
  }
  for (const auto& [variable, value] : {std::pair<const char*, const char*>{"GSETTINGS_BACKEND", "memory"},
                                        {"DCONF_PROFILE", "/dev/null"},
                                        {"GIO_USE_VFS", "local"}}) {
    if (::setenv(variable, value, 1) != 0) {
      *error = std::string("The renderer could not set ") + variable + ": " + std::strerror(errno);
      return false;
    }
  }
  return true;
}

}  // namespace qm
