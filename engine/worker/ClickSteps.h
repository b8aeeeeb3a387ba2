#pragma once
// Which shapes of a slide show at each click of its animations, read from
// the animation tree LibreOffice describes in its presentation information.

#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json_fwd.hpp>

namespace qm {

/// The visibility changes of one slide's main sequence, click by click.
///
/// An entrance effect shows its shape, an exit effect hides it, each at the
/// click that starts it: the state after a click is the end state of its
/// effects. Effects that start on their own ("with previous", "after
/// previous") belong to the click whose effects they follow; those before
/// the first click are part of the slide's start. Emphasis effects and
/// motion paths change no visibility and are left out: their shapes are
/// drawn as they stand. Triggered (interactive) sequences are not clicks of
/// the slide show's progress and are left out too.
class ClickSteps {
 public:
  /// One shape (by LibreOffice's hash of it) shown (true) or hidden.
  using Change = std::pair<std::string, bool>;

  /// Reads the "animations" object of one slide of getPresentationInfo's
  /// JSON; a missing or malformed tree gives a slide without clicks.
  static ClickSteps Read(const nlohmann::json& animations);

  /// Number of clicks: the slide's states are 0 to Clicks().
  int Clicks() const { return static_cast<int>(clicks_.size()); }

  /// Whether shape `hash`, which the slide shows at first as `initially`
  /// says, shows in state `step` (0: before the first click; past the last
  /// click, the last state). A shape no effect names as a whole (one whose
  /// text enters paragraph by paragraph: LibreOffice names the paragraphs,
  /// and draws the shape as one layer) shows in every state, as the whole
  /// slide shows it.
  bool Visible(const std::string& hash, bool initially, int step) const;

  /// True when some effect names `hash`.
  bool Names(const std::string& hash) const;

  /// The shapes the effects name, each once.
  std::vector<std::string> Targets() const;

 private:
  std::vector<Change> atStart_;
  std::vector<std::vector<Change>> clicks_;
};

}  // namespace qm
