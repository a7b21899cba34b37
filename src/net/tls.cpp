#include "net/tls.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>

#include "platform/text.h"

namespace orvi {
namespace {

// The TLS configuration one context shares among its connections: the
// authorities to trust, and the socket layer that writes with MSG_NOSIGNAL
// (OpenSSL's own would let a peer that hangs up raise SIGPIPE).
struct TlsClient {
  SSL_CTX* ctx = nullptr;
  BIO_METHOD* socketMethod = nullptr;
  ~TlsClient() {
    SSL_CTX_free(ctx);
    BIO_meth_free(socketMethod);
  }
};

// What the socket layer of one connection keeps: its descriptor, and whether
// the peer closed (OpenSSL asks, to tell a plain close from an error).
struct SocketBio {
  int fd = kInvalidSocket;
  bool eof = false;
};

SocketBio& BioState(BIO* bio) { return *static_cast<SocketBio*>(BIO_get_data(bio)); }

bool WouldBlock(int err) { return err == EAGAIN || err == EWOULDBLOCK; }

int BioWrite(BIO* bio, const char* data, int size) {
  BIO_clear_retry_flags(bio);
  for (;;) {
    ssize_t n = ::send(BioState(bio).fd, data, static_cast<size_t>(size), MSG_NOSIGNAL);
    if (n >= 0) return static_cast<int>(n);
    if (errno == EINTR) continue;
    if (WouldBlock(errno)) BIO_set_retry_write(bio);
    return -1;
  }
}

int BioRead(BIO* bio, char* data, int size) {
  BIO_clear_retry_flags(bio);
  for (;;) {
    ssize_t n = ::recv(BioState(bio).fd, data, static_cast<size_t>(size), 0);
    if (n == 0) BioState(bio).eof = true;
    if (n >= 0) return static_cast<int>(n);
    if (errno == EINTR) continue;
    if (WouldBlock(errno)) BIO_set_retry_read(bio);
    return -1;
  }
}

long BioCtrl(BIO* bio, int command, long, void*) {
  if (command == BIO_CTRL_FLUSH) return 1;
  if (command == BIO_CTRL_EOF) return BioState(bio).eof ? 1 : 0;
  return 0;
}

int BioCreate(BIO* bio) {
  BIO_set_init(bio, 1);
  return 1;
}

std::shared_ptr<TlsClient> BuildClient(const std::string& caFile) {
  auto client = std::make_shared<TlsClient>();
  client->ctx = SSL_CTX_new(TLS_client_method());
  client->socketMethod = BIO_meth_new(BIO_get_new_index() | BIO_TYPE_SOURCE_SINK, "orvi socket");
  if (client->ctx == nullptr || client->socketMethod == nullptr) return nullptr;
  BIO_meth_set_write(client->socketMethod, BioWrite);
  BIO_meth_set_read(client->socketMethod, BioRead);
  BIO_meth_set_ctrl(client->socketMethod, BioCtrl);
  BIO_meth_set_create(client->socketMethod, BioCreate);
  SSL_CTX* ctx = client->ctx;
  SSL_CTX_set_min_proto_version(ctx, TLS1_2_VERSION);
  SSL_CTX_set_verify(ctx, SSL_VERIFY_PEER, nullptr);
  SSL_CTX_set_mode(ctx, SSL_MODE_AUTO_RETRY);
  // Web servers often close without a TLS close notice; the response's own
  // framing, not the notice, tells whether a page is whole.
  SSL_CTX_set_options(ctx, SSL_OP_IGNORE_UNEXPECTED_EOF);
  if (SSL_CTX_set_default_verify_paths(ctx) != 1) return nullptr;
  // A bundle that cannot be read must not quietly leave its authority out.
  if (!caFile.empty() && SSL_CTX_load_verify_locations(ctx, caFile.c_str(), nullptr) != 1) {
    return nullptr;
  }
  return client;
}

// The context's configuration, built on first use; rebuilt when the bundle
// changed. Nothing when it cannot be built.
std::shared_ptr<TlsClient> ClientOf(Context& ctx) {
  std::lock_guard lock(ctx.tls.mutex);
  const std::string& caFile = ctx.netSettings.CaFile;
  if (!ctx.tls.client || ctx.tls.caFile != caFile) {
    ctx.tls.client = BuildClient(caFile);
    ctx.tls.caFile = caFile;
  }
  ERR_clear_error();
  return std::static_pointer_cast<TlsClient>(ctx.tls.client);
}

bool IsAddressLiteral(const std::string& host) {
  unsigned char buffer[16];
  return ::inet_pton(AF_INET, host.c_str(), buffer) == 1 ||
         ::inet_pton(AF_INET6, host.c_str(), buffer) == 1;
}

bool SetBlocking(int fd, bool blocking) {
  int flags = ::fcntl(fd, F_GETFL);
  if (flags < 0) return false;
  flags = blocking ? flags & ~O_NONBLOCK : flags | O_NONBLOCK;
  return ::fcntl(fd, F_SETFL, flags) == 0;
}

}  // namespace

Connection::Connection(int fd) : fd_(fd) {}

Connection::~Connection() {
  // The socket layer's state goes with the SSL object that owns it.
  if (ssl_ != nullptr) {
    SocketBio* state = &BioState(SSL_get_rbio(ssl_));
    SSL_free(ssl_);
    delete state;
  }
}

bool Connection::StartTls(Context& ctx, const std::string& hostName, const Deadline& deadline) {
  if (ssl_ != nullptr) return false;
  std::shared_ptr<TlsClient> client = ClientOf(ctx);
  if (!client) return false;
  SSL* ssl = SSL_new(client->ctx);
  BIO* bio = ssl != nullptr ? BIO_new(client->socketMethod) : nullptr;
  if (bio == nullptr) {
    SSL_free(ssl);
    return false;
  }
  BIO_set_data(bio, new SocketBio{fd_, false});
  SSL_set_bio(ssl, bio, bio);
  ssl_ = ssl;
  client_ = client;

  // The host check: a name must be the certificate's, an address one of its
  // addresses; only a name goes out as the server name.
  bool named = true;
  if (IsAddressLiteral(hostName)) {
    named = X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(ssl), hostName.c_str()) == 1;
  } else {
    named = SSL_set_tlsext_host_name(ssl, hostName.c_str()) == 1 &&
            SSL_set1_host(ssl, hostName.c_str()) == 1;
  }
  if (!named || hostName.empty()) return false;

