#include "search/harvest_job.h"

#include <utility>

namespace orvi {

HarvestJob::~HarvestJob() {
  Cancel();
  if (thread_.joinable()) thread_.join();
}

void HarvestJob::Start(HarvestInputs inputs) {
  if (thread_.joinable()) thread_.join();
  abandoned_ = false;
  ended_ = false;
  started_ = true;
  // The board empties at once, before the thread gets going.
  board_.Update([](HarvestProgress& p) {
    p = HarvestProgress{};
    p.running = true;
  });
  ctx_.harvest.running = true;
  thread_ = std::thread([this, inputs = std::move(inputs)] {
    result_ = RunHarvest(ctx_, inputs, board_, abandoned_);
    ctx_.harvest.running = false;
    ended_ = true;
  });
}

void HarvestJob::Stop() {
  StopHarvest(ctx_);
  // "Stop !" hides the row marker and empties the query line at once.
  board_.Update([](HarvestProgress& p) {
    p.markedRow = -1;
    p.queryDisplay.clear();
  });
}

void HarvestJob::Cancel() {
  abandoned_ = true;
  if (started_ && !ended_) StopHarvest(ctx_);
  ctx_.harvest.running = false;
}

HarvestResult HarvestJob::Join() {
  if (thread_.joinable()) thread_.join();
  started_ = false;
  return std::exchange(result_, {});
}

}  // namespace orvi
