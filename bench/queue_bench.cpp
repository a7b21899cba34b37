// The cost of the two linear scans every found link pays, at their worst:
// one AcceptUrl with the queue at its 3999 entries, one AddFoundLink at 4096
// catalogue entries; beside the cost of fetching one small page from a local
// nginx, which is what each analysed page costs anyway. Prints microseconds
// per call; asserts nothing.
//   queue_bench [calls]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

#include "explore/queue.h"
#include "explore/url_filter.h"
#include "net/fetch_page.h"
#include "results/catalogue.h"
#include "support/real_servers.h"

namespace {

using Clock = std::chrono::steady_clock;

double Micros(Clock::duration d) { return std::chrono::duration<double, std::micro>(d).count(); }

// Average microseconds of `calls` calls of f; `between` runs untimed after each.
template <typename F, typename G>
double PerCall(int calls, F f, G between) {
  Clock::duration total{};
  for (int i = 0; i < calls; ++i) {
    auto start = Clock::now();
    f(i);
    total += Clock::now() - start;
    between();
  }
  return Micros(total) / calls;
}

}  // namespace

int main(int argc, char** argv) {
  const int calls = argc > 1 ? std::atoi(argv[1]) : 2000;
  orvi::Context ctx(orvi::ContextOptions{.appFolder = "/tmp"});
  ctx.activeProfile.MaxDomains = 100000;
  ctx.run.collecting = true;

  // Distinct hosts, so that the host quota never ends a walk early.
  // The 3999th page is the last the queue takes, after walking the 3998
  // before it; at 3999 the filters refuse at once.
  bool added = false;
  for (int i = 0; ctx.queue.count() < orvi::kQueueCapacity - 1; ++i) {
    orvi::AcceptUrl(ctx, "http://host" + std::to_string(i) + ".example/page.html", added, 0,
                    orvi::FoundBy::NearbyLink, 1);
  }
  const std::string last = ctx.queue.entries.back()->url;
  auto nothing = [] {};
  double newest = PerCall(calls, [&](int) {
    orvi::AcceptUrl(ctx, "http://new.example/", added, 0, orvi::FoundBy::NearbyLink, 1);
  }, [&] {
    std::lock_guard lock(ctx.QueueLock);
    ctx.queue.entries.pop_back();
  });
  double duplicate = PerCall(calls, [&](int) {
    orvi::AcceptUrl(ctx, last, added, 0, orvi::FoundBy::NearbyLink, 1);
  }, nothing);
  orvi::AcceptUrl(ctx, "http://new.example/", added, 0, orvi::FoundBy::NearbyLink, 1);
  double refused = PerCall(calls, [&](int i) {
    orvi::AcceptUrl(ctx, "http://more" + std::to_string(i) + ".example/", added, 0,
                    orvi::FoundBy::NearbyLink, 1);
  }, nothing);

  // Every key alike in its first two letters, so that the duplicate test
  // walks every entry's files, then the entry look-up walks the whole table.
  for (int i = 0; ctx.catalogue.count() < ctx.catalogue.capacity - 1; ++i) {
    std::string name = "file" + std::to_string(i) + ".zip";
    orvi::AddFoundLink(ctx, ctx.catalogue, name, "http://h.example/" + name, "http://p.example/",
                       false, 0);
  }
  double newestFile = PerCall(calls, [&](int) {
    orvi::AddFoundLink(ctx, ctx.catalogue, "filez.zip", "http://h.example/filez.zip",
                       "http://p.example/", false, 0);
  }, [&] {
    std::lock_guard lock(ctx.CatalogueLock);
    ctx.catalogue.entries.pop_back();
  });
  orvi::AddFoundLink(ctx, ctx.catalogue, "filez.zip", "http://h.example/filez.zip",
                     "http://p.example/", false, 0);
  double full = PerCall(calls, [&](int i) {
    orvi::AddFoundLink(ctx, ctx.catalogue, "more.zip", "http://h.example/" + std::to_string(i),
                       "http://p.example/", false, 0);
  }, nothing);

  orvi::test::Nginx nginx;
  nginx.AddFile("page.html", "<html><body>" + std::string(2000, 'x') + "</body></html>");
  if (!nginx.Start()) {
    std::cerr << nginx.error() << '\n';
    return 1;
  }
  const std::string url = nginx.Url("/page.html");
  const int fetches = std::max(1, calls / 10);
  bool fetched = true;
  double fetch = PerCall(fetches, [&](int) {
    orvi::FetchError label;
    fetched &= orvi::FetchPage(ctx, url, label, false, 0, "").has_value();
  }, nothing);
  if (!fetched) std::cerr << "a fetch failed\n";

  const int capacity = orvi::kQueueCapacity;
  std::printf("AcceptUrl at %d queued pages, taking the %dth:                %.1f us/call\n",
              capacity - 1, capacity, newest);
  std::printf("AcceptUrl at %d queued pages, the last page offered again:      %.1f us/call\n",
              capacity - 1, duplicate);
  std::printf("AcceptUrl at %d queued pages, refused at the capacity:          %.1f us/call\n",
              capacity, refused);
  std::printf("AddFoundLink at %d entries, creating the %dth:                %.1f us/call\n",
              ctx.catalogue.capacity - 1, ctx.catalogue.capacity, newestFile);
  std::printf("AddFoundLink at %d entries, the table full:                     %.1f us/call\n",
              ctx.catalogue.count(), full);
  std::printf("FetchPage of a 2 KB page from nginx on 127.0.0.1:              %.1f us/call\n", fetch);
  return 0;
}
