#include "tests/support/FakeApplicationFactory.h"

#include "imaging/codecs/BmpFile.h"
#include "base/Error.h"

#include <csignal>
#include <chrono>
#include <thread>

namespace qm::test {

namespace {

using Log = std::shared_ptr<std::vector<std::string>>;

class FakeSlideObject : public Slide {
 public:
  FakeSlideObject(Log log, FakeSlide slide, int index, std::string deckPath)
      : log_(std::move(log)), slide_(slide), index_(index), deckPath_(std::move(deckPath)) {}

  bool Hidden() override { return slide_.hidden; }
  void Export(const std::string& fileName, const std::string& filterName, int scaleWidth,
              int scaleHeight) override {
    log_->push_back("export " + std::to_string(index_) + " " + fileName);
    if (slide_.exportDelayMs > 0)
      std::this_thread::sleep_for(std::chrono::milliseconds(slide_.exportDelayMs));
    if (slide_.failExport)
      throw Error(deckPath_ + ": slide " + std::to_string(index_) + " could not be exported");
    if (filterName != "BMP" || scaleWidth != 0 || scaleHeight != 0)
      throw Error("Only BMP at the default size is supported");
    if (slide_.exportWritesNothing) return;
    Bitmap bitmap(slide_.width, slide_.height);
    for (std::size_t i = 0; i < bitmap.pixels.size(); i += 3)
      for (int c = 0; c < 3; ++c) bitmap.pixels[i + c] = slide_.rgb[c];
    const Status written = WriteBmpFile(bitmap, fileName);
    if (!written.Ok()) throw Error(written.Message());
  }

 private:
  Log log_;
  FakeSlide slide_;
  int index_;
  std::string deckPath_;
};

class FakeSlidesObject : public Slides {
 public:
  FakeSlidesObject(Log log, FakeDeck deck) : log_(std::move(log)), deck_(std::move(deck)) {}

  std::int32_t Count() override {
    log_->push_back("count");
    if (deck_.failCount) throw Error("The slide count could not be read");
    return static_cast<std::int32_t>(deck_.slides.size());
  }

  std::shared_ptr<Slide> Item(std::int16_t index) override {
    log_->push_back("item " + std::to_string(index));
    if (index < 1 || index > static_cast<int>(deck_.slides.size()))
      throw Error("Slide " + std::to_string(index) + " does not exist");
    return std::make_shared<FakeSlideObject>(log_, deck_.slides[index - 1], index, deck_.path);
  }

 private:
  Log log_;
  FakeDeck deck_;
};

class FakePresentationObject : public Presentation {
 public:
  FakePresentationObject(Log log, FakeDeck deck)
      : log_(log),
        failClose_(deck.failClose),
        size_(deck.slides.empty() ? std::pair<double, double>{720, 540}
                                  : std::pair<double, double>{deck.slides[0].width * 0.75,
                                                              deck.slides[0].height * 0.75}),
        slides_(log, std::move(deck)) {}
  ~FakePresentationObject() override { log_->push_back("release presentation"); }

  Slides& GetSlides() override {
    if (closed_) throw Error("The presentation is closed");
    return slides_;
  }
  void Close() override {
    log_->push_back("close");
    if (failClose_) throw Error("The presentation could not be closed");
    closed_ = true;
  }
  /// The first slide's size at 96 pixels to the inch.
  std::pair<double, double> SlideSizePoints() override { return size_; }
  /// Only a drawing that differs from the default shows in the log.
  void UseDrawing(const DrawRequest& drawing) override {
    if (closed_) throw Error("The presentation is closed");
    if (drawing.transparent) log_->push_back("draw without background");
  }

 private:
  Log log_;
  bool failClose_;
  std::pair<double, double> size_;
  bool closed_ = false;
  FakeSlidesObject slides_;
};

class FakeApplicationObject : public Application, public Presentations {
 public:
  FakeApplicationObject(Log log, const FakeApplicationFactory& factory, std::string name)
      : log_(std::move(log)), factory_(factory), name_(std::move(name)) {}
  ~FakeApplicationObject() override { log_->push_back("release application"); }

  std::string Name() override {
    log_->push_back("name");
    return name_;
  }
  void SetVisible(bool) override { log_->push_back("visible"); }
  Presentations& GetPresentations() override { return *this; }
  void Quit() override { log_->push_back("quit"); }

  std::shared_ptr<Presentation> Open(const std::string& fileName, bool, bool, bool) override {
    log_->push_back("open " + fileName);
    const auto it = factory_.decks.find(fileName);
    if (it == factory_.decks.end()) throw Error(fileName + ": the file cannot be opened");
    if (it->second.killOnOpen) ::raise(SIGKILL);
    return std::make_shared<FakePresentationObject>(log_, it->second);
  }

 private:
  Log log_;
  const FakeApplicationFactory& factory_;
  std::string name_;
};

}  // namespace

FakeDeck& FakeApplicationFactory::AddDeck(const std::string& path, int count, int width,
                                          int height) {
  FakeDeck& deck = decks[path];
  deck.path = path;
  deck.slides.clear();
  for (int i = 1; i <= count; ++i) deck.slides.push_back({width, height, ColourOf(i)});
  return deck;
}

std::array<std::uint8_t, 3> FakeApplicationFactory::ColourOf(int n) {
  static const std::array<std::array<std::uint8_t, 3>, 6> colours{{
      {200, 40, 40}, {40, 160, 60}, {40, 70, 200}, {220, 180, 30}, {150, 50, 170}, {30, 170, 170}}};
  return colours[(n - 1) % colours.size()];
}

std::shared_ptr<Application> FakeApplicationFactory::Create(const std::string& progId) {
  log->push_back("create");
  if (failCreate || progId != kPresentationApplicationClass)
    throw Error("The presentation application could not be started");
  return std::make_shared<FakeApplicationObject>(log, *this, "Fake Presentation Application");
}

std::shared_ptr<Application> FakeApplicationFactory::Attach(const std::string& progId) {
  log->push_back("attach");
  if (!instanceRunning || progId != kPresentationApplicationClass)
    throw Error("No presentation application is running");
  return std::make_shared<FakeApplicationObject>(log, *this, runningName);
}

std::vector<std::string> FakeApplicationFactory::LogOf(const std::string& prefix) const {
  std::vector<std::string> out;
  for (const auto& entry : *log)
    if (entry.rfind(prefix, 0) == 0) out.push_back(entry);
  return out;
}

}  // namespace qm::test
