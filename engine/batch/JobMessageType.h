#pragma once
// The messages between a front end and its conversion jobs, in frames of the
// same form as the render worker's (FrameChannel, WireMessage).
//
// A job is a process of its own (quillmere-job) with one warm render worker.
// It speaks first, kHello with the protocol's magic and version and its
// process id (a front end refuses a job of another build), and then only
// answers what it is given:
//
//   job   -> front: kHello magic, version, pid   (once, first)
//   job   -> front: kReady                       (wants work)
//   front -> job:   kTasks  count, FileTask...   (files that write the same names, in list order)
//   job   -> front: kFileStarted position
//                   kSlide position, slide, count      (before each slide is rendered)
//                   kReport position, text, consequence (a standard error report;
//                                                      consequence 1 when it only
//                                                      follows from an earlier one)
//                   kMessage position, text            (a plain message)
//                   kQuestion position, text  -> front: kAnswer yes(1)/no(0)
//                   kWritten position, count, path...  (images the file wrote, in
//                                                      parts that each fit a frame)
//                   kSkipped position                  (its images were up to date)
//                   kFacts position, DeckFacts         (fonts it lacked, the slides
//                                                      drawn: title, notes, clicks)
//                   kFileDone position, slides         (the deck's slide count + 1,
//                                                      0 unknown)
//                   kReady                             (after the last task of a batch)
//   front -> job:   kQuit                        (no more work, or the run is cancelled)
//
// A job ends after kQuit, when its connection closes, or on SIGINT, SIGTERM
// or SIGHUP; a cancelled job stops at the next slide and lets the exporters
// delete their temporary files first.

#include <cstdint>

namespace qm {

/// "QMJB" read as a little-endian 32-bit number: the first field of kHello.
inline constexpr std::uint32_t kJobProtocolMagic = 0x424A4D51u;
/// Bumped whenever a message changes; a job of another version is refused.
inline constexpr std::uint32_t kJobProtocolVersion = 7;

enum class JobMessageType : std::uint8_t {
  // job -> front end
  kReady = 40,
  kFileStarted = 41,
  kSlide = 42,
  kReport = 43,
  kMessage = 44,
  kQuestion = 45,
  kFileDone = 46,
  kHello = 47,
  kWritten = 48,
  kSkipped = 49,
  kFacts = 50,
  // front end -> job
  kTasks = 60,
  kAnswer = 61,
  kQuit = 62,
};

}  // namespace qm
