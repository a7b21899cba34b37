// A site scan of 300 pages served by a local nginx: pages explored per second
// from the start of the run until nothing waits or runs, beside the
// scheduler's ceiling of one start per 80 ms pass (12.5 pages a second).
//   site_scan_bench [pages]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <thread>

#include "explore/exploration_run.h"
#include "support/page_tree.h"

int main(int argc, char** argv) {
  const int pages = argc > 1 ? std::atoi(argv[1]) : 300;
  orvi::test::Nginx nginx;
  if (!orvi::test::ServePageTree(nginx, pages, false)) {
    std::cerr << nginx.error() << '\n';
    return 1;
  }
  orvi::test::TempDir home;
  orvi::Context ctx(orvi::ContextOptions{.appFolder = home.path()});
  ctx.settings.MinConnect = 12;
  ctx.settings.MaxConnect = 24;
  orvi::SearchProfile& p = ctx.activeProfile;
  p.ExtractAll = p.EnableNews = p.Zip = p.SiteScan = true;
  p.MaxDomains = 999;
  ctx.queue.entries.push_back(
      std::make_shared<orvi::QueueEntry>(nginx.Url("/p0.html"), 0, orvi::FoundBy::FromEngine, 0));

  auto start = std::chrono::steady_clock::now();
  orvi::StartExplorationRun(ctx, orvi::RunMode::Scan);
  while (ctx.run.FinishedCount < pages) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    orvi::OnRunTimer(ctx);
  }
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  orvi::StopAndClearQueue(ctx);
  orvi::JoinRunThreads(ctx);

  std::printf("pages explored: %d in %.2f s\n", pages, seconds);
  std::printf("scheduler ceiling: 12.5 pages/s (one start per 80 ms)\n");
  std::printf("site scan: %.1f pages/s\n", pages / seconds);
  std::printf("ratio scan/ceiling: %.2f\n", pages / seconds / 12.5);
  return 0;
}
