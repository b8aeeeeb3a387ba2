#pragma once
// The throwaway LibreOffice profile each worker runs with.

#include <string>

namespace qm {

/// Creates `folder`/profile/user/registrymodifications.xcu with the settings
/// a renderer needs: no lock files beside the user's presentations (a killed
/// worker would leave them behind), no document locking, no autosave or
/// recovery data. With `blockLinks`, linked content is blocked too: no
/// location is trusted and links from untrusted documents are not followed;
/// embedded objects (charts among them) load and draw as in the deck. The
/// user's own profile is never read or written. Returns the profile's URL
/// for LibreOfficeKit, or "" with `*error` set.
std::string PrepareOfficeProfile(const std::string& folder, bool blockLinks, std::string* error);

/// Keeps everything LibreOffice and the libraries under it write inside
/// `folder`: makes `folder`/tmp, `folder`/home (with .config, .cache,
/// .local/share and .local/state) and `folder`/runtime, all 0700, and points
/// TMPDIR (TMP, TEMP), HOME, XDG_CONFIG_HOME, XDG_CACHE_HOME, XDG_DATA_HOME,
/// XDG_STATE_HOME and XDG_RUNTIME_DIR at them. GSettings keeps its settings
/// in memory (GSETTINGS_BACKEND=memory), dconf gets an empty profile
/// (DCONF_PROFILE=/dev/null: no database is read or written) and GIO stays
/// local (GIO_USE_VFS=local: no gvfs daemons). PATH names `folder`/bin,
/// made empty: the only programs LibreOffice starts for a deck are the
/// signature tools (gpgconf, gpg, gpgsm, looked for on PATH when a first
/// deck's signatures are checked), each a fork of the whole office, about
/// 120 ms a renderer, for signatures nothing here reads. Call before starting
/// LibreOfficeKit. Returns false with `*error` set when a folder cannot be
/// made.
bool IsolateOfficeEnvironment(const std::string& folder, std::string* error);

}  // namespace qm
