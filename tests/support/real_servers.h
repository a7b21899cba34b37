#pragma once

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace orvi::test {

// A server program from Debian, started in the foreground on a free port of
// 127.0.0.1 with a configuration of its own in a temporary folder, and stopped
// by its process id when the object goes. Start() fails with a message when the
// program is missing or does not come up.
class RealServer {
 public:
  virtual ~RealServer();
  uint16_t port() const { return port_; }
  const std::string& error() const { return error_; }
  const TempDir& dir() const { return dir_; }

 protected:
  RealServer();
  bool Launch(const std::string& program, const std::vector<std::string>& args);
  // The server's log, for failure messages.
  std::string Log() const;

  TempDir dir_;
  uint16_t port_ = 0;
  pid_t pid_ = -1;
  std::string error_;
};

// nginx serving the folder www/ of its temporary folder.
class Nginx : public RealServer {
 public:
  // Before Start: serve https with this certificate and key; Url gives https.
  void UseTls(const std::string& certificate, const std::string& key);
  // extraServerLines go inside the server block (redirections and the like).
  bool Start(const std::string& extraServerLines = "");
  // Puts a file (world-readable: nginx workers drop privileges) under www/.
  void AddFile(const std::string& name, const std::string& bytes);
  std::string Url(const std::string& path) const;

 private:
  std::string certificate_;
  std::string key_;
};

// A certificate authority made with the openssl command in a temporary
// folder, and the server certificates it signs.
class TestAuthority {
 public:
  // Makes the authority; false (with error()) when openssl fails.
  bool Make();
  // Signs a certificate for subjectAltName (e.g. "IP:127.0.0.1"), valid from
  // now for days (negative: already expired), stored as NAME.pem and NAME.key.
  bool Issue(const std::string& name, const std::string& altName, int days = 30);
  std::string CaFile() const { return dir_.File("ca.pem"); }
  std::string Certificate(const std::string& name) const { return dir_.File(name + ".pem"); }
  std::string Key(const std::string& name) const { return dir_.File(name + ".key"); }
  const std::string& error() const { return error_; }

 private:
  bool Run(const std::string& command);
  TempDir dir_;
  std::string error_;
};

// tinyproxy demanding Basic authentication with the given login.
class Tinyproxy : public RealServer {
 public:
  bool Start(const std::string& login, const std::string& password);
};

// An FTP server (pyftpdlib) with anonymous access to anon/ and a user with a
// password whose root is user/, both under its temporary folder.
class FtpServer : public RealServer {
 public:
  bool Start(const std::string& user, const std::string& password);
  void AddFile(const std::string& path, const std::string& bytes);
  std::string AnonymousUrl(const std::string& path) const;
  std::string UserUrl(const std::string& user, const std::string& password,
                      const std::string& path) const;
};

// A free TCP port on 127.0.0.1 (bound and released at once).
uint16_t FreePort();

}  // namespace orvi::test
