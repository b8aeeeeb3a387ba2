#pragma once
// Runs a piece of a test where file permissions are enforced. Tests of
// unreadable folders mean nothing under root, which reads everything; as
// root the piece runs in a child process that has given up its privileges.

#include <functional>
#include <optional>
#include <string>

namespace qm::test {

/// Runs `body` where the permission bits of `probe` (a path made unreadable
/// by the test) keep it from being read, and returns what `body` returned.
/// Unprivileged, `body` runs in this process. Privileged, it runs in a child
/// process that has switched to the user "nobody"; everything `body` touches
/// must then be reachable by that user. Returns nullopt, with the reason in
/// `whyNot`, when no such place could be had (the caller skips the test).
/// A child that throws or crashes answers a text saying so, which no test expects.
std::optional<std::string> RunWhereModesApply(const std::string& probe,
                                              const std::function<std::string()>& body,
                                              std::string& whyNot);

}  // namespace qm::test
