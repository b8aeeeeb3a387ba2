// A conversion job whose presentations are fakes, for tests of the batch
// core without LibreOffice. Decks come from QM_FAKE_DECKS, entries separated
// by ";": "PATH=SLIDES", "PATH=SLIDES@MS" (each slide takes MS to export),
// either ending in "!" (the last slide's export fails) or "PATH=kill"
// (opening it kills the job).

#include <sys/prctl.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <sstream>
#include <string>

#include "engine/batch/RunJob.h"
#include "tests/support/FakeApplicationFactory.h"

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  ::prctl(PR_SET_PDEATHSIG, SIGTERM);
  const int fd = std::atoi(argv[2]);
  return qm::RunJob(fd, [] {
    auto factory = std::make_unique<qm::test::FakeApplicationFactory>();
    const char* decks = std::getenv("QM_FAKE_DECKS");
    std::stringstream entries(decks != nullptr ? decks : "");
    std::string entry;
    while (std::getline(entries, entry, ';')) {
      const auto equals = entry.rfind('=');
      if (equals == std::string::npos) continue;
      const std::string path = entry.substr(0, equals);
      const std::string value = entry.substr(equals + 1);
      if (value == "kill") {
        factory->AddDeck(path, 1).killOnOpen = true;
        continue;
      }
      auto& deck = factory->AddDeck(path, std::atoi(value.c_str()));
      const auto at = value.find('@');
      if (at != std::string::npos)
        for (auto& slide : deck.slides) slide.exportDelayMs = std::atoi(value.c_str() + at + 1);
      if (!value.empty() && value.back() == '!' && !deck.slides.empty()) deck.slides.back().failExport = true;
    }
    return factory;
  });
}
