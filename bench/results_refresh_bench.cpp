// The results window's refreshes over a full catalogue: 4096 entries with
// several groups and copies each (and server folders), file states changing
// between ticks as the verification would change them. Prints milliseconds
// per RefreshList and per RefreshTree beside the 250 ms tick. No assertion.
#include <QApplication>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <vector>

#include "core/context.h"
#include "ui/browser.h"
#include "ui/gui_env.h"
#include "ui/qt_ui_port.h"
#include "ui/results_window.h"

namespace {

using namespace orvi;
using Clock = std::chrono::steady_clock;

class NoBrowser final : public ui::Browser {
 public:
  bool OpenInBrowser(const std::string&, bool) override { return true; }
  bool ShellOpen(const std::string&) override { return true; }
  void CopyToClipboard(const std::string&) override {}
};

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

template <class F>
double Time(F&& f) {
  auto start = Clock::now();
  f();
  return Ms(Clock::now() - start);
}

struct Stats {
  std::vector<double> ms;
  void Add(double v) { ms.push_back(v); }
  double Mean() const {
    double sum = 0;
    for (double v : ms) sum += v;
    return ms.empty() ? 0 : sum / static_cast<double>(ms.size());
  }
  double Max() const { return ms.empty() ? 0 : *std::max_element(ms.begin(), ms.end()); }
};

// 4096 entries: 1 to 4 groups of 1 to 3 copies; every 64th a server folder of 40 links.
std::vector<FoundFile*> Fill(Context& ctx) {
  std::vector<FoundFile*> files;
  std::lock_guard lock(ctx.CatalogueLock);
  for (int i = 0; i < FileCatalogue::kMainCapacity; ++i) {
    auto entry = std::make_shared<FoundEntry>();
    const bool folder = i % 64 == 63;
    char key[80];
    std::snprintf(key, sizeof key, folder ? "@idrive~%d" : "file%04d", i);
    entry->key = key;
    entry->hits = 1 + i % 7;
    const int groups = folder ? 1 : 1 + i % 4;
    const int copies = folder ? 40 : 1 + i % 3;
    FoundFile* previousGroup = nullptr;
    for (int g = 0; g < groups; ++g) {
      FoundFile* previousCopy = nullptr;
      for (int c = 0; c < copies; ++c) {
        FoundFile* f = entry->NewFile();
        char text[240];
        std::snprintf(text, sizeof text, folder ? "%s" : "%s%d.zip", key, g + 1);
        f->name = text;
        std::snprintf(text, sizeof text, "http://host%d.example.net/pub/%s/%d/%d.zip", c, key, g, c);
        f->url = text;
        std::snprintf(text, sizeof text, "http://pages.example.org/%d.html", i);
        f->page = text;
        if (previousCopy) previousCopy->nextCopy = f;
        else if (previousGroup) previousGroup->nextGroup = f;
        else entry->files = f;
        if (c == 0) previousGroup = f;
        previousCopy = f;
        files.push_back(f);
      }
    }
    ctx.catalogue.entries.push_back(std::move(entry));
  }
  return files;
}

// What the verification does between two ticks: some files start, some end.
void Churn(std::vector<FoundFile*>& files, std::mt19937& random, size_t count) {
  std::uniform_int_distribution<size_t> pick(0, files.size() - 1);
  for (size_t n = 0; n < count; ++n) {
    FoundFile* f = files[pick(random)];
    switch (f->State()) {
      case FileState::Waiting: f->SetState(FileState::Verifying); break;
      case FileState::Verifying:
        f->SetState(random() % 4 == 0 ? FileState::Failed : FileState::Valid);
        f->size = static_cast<int32_t>(1000 + random() % 5000000);
        break;
      default: f->SetState(FileState::Waiting); break;
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  QTemporaryDir home;
  auto port = std::make_shared<ui::QtUiPort>();
  Context ctx(ContextOptions{.appFolder = home.path().toStdString() + "/", .ui = port});
  NoBrowser browser;
  ui::GuiEnv env{ctx, *port, browser, {}, {}};
  ui::ResultsWindow td(env);
  td.TickTimer().stop();
  td.resize(1200, 800);
  td.show();

  std::vector<FoundFile*> files = Fill(ctx);
  std::mt19937 random(42);
  std::printf("results window refresh, %d entries, %zu files, tick every %d ms\n", FileCatalogue::kMainCapacity,
              files.size(), ui::ResultsWindow::kTickMs);

  const double firstFill = Time([&] { td.RefreshList(); });
  std::printf("  RefreshList, first fill (4096 new rows):        %8.2f ms\n", firstFill);

  Stats still;
  for (int i = 0; i < 20; ++i) still.Add(Time([&] { td.RefreshList(); }));
  std::printf("  RefreshList, nothing changed:                   %8.2f ms mean, %6.2f max\n", still.Mean(), still.Max());

  // The entry with the most files in the tree: a server folder.
  QTreeWidget* list = td.FileList();
  const double rebuild = Time([&] { list->setCurrentItem(list->topLevelItem(63)); });
  std::vector<FoundFile*> shown;
  {
    std::lock_guard lock(ctx.CatalogueLock);
    for (FoundFile* f : CopiesOf(ctx.catalogue.entries[63]->files)) shown.push_back(f);
  }
  std::printf("  RefreshTree(rebuild), server folder of 40 links: %7.2f ms\n", rebuild);

  for (size_t churn : {size_t{20}, size_t{200}, size_t{2000}}) {
    Stats listMs, treeMs;
    for (int round = 0; round < 20; ++round) {
      Churn(files, random, churn);
      listMs.Add(Time([&] { td.RefreshList(); }));
      // The selected entry's links change too.
      Churn(shown, random, 5);
      treeMs.Add(Time([&] { td.RefreshTree(false); }));
    }
    std::printf("  %4zu file states changed per tick: RefreshList %6.2f ms mean (%6.2f max), "
                "RefreshTree(periodic) %6.3f ms mean (%6.3f max)\n",
                churn, listMs.Mean(), listMs.Max(), treeMs.Mean(), treeMs.Max());
  }

  Stats ticks;
  for (int i = 0; i < 40; ++i) {
    Churn(files, random, 200);
    ticks.Add(Time([&] { td.Tick(); }));
  }
  std::printf("  whole tick (list or tree, alternately), 200 changes: %6.2f ms mean (%6.2f max) = %.1f%% of the "
              "250 ms tick\n",
              ticks.Mean(), ticks.Max(), 100.0 * ticks.Mean() / ui::ResultsWindow::kTickMs);

  td.showSingleFiles = false;
  const double hide = Time([&] { td.RefreshViews(); });
  td.showSingleFiles = true;
  const double show = Time([&] { td.RefreshViews(); });
  std::printf("  view toggle \"Fichiers unitaires\": off %.2f ms (rows deleted), on %.2f ms (rows appended)\n", hide,
              show);
  const double sortMs = Time([&] { td.SortByColumn(4); });
  std::printf("  sort by \"Taille\" (4096 rows): %.2f ms\n", sortMs);
  return 0;
}
