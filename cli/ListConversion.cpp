#include "cli/ListConversion.h"

#include "cli/TerminalUi.h"
#include "engine/adapter/LibreOfficeApplicationFactory.h"
#include "engine/batch/BatchRun.h"
#include "engine/batch/JobRunner.h"
#include "engine/batch/ListRunOptions.h"
#include "imaging/writers/GdiPlusSession.h"

namespace qm {

void ConvertList(const CommandLine& options, const std::vector<std::string>& list,
                 ProgressDisplay& display, const CancelToken& cancel, JobPool* pool) {
  TerminalUi ui(display, options.slideText, options.direction, options.verbose);
  ListRunOptions runOptions(list, options.mode, options.outputFolder, options.beside,
                            options.request);
  // Only asked whether a presentation application is running: starts no renderer.
  LibreOfficeApplicationFactory probe;
  JobRunner runner(DefaultJobPath(), options.jobs);
  runner.SetAllowLinks(options.allowLinks);
  runner.SetFileTimeout(std::chrono::seconds(options.timeoutSeconds));
  runner.SetCancelToken(&cancel);
  runner.SetJobPool(pool);
  BatchRun run(probe, ui, runOptions);
  run.SetJobRunner(&runner);
  run.SetObserver(&display);
  GdiPlusSession imaging;
  run.SetGdiStartFailed(!imaging.Start());
  run.Start();
  imaging.Stop();
}

}  // namespace qm
