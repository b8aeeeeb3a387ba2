// The presentation-application checks against a scripted factory.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "base/ApplicationTitle.h"
#include "base/Error.h"
#include "engine/adapter/PresentationChecks.h"
#include "tests/support/ScriptedUi.h"

namespace qm::test {
namespace {

/// An application that only answers its name; every other call is logged.
class NamedApplication : public Application {
 public:
  NamedApplication(std::string name, std::vector<std::string>* log)
      : name_(std::move(name)), log_(log) {}
  ~NamedApplication() override { log_->push_back("release"); }
  std::string Name() override {
    log_->push_back("name");
    return name_;
  }
  void SetVisible(bool) override { log_->push_back("visible"); }
  Presentations& GetPresentations() override { throw Error("no presentations here"); }
  void Quit() override { log_->push_back("quit"); }

 private:
  std::string name_;
  std::vector<std::string>* log_;
};

/// A factory whose creation and running instance are set by the test.
class ScriptedFactory : public ApplicationFactory {
 public:
  enum class Creation { kWorks, kThrows, kGivesNothing };
  Creation creation = Creation::kWorks;
  bool running = false;
  bool nameThrows = false;
  std::string runningName = "Microsoft PowerPoint";
  std::vector<std::string> log;

  std::shared_ptr<Application> Create(const std::string& progId) override {
    log.push_back("create " + progId);
    if (creation == Creation::kThrows) throw Error("cannot start");
    if (creation == Creation::kGivesNothing) return nullptr;
    return std::make_shared<NamedApplication>("LibreOffice Impress", &log);
  }
  std::shared_ptr<Application> Attach(const std::string& progId) override {
    log.push_back("attach " + progId);
    if (!running) throw Error("none running");
    if (nameThrows) {
      class Broken : public NamedApplication {
       public:
        using NamedApplication::NamedApplication;
        std::string Name() override { throw Error("gone"); }
      };
      return std::make_shared<Broken>("", &log);
    }
    return std::make_shared<NamedApplication>(runningName, &log);
  }
};

TEST(CheckPowerPointInstalled, CreatesAndReleasesWithoutQuitOrMessage) {
  ScriptedFactory factory;
  ScriptedUi ui;
  EXPECT_TRUE(CheckPowerPointInstalled(factory, ui));
  EXPECT_EQ(factory.log, (std::vector<std::string>{"create PowerPoint.Application", "release"}));
  EXPECT_TRUE(ui.calls.empty());
}

TEST(CheckPowerPointInstalled, FailedCreationShowsTheExactPlainMessageAndAsksToEnd) {
  for (auto creation :
       {ScriptedFactory::Creation::kThrows, ScriptedFactory::Creation::kGivesNothing}) {
    ScriptedFactory factory;
    factory.creation = creation;
    ScriptedUi ui;
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(CheckPowerPointInstalled(factory, ui));
    ::testing::internal::GetCapturedStderr();
    ASSERT_EQ(ui.calls.size(), 1u);
    EXPECT_EQ(ui.calls[0].kind, "message");
    // The text as it stands, then on a line of its own what is missing.
    EXPECT_EQ(ui.calls[0].text.rfind(
                  "PowerPoint is not installed on this computer. You need to have it installed to "
                  "use this software without error.\r\n", 0),
              0u)
        << ui.calls[0].text;
    EXPECT_EQ(ui.calls[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(ui.calls[0].icon, MessageIcon::None);
    EXPECT_EQ(ui.calls[0].title, ApplicationTitle());
  }
}

TEST(IsPowerPointRunning, OnlyAnInstanceNamedExactlyMicrosoftPowerPointCounts) {
  struct Case {
    bool running;
    std::string name;
    bool expected;
  };
  for (const Case& c :
       {Case{true, "Microsoft PowerPoint", true}, Case{true, "microsoft powerpoint", false},
        Case{true, "Microsoft PowerPoint ", false}, Case{true, "LibreOffice Impress", false},
        Case{false, "Microsoft PowerPoint", false}}) {
    ScriptedFactory factory;
    factory.running = c.running;
    factory.runningName = c.name;
    EXPECT_EQ(IsPowerPointRunning(factory), c.expected) << "\"" << c.name << "\"";
    EXPECT_EQ(std::count(factory.log.begin(), factory.log.end(), "quit"), 0)
        << "the instance was asked to quit";
    EXPECT_EQ(std::count(factory.log.begin(), factory.log.end(), "create PowerPoint.Application"),
              0)
        << "the running check started an instance";
  }
}

TEST(IsPowerPointRunning, AFailingNameMeansNotRunning) {
  ScriptedFactory factory;
  factory.running = true;
  factory.nameThrows = true;
  EXPECT_FALSE(IsPowerPointRunning(factory));
}

TEST(WarnIfPowerPointOpen, SilentWhenNothingRuns) {
  ScriptedFactory factory;
  ScriptedUi ui;
  EXPECT_FALSE(WarnIfPowerPointOpen(factory, ui));
  EXPECT_TRUE(ui.calls.empty());
}

TEST(WarnIfPowerPointOpen, AsksOnceWithTheExactTextAndNoMeansStop) {
  for (auto answer : {MessageAnswer::Yes, MessageAnswer::No}) {
    ScriptedFactory factory;
    factory.running = true;
    ScriptedUi ui;
    ui.yesNoAnswers.push_back(answer);
    EXPECT_EQ(WarnIfPowerPointOpen(factory, ui), answer == MessageAnswer::No);
    ASSERT_EQ(ui.calls.size(), 1u);
    EXPECT_EQ(ui.calls[0].text,
              "PowerPoint may be open. It is recommended that you close PowerPoint first.\r"
              "Use Ctrl+Alt+Del > Task Manager > POWERPNT.EXE if necessary.\r\n\r\n"
              "Would you like to proceed anyway?");
    EXPECT_EQ(ui.calls[0].buttons, MessageButtons::YesNo);
    EXPECT_EQ(ui.calls[0].icon, MessageIcon::None);
    EXPECT_EQ(ui.calls[0].title, ApplicationTitle());
  }
}

}  // namespace
}  // namespace qm::test
