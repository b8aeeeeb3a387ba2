#pragma once
// Where LibreOffice writes each slide's picture on its way to the bitmap.

#include <string>

namespace qm {

/// Returns a folder of this worker's own in shared memory
/// (/dev/shm/quillmere-worker-UID-PID, 0700) for the pictures LibreOffice
/// exports, one slide at a time, before the worker reads them back: there a
/// saved picture costs no flush to disk (about 10 ms of a 30 ms slide on a
/// disk-backed folder). Folders of this user's workers that no longer run
/// are removed first. Without a usable /dev/shm it returns `privateFolder`.
/// The caller removes the folder it got when it ends (it differs from
/// `privateFolder` only in shared memory).
std::string PrepareSlidePictureFolder(const std::string& privateFolder);

}  // namespace qm
