#pragma once
// Everything a render worker is told when it starts, as one plain value.

#include <string>

#include "engine/worker/LokRenderer.h"
#include "engine/worker/WorkerConfinement.h"

namespace qm {

/// A render worker's settings. The program gives the command line
/// (ReadCommandLine); the environment gives the knobs for tests and debugging
/// (FromEnvironment). The worker's main reads both once and hands the parts
/// down, so nothing below it reads the environment.
struct WorkerSettings {
  int fd = -1;              ///< --fd N: the connected socket to the program
  std::string folder;       ///< --folder DIR: the worker's private folder
  long parent = 0;          ///< --parent PID: the program's process id; 0 unknown
  bool allowLinks = false;  ///< --allow-links: no confinement, the deck read in place

  /// QUILLMERE_LIBREOFFICE_PROGRAM: the folder holding libmergedlo.so.
  std::string officeProgram;
  /// QUILLMERE_SLIDE_DRAWING: "export" kExport, "renderer" kRenderer; else kAuto.
  LokRenderer::Drawing drawing = LokRenderer::Drawing::kAuto;
  /// QUILLMERE_WORKER_STDERR=1: standard output and error stay where they
  /// were instead of going to worker.log.
  bool keepStandardStreams = false;
  /// QUILLMERE_CONFINEMENT: the confinement layers wanted (all when unset).
  WorkerConfinement confinement;
  /// A sentence saying which setting of the environment is not understood;
  /// the worker then refuses to start. "" when all are.
  std::string problem;

  /// The environment's part, the command line's left at its defaults.
  static WorkerSettings FromEnvironment();

  /// Fills the command line's part from `argv`. False when an argument is
  /// not understood or --fd or --folder is missing.
  bool ReadCommandLine(int argc, char** argv);
};

}  // namespace qm
