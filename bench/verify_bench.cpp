// 500 file links on a loopback server that answers each request after 50 ms,
// as a distant server would: the time until the link verification has
// checked them all, next to its floor (the dispatcher pauses 5 ms after each
// start, so the last of n links starts no sooner than n x 5 ms), to curl (16
// in parallel, HEAD) and to wget --spider over the same list, in one run.
// Prints the ratios last.
//   verify_bench [links]
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <thread>
#include <vector>

#include "platform/file_io.h"
#include "platform/socket.h"
#include "results/verification.h"
#include "support/temp_dir.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr double kPauseAfterStartSeconds = 0.005;

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

// Answers every request after 50 ms, 32 connections at a time.
class SlowServer {
 public:
  SlowServer() {
    listener_ = orvi::ListenLoopback(port_, 512);
    for (int i = 0; i < 32; ++i) workers_.emplace_back([this] { Serve(); });
  }
  ~SlowServer() {
    ::shutdown(listener_, SHUT_RDWR);
    for (auto& w : workers_) w.join();
    ::close(listener_);
  }
  uint16_t port() const { return port_; }

 private:
  void Serve() {
    for (;;) {
      int fd = ::accept(listener_, nullptr, nullptr);
      if (fd < 0) return;
      char buffer[4096];
      std::string request;
      while (request.find("\r\n\r\n") == std::string::npos) {
        ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        request.append(buffer, static_cast<size_t>(n));
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      orvi::SendAll(fd, "HTTP/1.1 200 OK\r\nContent-Length: 4242\r\nConnection: close\r\n"
                        "Last-Modified: Tue, 15 Nov 1994 08:12:31 GMT\r\n\r\n");
      ::close(fd);
    }
  }
  uint16_t port_ = 0;
  int listener_ = -1;
  std::vector<std::thread> workers_;
};

}  // namespace

int main(int argc, char** argv) {
  const int links = argc > 1 ? std::atoi(argv[1]) : 500;
  SlowServer server;
  std::vector<std::string> urls;
  for (int i = 0; i < links; ++i) {
    urls.push_back("http://127.0.0.1:" + std::to_string(server.port()) + "/files/f" +
                   std::to_string(i) + ".zip");
  }

  orvi::Context ctx(orvi::ContextOptions{.appFolder = "/tmp"});
  ctx.settings.MaxConnect = 24;  // no page fetches: the full budget of 16 probes
  ctx.settings.VerifyTimeOut = 30;
  std::vector<orvi::FoundFile*> files;
  {
    std::lock_guard lock(ctx.CatalogueLock);
    for (int i = 0; i < links; ++i) {
      auto entry = std::make_shared<orvi::FoundEntry>();
      entry->key = "f" + std::to_string(i);
      entry->files = entry->NewFile();
      entry->files->url = urls[static_cast<size_t>(i)];
      files.push_back(entry->files);
      ctx.catalogue.entries.push_back(std::move(entry));
    }
  }
  auto start = Clock::now();
  orvi::StartVerification(ctx);
  for (bool open = true; open;) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    open = false;
    for (orvi::FoundFile* f : files) open |= f->state <= 0;
  }
  double ours = Seconds(start);
  for (orvi::FoundFile* f : files) {
    if (f->State() != orvi::FileState::Valid || f->size != 4242) {
      std::cerr << "a link was not verified: " << f->url << '\n';
      return 1;
    }
  }

  orvi::test::TempDir dir;
  std::string list;
  for (const std::string& url : urls) list += url + "\n";
  dir.Write("urls.txt", list);
  std::string config = "silent\nhead\nno-progress-meter\n";
  for (const std::string& url : urls) config += "url = \"" + url + "\"\noutput = \"/dev/null\"\n";
  dir.Write("curl.cfg", config);
  start = Clock::now();
  if (std::system(("curl --parallel --parallel-immediate --parallel-max 16 -K " + dir.File("curl.cfg")).c_str()) != 0) {
    std::cerr << "curl failed\n";
    return 1;
  }
  double curl = Seconds(start);
  start = Clock::now();
  if (std::system(("wget -q --spider -i " + dir.File("urls.txt")).c_str()) != 0) {
    std::cerr << "wget failed\n";
    return 1;
  }
  double wget = Seconds(start);

  const double least = links * kPauseAfterStartSeconds;
  std::printf("links: %d, each answered after 50 ms\n", links);
  std::printf("verification: %.2f s\n", ours);
  std::printf("floor (one start every 5 ms): %.2f s\n", least);
  std::printf("curl --parallel --parallel-immediate --parallel-max 16 --head: %.2f s\n", curl);
  std::printf("wget --spider: %.2f s\n", wget);
  std::printf("ratio verification/floor: %.2f\n", ours / least);
  std::printf("ratio curl/verification: %.2f\n", curl / ours);
  std::printf("ratio wget/verification: %.2f\n", wget / ours);
  return 0;
}
