// https, with the certificates of a test authority, next to curl in one run:
// FetchPage on a 20 KB page from a local nginx (a fresh connection and a full
// handshake for each page, for both), and the link verification of 500 files
// on a loopback TLS server that answers each request after 50 ms, beside
// curl --parallel --parallel-max 16 --head. Prints the ratios last.
//   https_bench [pages] [links]
#include <openssl/ssl.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <thread>
#include <vector>

#include "net/fetch_page.h"
#include "platform/socket.h"
#include "results/verification.h"
#include "support/real_servers.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

// Answers every request after 50 ms over TLS, 32 connections at a time.
class SlowTlsServer {
 public:
  SlowTlsServer(const std::string& certificate, const std::string& key) : tls_(SSL_CTX_new(TLS_server_method())) {
    SSL_CTX_use_certificate_chain_file(tls_, certificate.c_str());
    SSL_CTX_use_PrivateKey_file(tls_, key.c_str(), SSL_FILETYPE_PEM);
    listener_ = orvi::ListenLoopback(port_, 512);
    for (int i = 0; i < 32; ++i) workers_.emplace_back([this] { Serve(); });
  }
  ~SlowTlsServer() {
    ::shutdown(listener_, SHUT_RDWR);
    for (auto& w : workers_) w.join();
    ::close(listener_);
    SSL_CTX_free(tls_);
  }
  uint16_t port() const { return port_; }

 private:
  void Serve() {
    // OpenSSL's own socket layer writes without MSG_NOSIGNAL.
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
    for (;;) {
      int fd = ::accept(listener_, nullptr, nullptr);
      if (fd < 0) return;
      SSL* ssl = SSL_new(tls_);
      SSL_set_fd(ssl, fd);
      if (SSL_accept(ssl) == 1) {
        char buffer[4096];
        std::string request;
        while (request.find("\r\n\r\n") == std::string::npos) {
          int n = SSL_read(ssl, buffer, sizeof buffer);
          if (n <= 0) break;
          request.append(buffer, static_cast<size_t>(n));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        const std::string reply =
            "HTTP/1.1 200 OK\r\nContent-Length: 4242\r\nConnection: close\r\n"
            "Last-Modified: Tue, 15 Nov 1994 08:12:31 GMT\r\n\r\n";
        SSL_write(ssl, reply.data(), static_cast<int>(reply.size()));
        SSL_shutdown(ssl);
      }
      SSL_free(ssl);
      ::close(fd);
    }
  }
  SSL_CTX* tls_;
  uint16_t port_ = 0;
  int listener_ = -1;
  std::vector<std::thread> workers_;
};

int Curl(const orvi::test::TempDir& dir, const std::string& options, const std::string& config) {
  dir.Write("curl.cfg", config);
  return std::system(("curl " + options + " -K " + dir.File("curl.cfg")).c_str());
}

}  // namespace

int main(int argc, char** argv) {
  const int pages = argc > 1 ? std::atoi(argv[1]) : 1000;
  const int links = argc > 2 ? std::atoi(argv[2]) : 500;
  orvi::test::TestAuthority authority;
  if (!authority.Make() || !authority.Issue("local", "IP:127.0.0.1")) {
    std::cerr << authority.error() << '\n';
    return 1;
  }
  orvi::test::TempDir dir;
  // curl keeps no TLS session between its transfers, so that each makes the
  // full handshake that FetchPage makes.
  const std::string curlCommon = "silent\nfail\nno-progress-meter\nno-sessionid\ncacert = \"" + authority.CaFile() + "\"\n";

  orvi::test::Nginx nginx;
  nginx.AddFile("page.html", "<html><body>" + std::string(20 * 1024 - 26, 'x') + "</body></html>");
  nginx.UseTls(authority.Certificate("local"), authority.Key("local"));
  if (!nginx.Start()) {
    std::cerr << nginx.error() << '\n';
    return 1;
  }
  const std::string url = nginx.Url("/page.html");
  orvi::Context ctx(orvi::ContextOptions{.appFolder = "/tmp"});
  ctx.netSettings = {.Https = true, .CaFile = authority.CaFile()};
  ctx.settings.HttpTimeOut = 30;
  ctx.settings.MaxConnect = 24;  // no page fetches: the full budget of 16 probes
  ctx.settings.VerifyTimeOut = 30;
  ctx.run.collecting = true;
  auto start = Clock::now();
  for (int i = 0; i < pages; ++i) {
    orvi::FetchError label;
    auto page = orvi::FetchPage(ctx, url, label, false, 0, "");
    if (!page || page->size() < 20 * 1024) {
      std::cerr << "fetch " << i << " failed: " << orvi::LabelText(label) << '\n';
      return 1;
    }
  }
  const double ourPages = pages / Seconds(start);
  std::string config = curlCommon + "header = \"Connection: close\"\n";
  for (int i = 0; i < pages; ++i) config += "url = \"" + url + "\"\noutput = \"/dev/null\"\n";
  start = Clock::now();
  if (Curl(dir, "", config) != 0) {
    std::cerr << "curl failed\n";
    return 1;
  }
  const double curlPages = pages / Seconds(start);

  SlowTlsServer server(authority.Certificate("local"), authority.Key("local"));
  std::vector<orvi::FoundFile*> files;
  config = curlCommon + "head\n";
  {
    std::lock_guard lock(ctx.CatalogueLock);
    for (int i = 0; i < links; ++i) {
      auto entry = std::make_shared<orvi::FoundEntry>();
      entry->key = "f" + std::to_string(i);
      entry->files = entry->NewFile();
      entry->files->url = "https://127.0.0.1:" + std::to_string(server.port()) + "/files/f" + std::to_string(i) + ".zip";
      config += "url = \"" + entry->files->url + "\"\noutput = \"/dev/null\"\n";
      files.push_back(entry->files);
      ctx.catalogue.entries.push_back(std::move(entry));
    }
  }
  start = Clock::now();
  orvi::StartVerification(ctx);
  for (bool open = true; open;) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    open = false;
    for (orvi::FoundFile* f : files) open |= f->state <= 0;
  }
  const double ourCheck = Seconds(start);
  for (orvi::FoundFile* f : files) {
    if (f->State() != orvi::FileState::Valid || f->size != 4242) {
      std::cerr << "a link was not verified: " << f->url << '\n';
      return 1;
    }
  }
  start = Clock::now();
  if (Curl(dir, "--parallel --parallel-immediate --parallel-max 16", config) != 0) {
    std::cerr << "curl failed\n";
    return 1;
  }
  const double curlCheck = Seconds(start);

  std::printf("pages: %d of 20 KB over https from nginx on 127.0.0.1\n", pages);
  std::printf("FetchPage: %.0f pages/s\n", ourPages);
  std::printf("curl:      %.0f pages/s\n", curlPages);
  std::printf("links: %d over https, each answered after 50 ms\n", links);
  std::printf("verification: %.2f s\n", ourCheck);
  std::printf("curl --parallel --parallel-immediate --parallel-max 16 --head: %.2f s\n", curlCheck);
  std::printf("ratio FetchPage/curl (pages/s): %.2f\n", ourPages / curlPages);
  std::printf("ratio curl/verification (time): %.2f\n", curlCheck / ourCheck);
  return 0;
}
