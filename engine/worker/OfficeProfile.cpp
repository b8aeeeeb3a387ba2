#include "engine/worker/OfficeProfile.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "engine/worker/FileUrl.h"

namespace qm {

namespace {

const char kSettings[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<oor:items xmlns:oor="http://openoffice.org/2001/registry" xmlns:xs="http://www.w3.org/2001/XMLSchema" xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance">
<item oor:path="/org.openoffice.Office.Common/Misc"><prop oor:name="UseLocking" oor:op="fuse"><value>false</value></prop></item>
<item oor:path="/org.openoffice.Office.Common/Misc"><prop oor:name="UseDocumentOOoLockFile" oor:op="fuse"><value>false</value></prop></item>
<item oor:path="/org.openoffice.Office.Common/Misc"><prop oor:name="UseDocumentSystemFileLocking" oor:op="fuse"><value>false</value></prop></item>
<item oor:path="/org.openoffice.Office.Recovery/AutoSave"><prop oor:name="Enabled" oor:op="fuse"><value>false</value></prop></item>
<item oor:path="/org.openoffice.Office.Recovery/RecoveryInfo"><prop oor:name="Enabled" oor:op="fuse"><value>false</value></prop></item>
</oor:items>
)";

}  // namespace

std::string PrepareOfficeProfile(const std::string& folder, std::string* error) {
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
  out << kSettings;
  out.close();
  if (!out) {
    *error = "The renderer could not write its LibreOffice settings to " + settings.string() +
             ": " + std::strerror(errno);
    return {};
  }
  return FileUrlFromPath(std::filesystem::absolute(profile).string());
}

}  // namespace qm
