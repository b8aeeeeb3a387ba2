#include "cli/OptionArgument.h"

namespace qm {

OptionArgument::OptionArgument(const std::vector<std::string>& args, std::size_t* index,
                               std::string* error)
    : args_(args), index_(index), error_(error), name_(args[*index]) {
  // "--name=value" splits at "="; "-xVALUE" after the letter.
  const auto split = name_.rfind("--", 0) == 0 ? name_.find('=')
                                              : (name_.size() > 2 ? 2 : std::string::npos);
  if (split != std::string::npos) {
    inlineValue_ = name_.substr(split + (name_[split] == '=' ? 1 : 0));
    name_.erase(split);
  }
}

std::optional<std::string> OptionArgument::Value(const char* what) {
  if (inlineValue_) return inlineValue_;
  if (*index_ + 1 < args_.size()) return args_[++*index_];
  Fail("Option " + name_ + " needs " + what + ".");
  return std::nullopt;
}

bool OptionArgument::Flag(bool& target) {
  if (inlineValue_) return Fail("Option " + name_ + " takes no value.");
  target = true;
  return true;
}

bool OptionArgument::Fail(const std::string& message) {
  *error_ = message;
  return false;
}

}  // namespace qm
