#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace orvi {

// Short-lived threads that are started and never waited for (workers,
// probes), kept here so that each can still be joined: ended ones by Reap,
// the rest by JoinAll when their owner goes.
class ThreadSet {
 public:
  ThreadSet() = default;
  ThreadSet(const ThreadSet&) = delete;
  ThreadSet& operator=(const ThreadSet&) = delete;
  ~ThreadSet() { JoinAll(); }

  void Start(std::function<void()> body) {
    auto done = std::make_shared<std::atomic<bool>>(false);
    std::thread thread([body = std::move(body), done] {
      body();
      *done = true;
    });
    std::lock_guard lock(mutex_);
    threads_.push_back({std::move(thread), std::move(done)});
  }

  // Joins the threads that have ended.
  void Reap() {
    std::vector<Entry> ended;
    {
      std::lock_guard lock(mutex_);
      for (auto it = threads_.begin(); it != threads_.end();) {
        if (*it->done) {
          ended.push_back(std::move(*it));
          it = threads_.erase(it);
        } else {
          ++it;
        }
      }
    }
    for (Entry& e : ended) e.thread.join();
  }

  bool AllEnded() {
    std::lock_guard lock(mutex_);
    for (const Entry& e : threads_) {
      if (!*e.done) return false;
    }
    return true;
  }

  void JoinAll() {
    for (;;) {
      std::vector<Entry> all;
      {
        std::lock_guard lock(mutex_);
        all.swap(threads_);
      }
      if (all.empty()) return;
      for (Entry& e : all) e.thread.join();
    }
  }

 private:
  struct Entry {
    std::thread thread;
    std::shared_ptr<std::atomic<bool>> done;
  };
  std::mutex mutex_;
  std::vector<Entry> threads_;
};

}  // namespace orvi
