// Request bytes of any content, read in growing pieces as the server reads
// them and answered from a small fixture and sites folder. Nothing outside
// the sites folder may be served, and every answer's head must be well formed.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "fuzz_exact_text.h"
#include "platform/file_io.h"
#include "sandbox/site.h"

namespace {

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

constexpr char kSecret[] = "NEVER-SERVED";

struct World {
  std::string root;
  std::string sites;
  std::unique_ptr<orvi::sandbox::Site> site;
};

// One folder per user, written the same at every start, so that runs that
// end without cleaning up leave nothing more behind.
World& TheWorld() {
  static World* world = [] {
    auto* w = new World;
    w->root = (std::filesystem::temp_directory_path() / ("fuzz_sandbox_" + std::to_string(::getuid()))).string();
    w->sites = w->root + "/sites";
    std::filesystem::create_directories(w->sites + "/a/b");
    orvi::WriteWholeFile(w->root + "/secret.html", kSecret);
    orvi::WriteWholeFile(w->sites + "/a/index.html", "<html>{base}/a/</html>");
    orvi::WriteWholeFile(w->sites + "/a/b/c.zip", "zip");
    orvi::sandbox::Fixture fixture;
    std::string error;
    Check(fixture.Parse("[google fast wisenut] q\ntotal 1,234\n{base}/r{1..120}.html\n"
                        "[files]\n/m/x.mp3 100 2003-01-01\n/a/v.zip 5 2003-01-01\n",
                        "fuzz", error));
    w->site = std::make_unique<orvi::sandbox::Site>(std::move(fixture), w->sites);
    return w;
  }();
  return *world;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orvi::sandbox;
  World& world = TheWorld();
  ExactText bytes(std::string_view(reinterpret_cast<const char*>(data), size));

  // Read as the server does, piece by piece: once complete, it stays so.
  Request request;
  ParseResult result = ParseResult::Incomplete;
  for (size_t have = 0; have < size;) {
    have = std::min(size, have + 1 + have / 3);
    Request partial;
    ParseResult now = ParseRequest(bytes.view().substr(0, have), partial);
    if (result == ParseResult::Complete) {
      Check(now == ParseResult::Complete && partial.target == request.target);
    } else if (now != ParseResult::Incomplete) {
      result = now;
      request = partial;
    }
  }
  if (result != ParseResult::Complete) return 0;

  Response response = world.site->Respond(request, "http://127.0.0.1:1");
  std::string head = ResponseHead(response);
  Check(head.find("\r\n\r\n") == head.size() - 4);
  for (size_t at = 0; at < head.size(); ++at) {
    if (head[at] == '\n') Check(at > 0 && head[at - 1] == '\r');
    if (head[at] == '\r') Check(head[at + 1] == '\n');
  }
  if (response.kind == Response::Body::Text) {
    // Pages echo the query: the secret may come back only when it was asked for.
    bool asked = FormDecode(request.target).find(kSecret) != std::string::npos ||
                 request.target.find(kSecret) != std::string::npos ||
                 FormDecode(request.body).find(kSecret) != std::string::npos;
    Check(asked || response.body.find(kSecret) == std::string::npos);
  } else if (response.kind == Response::Body::File) {
    Check(response.path.rfind(world.sites + "/", 0) == 0 && response.path.find("/../") == std::string::npos);
  }
  return 0;
}