  // Without blocking, so that the deadline bounds the whole handshake and a
  // server that drips it cannot hold the caller longer.
  if (!SetBlocking(fd_, false)) return false;
  bool done = false;
  for (;;) {
    int result = SSL_connect(ssl);
    if (result == 1) {
      done = true;
      break;
    }
    int error = SSL_get_error(ssl, result);
    if (error != SSL_ERROR_WANT_READ && error != SSL_ERROR_WANT_WRITE) break;
    int64_t remaining = deadline.RemainingMs();
    if (remaining <= 0) break;
    pollfd wait{fd_, static_cast<short>(error == SSL_ERROR_WANT_READ ? POLLIN : POLLOUT), 0};
    int ready = ::poll(&wait, 1, static_cast<int>(std::min<int64_t>(remaining, 1 << 30)));
    if (ready < 0 && errno != EINTR) break;
    if (ready == 0) break;
  }
  ERR_clear_error();
  return SetBlocking(fd_, true) && done;
}

IoResult Connection::Send(std::string_view data) {
  if (ssl_ == nullptr) return SendAll(fd_, data);
  size_t done = 0;
  while (done < data.size()) {
    size_t written = 0;
    if (SSL_write_ex(ssl_, data.data() + done, data.size() - done, &written) != 1) {
      int error = SSL_get_error(ssl_, 0);
      ERR_clear_error();
      return {-1, error == SSL_ERROR_WANT_WRITE ? SocketError::TimedOut : SocketError::Other};
    }
    done += written;
  }
  return {static_cast<long long>(done), SocketError::None};
}

IoResult Connection::ReceiveWithin(char* buffer, size_t size, int64_t perReceiveMs,
                                   const Deadline& deadline) {
  if (ssl_ == nullptr) return orvi::ReceiveWithin(fd_, buffer, size, perReceiveMs, deadline);
  int64_t remaining = deadline.RemainingMs();
  if (remaining <= 0) return {-1, SocketError::TimedOut};
  // The socket's receive time-out bounds each read OpenSSL makes; it gives
  // up with "want read", which is the time-out.
  SetReceiveTimeoutMs(fd_, perReceiveMs > 0 ? std::min(perReceiveMs, remaining) : remaining);
  size_t got = 0;
  if (SSL_read_ex(ssl_, buffer, size, &got) == 1) return {static_cast<long long>(got), SocketError::None};
  int error = SSL_get_error(ssl_, 0);
  ERR_clear_error();
  if (error == SSL_ERROR_ZERO_RETURN) return {0, SocketError::None};
  return {-1, error == SSL_ERROR_WANT_READ ? SocketError::TimedOut : SocketError::Other};
}

bool IsHttpsUrl(std::string_view url) { return StartsWithIgnoreCase(url, "https://"); }

}  // namespace orvi
