#include "serve/ServeOptions.h"

#include <arpa/inet.h>

#include "base/WholeNumber.h"
#include "cli/OptionArgument.h"

namespace qm {

std::string ServeUsageText() {
  return "Usage: quillmere-serve [OPTIONS]\n"
         "Converts presentations posted over HTTP into slide images, on the same\n"
         "renderer as quillmere-batch.\n"
         "\n"
         "  --listen HOST:PORT    listen there (default 127.0.0.1:8080; port 0: any free\n"
         "                        port, said on standard error)\n"
         "  --max-body MB         refuse uploads larger than MB megabytes with 413\n"
         "                        (default 100)\n"
         "  --max-decks N         take at most N decks in one request (default 20)\n"
         "  --jobs N              convert up to N decks at once, each on a warm renderer\n"
         "                        (default: as quillmere-batch, one per core)\n"
         "  --queue N             let up to N more wait (default 16); past that 429\n"
         "  --deadline S          a request not answered within S seconds, its wait\n"
         "                        included, is stopped and answered 503 (default 300)\n"
         "  --header-timeout S    close a connection whose request headers are not all in\n"
         "                        within S seconds (default 10; a client that trickles\n"
         "                        them is cut off)\n"
         "  --read-timeout S      close a connection silent for S seconds (default 30)\n"
         "  --max-connections N   serve at most N connections at once (default 64)\n"
         "  --drain S             on SIGTERM, SIGINT or SIGHUP: take no more, let the\n"
         "                        conversions under way finish for up to S seconds\n"
         "                        (default 20), stop the rest at their next slide, exit 0\n"
         "  --quiet               no line per request on standard error\n"
         "  -h, --help            show this help\n"
         "      --version         show the version\n"
         "\n"
         "Routes:\n"
         "  POST /convert?filename=NAME&OPTION=VALUE...   the deck as the request body,\n"
         "      or decks as multipart/form-data (field \"files\", options as fields);\n"
         "      the options are quillmere-batch's long options without the dashes (mode,\n"
         "      slide, direction, slides, first, last, skip-hidden, pad, resolution,\n"
         "      scale-to, width, height, type, quality, transparent, grid, gap,\n"
         "      background); a flag takes 1 or true. One image comes back as itself,\n"
         "      several as a ZIP with results.json.\n"
         "  GET /health                                   200 while the service answers\n"
         "\n"
         "Errors answer {\"error\": ..., \"file\": ...}: 400 a bad option, 404 no such route,\n"
         "405 another method, 413 past --max-body, 415 no presentation, 422 a deck that\n"
         "could not be converted, 429 the queue is full (Retry-After), 503 past the\n"
         "deadline or while stopping, 500 the service's own fault.\n";
}

std::optional<ServeOptions> ParseServeOptions(const std::vector<std::string>& args, std::string* error) {
  ServeOptions options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    OptionArgument option(args, &i, error);
    const std::string& name = option.Name();
    if (name == "--listen") {
      const auto v = option.Value("HOST:PORT");
      if (!v) return std::nullopt;
      const auto colon = v->rfind(':');
      const auto port = colon == std::string::npos ? std::nullopt : WholeNumber(v->substr(colon + 1), 0, 65535);
      in_addr address{};
      if (!port || ::inet_pton(AF_INET, v->substr(0, colon).c_str(), &address) != 1) {
        *error = "The address \"" + *v + "\" for --listen must be an IPv4 address and a port, as in 127.0.0.1:8080.";
        return std::nullopt;
      }
      options.host = v->substr(0, colon);
      options.port = *port;
    } else if (name == "--max-body") {
      const auto v = option.Value("a number");
      if (!v) return std::nullopt;
      const auto mb = WholeNumber(*v, 1, 1 << 16);
      if (!mb) {
        *error = "The value \"" + *v + "\" for --max-body must be a whole number of megabytes from 1 to 65536.";
        return std::nullopt;
      }
      options.maxBodyBytes = static_cast<std::uint64_t>(*mb) << 20;
    } else if (name == "--jobs" || name == "--queue" || name == "--deadline" || name == "--max-decks" ||
               name == "--drain" || name == "--header-timeout" || name == "--read-timeout" ||
               name == "--max-connections") {
      const auto v = option.Value("a number");
      if (!v) return std::nullopt;
      const int least = name == "--queue" || name == "--drain" ? 0 : 1;
      const int most = name == "--jobs"                                                          ? 64
                       : name == "--queue" || name == "--max-decks" || name == "--max-connections" ? 10000
                                                                                                   : 86400;
      const auto number = WholeNumber(*v, least, most);
      if (!number) {
        *error = "The value \"" + *v + "\" for " + name + " must be a whole number from " + std::to_string(least) +
                 " to " + std::to_string(most) + ".";
        return std::nullopt;
      }
      (name == "--jobs"        ? options.jobs
       : name == "--queue"     ? options.queue
       : name == "--max-decks" ? options.maxDecks
       : name == "--drain"     ? options.drainSeconds
       : name == "--header-timeout" ? options.headerTimeoutSeconds
       : name == "--read-timeout"   ? options.readTimeoutSeconds
       : name == "--max-connections" ? options.maxConnections
                               : options.deadlineSeconds) = *number;
    } else if (name == "--quiet") {
      if (!option.Flag(options.quiet)) return std::nullopt;
    } else if (name == "-h" || name == "--help") {
      if (!option.Flag(options.help)) return std::nullopt;
    } else if (name == "--version") {
      if (!option.Flag(options.version)) return std::nullopt;
    } else {
      *error = "Unknown option " + name + ". Try --help.";
      return std::nullopt;
    }
  }
  return options;
}

}  // namespace qm
