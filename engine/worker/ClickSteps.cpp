#include "engine/worker/ClickSteps.h"

#include <algorithm>

#include <nlohmann/json.hpp>

namespace qm {

namespace {

/// Deeper than any real timing tree; a deeper one is not read further.
constexpr int kMaxDepth = 64;

std::string Text(const nlohmann::json& node, const char* key) {
  const auto found = node.find(key);
  return found != node.end() && found->is_string() ? found->get<std::string>() : std::string();
}

const nlohmann::json* Children(const nlohmann::json& node) {
  const auto found = node.find("children");
  return found != node.end() && found->is_array() ? &*found : nullptr;
}

/// The first shape a node or its descendants act on.
std::string TargetOf(const nlohmann::json& node, int depth) {
  if (!node.is_object() || depth > kMaxDepth) return {};
  if (std::string target = Text(node, "targetElement"); !target.empty()) return target;
  if (const nlohmann::json* children = Children(node))
    for (const nlohmann::json& child : *children)
      if (std::string target = TargetOf(child, depth + 1); !target.empty()) return target;
  return {};
}

/// Appends the visibility changes of `node`'s effects, in their order.
void CollectChanges(const nlohmann::json& node, int depth, std::vector<ClickSteps::Change>* out) {
  if (!node.is_object() || depth > kMaxDepth) return;
  const std::string preset = Text(node, "presetClass");
  if (preset == "Entrance" || preset == "Exit") {
    if (std::string target = TargetOf(node, depth); !target.empty())
      out->emplace_back(std::move(target), preset == "Entrance");
    return;
  }
  if (preset.empty() && Text(node, "attributeName") == "Visibility") {
    // An effect of no preset: its visibility settings say what it does.
    const std::string to = Text(node, "to");
    if (std::string target = Text(node, "targetElement"); !target.empty() && (to == "visible" || to == "hidden"))
      out->emplace_back(std::move(target), to == "visible");
    return;
  }
  if (!preset.empty()) return;  // emphasis, motion path, ...: no visibility change
  if (const nlohmann::json* children = Children(node))
    for (const nlohmann::json& child : *children) CollectChanges(child, depth + 1, out);
}

const nlohmann::json* MainSequence(const nlohmann::json& node, int depth) {
  if (!node.is_object() || depth > kMaxDepth) return nullptr;
  if (Text(node, "nodeType") == "MainSequence") return &node;
  if (const nlohmann::json* children = Children(node))
    for (const nlohmann::json& child : *children)
      if (const nlohmann::json* found = MainSequence(child, depth + 1)) return found;
  return nullptr;
}

}  // namespace

ClickSteps ClickSteps::Read(const nlohmann::json& animations) {
  ClickSteps steps;
  if (!animations.is_object()) return steps;
  const auto root = animations.find("root");
  if (root == animations.end()) return steps;
  const nlohmann::json* main = MainSequence(*root, 0);
  const nlohmann::json* groups = main != nullptr ? Children(*main) : nullptr;
  if (groups == nullptr) return steps;
  for (const nlohmann::json& group : *groups) {
    // A group that waits for the next click starts a state of its own; one
    // that starts by itself joins the state before it.
    const std::string begin = Text(group, "begin");
    std::vector<Change>* into = &steps.atStart_;
    if (begin == "OnNext" || begin == "indefinite") {
      steps.clicks_.emplace_back();
      into = &steps.clicks_.back();
    } else if (!steps.clicks_.empty()) {
      into = &steps.clicks_.back();
    }
    CollectChanges(group, 1, into);
  }
  return steps;
}

bool ClickSteps::Names(const std::string& hash) const {
  const auto names = [&](const std::vector<Change>& changes) {
    return std::any_of(changes.begin(), changes.end(), [&](const Change& c) { return c.first == hash; });
  };
  return names(atStart_) || std::any_of(clicks_.begin(), clicks_.end(), names);
}

std::vector<std::string> ClickSteps::Targets() const {
  std::vector<std::string> targets;
  const auto add = [&](const std::vector<Change>& changes) {
    for (const Change& change : changes)
      if (std::find(targets.begin(), targets.end(), change.first) == targets.end()) targets.push_back(change.first);
  };
  add(atStart_);
  for (const auto& click : clicks_) add(click);
  return targets;
}

bool ClickSteps::Visible(const std::string& hash, bool initially, int step) const {
  if (!Names(hash)) return true;
  bool visible = initially;
  const auto apply = [&](const std::vector<Change>& changes) {
    for (const Change& change : changes)
      if (change.first == hash) visible = change.second;
  };
  apply(atStart_);
  const int last = std::min(std::max(step, 0), Clicks());
  for (int k = 0; k < last; ++k) apply(clicks_[static_cast<std::size_t>(k)]);
  return visible;
}

}  // namespace qm
