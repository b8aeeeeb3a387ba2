#pragma once
// The process-wide request to stop converting.

namespace qm {

/// Asks every exporter of this process to stop at its next slide. Safe to
/// call from a signal handler; there is no way back within the process.
void RequestCancel();

/// True once RequestCancel() was called. Exporters check it before each slide
/// and before writing a joined picture: a cancelled exporter writes nothing
/// more, but still closes the presentation and deletes its temporary files.
bool CancelRequested();

}  // namespace qm
