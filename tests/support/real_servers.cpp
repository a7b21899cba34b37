#include "support/real_servers.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <vector>

#include "platform/file_io.h"
#include "platform/socket.h"

extern char** environ;

namespace orvi::test {
namespace {

bool CanConnect(uint16_t port) {
  int fd = CreateTcpSocket();
  in_addr loopback{};
  loopback.s_addr = htonl(INADDR_LOOPBACK);
  bool ok = ConnectIPv4(fd, loopback, port);
  CloseSocket(fd);
  return ok;
}

}  // namespace

uint16_t FreePort() {
  uint16_t port = 0;
  int fd = ListenLoopback(port);
  CloseSocket(fd);
  return port;
}

RealServer::RealServer() {
  // Workers of these servers drop to an unprivileged user: let them in.
  ::chmod(dir_.path().c_str(), 0755);
}

RealServer::~RealServer() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGTERM);
  // tinyproxy can wait on its client threads for good after SIGTERM: a server
  // that has not gone within 5 s is killed, so that no test hangs on it.
  int status = 0;
  for (int i = 0; i < 250; ++i) {
    if (::waitpid(pid_, &status, WNOHANG) == pid_) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ::kill(pid_, SIGKILL);
  ::waitpid(pid_, &status, 0);
}

std::string RealServer::Log() const { return dir_.Read("server.log"); }

bool RealServer::Launch(const std::string& program, const std::vector<std::string>& args) {
  if (::access(program.c_str(), X_OK) != 0) {
    error_ = program + " is not installed (the test command of the README installs it)";
    return false;
  }
  std::vector<char*> argv;
  std::vector<std::string> storage{program};
  storage.insert(storage.end(), args.begin(), args.end());
  for (std::string& s : storage) argv.push_back(s.data());
  argv.push_back(nullptr);
  std::string log = dir_.File("server.log");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  int rc = posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) {
    pid_ = -1;
    error_ = "cannot start " + program;
    return false;
  }
  // Poll until it accepts connections, or it has died, for at most 20 s.
  for (int i = 0; i < 1000; ++i) {
    if (CanConnect(port_)) return true;
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      error_ = program + " exited at start: " + Log();
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  error_ = program + " did not come up: " + Log();
  return false;
}

bool Nginx::Start(const std::string& extraServerLines) {
  port_ = FreePort();
  std::filesystem::create_directories(dir_.path() + "www");
  ::chmod((dir_.path() + "www").c_str(), 0755);
  const std::string& d = dir_.path();
  std::string conf =
      "worker_processes 1;\n"
      "daemon off;\n"
      "pid " + d + "nginx.pid;\n"
      "error_log " + d + "server.log warn;\n"
      "events { worker_connections 512; }\n"
      "http {\n"
      "  access_log off;\n"
      "  client_body_temp_path " + d + "tmp_body;\n"
      "  proxy_temp_path " + d + "tmp_proxy;\n"
      "  fastcgi_temp_path " + d + "tmp_fastcgi;\n"
      "  uwsgi_temp_path " + d + "tmp_uwsgi;\n"
      "  scgi_temp_path " + d + "tmp_scgi;\n"
      // Files get their real types, as a served site has them: a file behind
      // a redirection must not pass for a page.
      "  include /etc/nginx/mime.types;\n"
      "  default_type text/html;\n"
      "  server {\n"
      "    listen 127.0.0.1:" + std::to_string(port_) + (certificate_.empty() ? "" : " ssl") + ";\n" +
      (certificate_.empty() ? "" : "    ssl_certificate " + certificate_ + ";\n"
                                   "    ssl_certificate_key " + key_ + ";\n") +
      "    root " + d + "www;\n"
      "    autoindex on;\n" +
      extraServerLines +
      "  }\n"
      "}\n";
  dir_.Write("nginx.conf", conf);
  return Launch("/usr/sbin/nginx", {"-p", d, "-e", d + "server.log", "-c", d + "nginx.conf"});
}

void Nginx::AddFile(const std::string& name, const std::string& bytes) {
  std::string path = dir_.path() + "www/" + name;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  WriteWholeFile(path, bytes);
  ::chmod(path.c_str(), 0644);
}

void Nginx::UseTls(const std::string& certificate, const std::string& key) {
  certificate_ = certificate;
  key_ = key;
}

std::string Nginx::Url(const std::string& path) const {
  return (certificate_.empty() ? "http://127.0.0.1:" : "https://127.0.0.1:") + std::to_string(port_) + path;
}

bool TestAuthority::Run(const std::string& command) {
  std::string log = dir_.File("openssl.log");
  if (std::system(("cd '" + dir_.path() + "' && " + command + " >>'" + log + "' 2>&1").c_str()) == 0) {
    return true;
  }
  error_ = command + " failed: " + dir_.Read("openssl.log");
  return false;
}

// Elliptic-curve keys: quick to make and to check, as a test run needs.
bool TestAuthority::Make() {
  return Run("openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes "
             "-keyout ca.key -out ca.pem -subj /CN=Orvilane-test-CA -days 30");
}

bool TestAuthority::Issue(const std::string& name, const std::string& altName, int days) {
  dir_.Write(name + ".ext", "subjectAltName=" + altName + "\n");
  // Readable by nginx's workers, which may run as another user.
  return Run("openssl req -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -keyout " + name +
             ".key -out " + name + ".csr -subj /CN=" + name) &&
         Run("openssl x509 -req -in " + name + ".csr -CA ca.pem -CAkey ca.key -CAcreateserial -out " +
             name + ".pem -days " + std::to_string(days) + " -extfile " + name + ".ext") &&
         Run("chmod 0644 " + name + ".key " + name + ".pem && chmod 0755 .");
}

bool Tinyproxy::Start(const std::string& login, const std::string& password) {
  port_ = FreePort();
  std::string conf =
      "User nobody\n"
      "Group nogroup\n"
      "Port " + std::to_string(port_) + "\n"
      "Listen 127.0.0.1\n"
      "Timeout 30\n"
      "MaxClients 64\n"
      "LogLevel Error\n"
      "BasicAuth " + login + " " + password + "\n";
  dir_.Write("tinyproxy.conf", conf);
  return Launch("/usr/bin/tinyproxy", {"-d", "-c", dir_.File("tinyproxy.conf")});
}

bool FtpServer::Start(const std::string& user, const std::string& password) {
  port_ = FreePort();
  for (const char* folder : {"anon", "user"}) {
    std::filesystem::create_directories(dir_.path() + folder);
  }
  return Launch("/usr/bin/python3", {ORVI_TEST_SUPPORT_DIR "/ftp_server.py", std::to_string(port_),
                                     dir_.path() + "anon", user, password, dir_.path() + "user"});
}

void FtpServer::AddFile(const std::string& path, const std::string& bytes) {
  std::string full = dir_.path() + path;
  std::filesystem::create_directories(std::filesystem::path(full).parent_path());
  WriteWholeFile(full, bytes);
}

std::string FtpServer::AnonymousUrl(const std::string& path) const {
  return "ftp://127.0.0.1:" + std::to_string(port_) + path;
}

std::string FtpServer::UserUrl(const std::string& user, const std::string& password,
                               const std::string& path) const {
  return "ftp://" + user + ":" + password + "@127.0.0.1:" + std::to_string(port_) + path;
}

}  // namespace orvi::test
