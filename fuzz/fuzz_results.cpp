// A results file of any content, loaded as a load or a resume loads it, then
// shown as the results list and tree show it: nothing read may break the
// view, a table never holds more than its capacity, and writing it back works.
#include <cstddef>
#include <cstdint>
#include <string>

#include "results/results_file.h"
#include "results/results_view.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  orvi::Context ctx(orvi::ContextOptions{.appFolder = "/tmp/"});
  orvi::FileCatalogue small(4);
  orvi::ParseResults(ctx, small, bytes);
  if (small.count() > small.capacity) __builtin_trap();
  orvi::ParseResults(ctx, ctx.catalogue, bytes);

  orvi::ResultsView view;
  for (const orvi::ViewToggles& toggles : {orvi::ViewToggles{}, orvi::ViewToggles{false, false, false}}) {
    view.RefreshList(ctx, toggles);
  }
  for (int i = 0; i < view.RowCount(); ++i) {
    orvi::EntryTree tree = view.RefreshTree(ctx, i, false);
    for (const orvi::TreeGroup& g : tree.groups) {
      for (const orvi::TreeFile& f : g.files) orvi::FileDetailsOf(ctx, f.file);
    }
  }

  for (const orvi::ListRow& row : view.Rows()) {
    if (row.key.size() > orvi::kMaxNameChars) __builtin_trap();
  }
  orvi::ComposeResults(ctx, ctx.catalogue);
  return 0;
}
