#include "ftp/ftp_probe.h"

#include <algorithm>

#include "core/found_files.h"
#include "core/url_text.h"
#include "platform/text.h"

namespace orvi {
namespace {

constexpr size_t kMaxLink = 499;
constexpr size_t kReplyBuffer = 5000;
constexpr size_t kReplyMax = kReplyBuffer - 8;  // 4992
constexpr size_t kListingPiece = 512;
constexpr size_t kListingMax = 1488;
constexpr int kPassiveTimeoutMs = 30000;

size_t SkipSpaces(std::string_view text, size_t pos) {
  while (pos < text.size() && text[pos] == ' ') ++pos;
  return pos;
}

// The leading decimal number of a token (0 without one).
int64_t LeadingNumber(std::string_view text, size_t pos) {
  int64_t n = 0;
  for (; pos < text.size() && IsDigit(text[pos]); ++pos) {
    // Saturates well above any file size and below an overflow.
    n = std::min<int64_t>(n * 10 + (text[pos] - '0'), INT64_C(1) << 58);
  }
  return n;
}

// Reads until a reply line has arrived and gives it; nothing when the
// connection fails, closes or fills the buffer first.
// The network waits of one probe: each receive at most the per-receive
// time-out, all of them within the whole deadline.
struct Waits {
  int64_t perReceiveMs;
  Deadline deadline;
};

std::optional<std::string> ReadReply(int fd, const Waits& waits) {
  std::string received;
  char piece[1024];
  while (received.size() < kReplyMax) {
    IoResult got = ReceiveWithin(fd, piece, std::min(sizeof piece, kReplyMax - received.size()),
                                 waits.perReceiveMs, waits.deadline);
    if (got.bytes <= 0) return std::nullopt;
    received.append(piece, static_cast<size_t>(got.bytes));
    if (auto line = LastReplyLine(received)) return std::string(*line);
  }
  return std::nullopt;
}

std::optional<std::string> Command(int fd, const std::string& command, const Waits& waits) {
  if (SendAll(fd, command).bytes < 0) return std::nullopt;
  return ReadReply(fd, waits);
}

bool ReplyStarts(const std::optional<std::string>& reply, std::string_view codes) {
  return reply && !reply->empty() && codes.find((*reply)[0]) != std::string_view::npos;
}

// The port of a "227 Entering Passive Mode (h1,h2,h3,h4,p1,p2)" reply.
std::optional<uint16_t> PassivePort(std::string_view reply) {
  size_t pos = reply.find('(');
  if (pos == std::string_view::npos) return std::nullopt;
  ++pos;
  int64_t numbers[6];
  for (int i = 0; i < 6; ++i) {
    if (pos >= reply.size() || !IsDigit(reply[pos])) return std::nullopt;
    numbers[i] = LeadingNumber(reply, pos);
    while (pos < reply.size() && IsDigit(reply[pos])) ++pos;
    ++pos;  // the separator
  }
  int64_t port = numbers[4] * 256 + numbers[5];
  if (numbers[4] > 255 || numbers[5] > 255 || port < 1) return std::nullopt;
  return static_cast<uint16_t>(port);
}

// A decoded CR or LF would end the command early and send the rest as a
// command of its own.
bool FitsOneCommand(const FtpAddress& a) {
  for (const std::string* part : {&a.user, &a.password, &a.folder, &a.fileName}) {
    if (part->find_first_of("\r\n") != std::string::npos) return false;
  }
  return true;
}

// The value of a "213" reply (RFC 3659), nothing for any other reply.
std::optional<std::string_view> Value213(const std::optional<std::string>& reply) {
  if (!reply || !reply->starts_with("213 ")) return std::nullopt;
  return TrimWhite(std::string_view(*reply).substr(4));
}

// A listing that holds no line for the file (Pure-FTPd, for one, splits a
// name at its spaces and lists nothing): SIZE and MDTM of RFC 3659 on the
// same connection. Success when the server knows either.
bool AskSizeAndDate(int control, const std::string& name, const Waits& waits, int64_t& size,
                    std::string& date) {
  // SIZE in binary: the file's own bytes, not those of an ASCII transfer.
  if (!Command(control, "TYPE I\r\n", waits)) return false;
  std::optional<std::string> sizeReply = Command(control, "SIZE " + name + "\r\n", waits);
  std::optional<int64_t> bytes;
  if (auto value = Value213(sizeReply)) bytes = ParseSize(*value);
  std::optional<std::string> mdtmReply = Command(control, "MDTM " + name + "\r\n", waits);
  std::optional<std::string> when;
  if (auto value = Value213(mdtmReply)) when = MdtmDate(*value);
  if (!bytes && !when) return false;
  size = bytes.value_or(0);
  date = when.value_or("");
  return true;
}

bool RunProbe(const FtpAddress& address, int control, SocketSlot& slot, int64_t& size,
              std::string& date, int timeoutSeconds) {
  std::optional<in_addr> ip = ResolveIPv4(address.host);
  if (!ip || address.port < 1 || address.port > 65535 || !FitsOneCommand(address)) return false;
  // Without a bound a silent server would hold the probe until the next clear;
  // and one that drips its replies would hold it for as many time-outs as it
  // likes: the whole probe ends within twice its time-out.
  const int64_t timeoutMs = int64_t{timeoutSeconds} * 1000;
  Waits waits{timeoutMs, Deadline(2 * timeoutMs)};
  SetSocketTimeouts(control, timeoutMs);
  if (!ConnectIPv4(control, *ip, static_cast<uint16_t>(address.port))) return false;
  if (!ReadReply(control, waits)) return false;
  if (!ReplyStarts(Command(control, "USER " + address.user + "\r\n", waits), "23")) return false;
  std::optional<std::string> pass = Command(control, "PASS " + address.password + "\r\n", waits);
  if (!pass || (address.user != kAnonymousUser && !ReplyStarts(pass, "2"))) return false;
  if (!ReplyStarts(Command(control, "TYPE A\r\n", waits), "2")) return false;
  // Most servers refuse an empty CWD: a file at the root is looked for in "/".
  std::string folder = address.folder.empty() ? "/" : address.folder;
  if (!ReplyStarts(Command(control, "CWD " + folder + "\r\n", waits), "2")) return false;

  std::optional<std::string> pasv = Command(control, "PASV\r\n", waits);
  if (!pasv || !pasv->starts_with("227")) return false;
  std::optional<uint16_t> port = PassivePort(*pasv);
  if (!port) return false;
  // The data connection goes to the server the control connection reached,
  // whatever address the reply names: a reply must not aim it elsewhere.
  std::optional<in_addr> peer = PeerAddress(control);
  int data = CreateTcpSocket();
  if (data == kInvalidSocket || !peer) {
    CloseSocket(data);
    return false;
  }
  // Published too: a stop must also break a wait for the listing.
  if (!slot.Publish(data)) {
    slot.CloseOwned(data);
    return false;
  }
  SetSocketTimeouts(control, kPassiveTimeoutMs);
  waits.perReceiveMs = kPassiveTimeoutMs;
  SetSocketTimeouts(data, timeoutMs);
  if (!ConnectIPv4(data, *peer, *port)) {
    slot.CloseOwned(data);
    return false;
  }
  std::optional<std::string> list = Command(control, "LIST " + address.fileName + "\r\n", waits);
  if (!list) {
    slot.CloseOwned(data);
    return false;
  }
  // A refused LIST (no such file) sends nothing on the data connection: no
  // wait for the time-out.
  const bool refused = ReplyStarts(list, "45");
  std::string listing;
  char piece[kListingPiece];
  while (!refused && listing.size() < kListingMax) {
    IoResult got = ReceiveWithin(data, piece, std::min(kListingPiece, kListingMax - listing.size()),
                                 timeoutMs, waits.deadline);
    if (got.bytes <= 0) break;
    listing.append(piece, static_cast<size_t>(got.bytes));
  }
  slot.CloseOwned(data);
  size_t end = listing.find("\r\n");
  if (end == std::string::npos) {
    // The transfer's own end ("226 0 matches total") comes before any other
    // command, unless it came with the LIST reply.
    if (ReplyStarts(list, "1") && !ReadReply(control, waits)) return false;
    return AskSizeAndDate(control, address.fileName, waits, size, date);
  }
  FtpListing line = ParseListingLine(std::string_view(listing).substr(0, end));
  size = line.size;
  date = line.date;
  return true;
}

}  // namespace

FtpAddress ParseFtpAddress(std::string_view link) {
  link = link.substr(0, kMaxLink);
  std::string_view rest = link.substr(std::min<size_t>(6, link.size()));
  FtpAddress a;
  size_t at = rest.find('@');
  size_t colon = rest.find(':');
  std::string_view hostPart = rest;
  if (at != std::string_view::npos && colon < at) {
    a.user = Cut(rest.substr(0, colon), kMaxNameChars);
    a.password = Cut(rest.substr(colon + 1, at - colon - 1), kMaxNameChars);
    hostPart = rest.substr(at + 1);
  } else {
    a.user = kAnonymousUser;
    a.password = kAnonymousPassword;
  }
  size_t slash = hostPart.find('/');
  size_t portColon = hostPart.find(':');
  size_t hostEnd = slash;
  if (portColon != std::string_view::npos && portColon < slash) {
    hostEnd = portColon;
    int64_t port = LeadingNumber(hostPart, portColon + 1);
    a.port = static_cast<int>(std::min<int64_t>(port, 1 << 20));
  }
  a.host = Cut(hostPart.substr(0, hostEnd), 119);
  a.path = slash == std::string_view::npos ? "/" : Cut(hostPart.substr(slash), kMaxLink);
  size_t last = a.path.rfind('/');
  a.folder = a.path.substr(0, last);
  a.fileName = Cut(std::string_view(a.path).substr(last + 1), 199);
  // A link writes its path percent-encoded ("space%20name.zip"); the server
  // knows the names themselves. Split first, so that an encoded "/" stays
  // part of its name.
  UrlDecode(a.folder);
  UrlDecode(a.fileName);
  return a;
}

std::optional<std::string> MdtmDate(std::string_view value) {
  static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::string_view stamp = value.substr(0, value.find('.'));
  if (stamp.size() != 14 || !std::all_of(stamp.begin(), stamp.end(), IsDigit)) return std::nullopt;
  auto two = [&](size_t pos) { return ParseIntLoose(stamp.substr(pos, 2)); };
  const int month = two(4);
  if (month < 1 || month > 12 || two(6) < 1 || two(6) > 31 || two(8) > 23 || two(10) > 59 ||
      two(12) > 60) {
    return std::nullopt;
  }
  std::string date(stamp.substr(6, 2));
  date.append(" ").append(kMonths[month - 1]).append(" ").append(stamp.substr(0, 4));
  date.append(" ").append(stamp.substr(8, 2)).append(":").append(stamp.substr(10, 2));
  return date.append(":").append(stamp.substr(12, 2)).append(" GMT");
}

std::optional<std::string_view> LastReplyLine(std::string_view received) {
  std::optional<std::string_view> last;
  size_t pos = 0;
  for (;;) {
    size_t end = received.find("\r\n", pos);
    if (end == std::string_view::npos) return last;
    std::string_view line = received.substr(pos, end - pos);
    if (!line.empty() && line[0] >= '1' && line[0] <= '9' && (line.size() < 4 || line[3] != '-')) {
      last = line;
    }
    pos = end + 2;
  }
}

FtpListing ParseListingLine(std::string_view line) {
  FtpListing out;
  if (!line.empty() && line[0] == 'd') {
    out.directory = true;
    return out;
  }
  size_t pos = line.find(' ');
  if (pos == std::string_view::npos) return out;
  int64_t size = 0;
  size_t month = std::string_view::npos;
  // The size is the number before the month; a number that a following
  // number outgrows (a link count, a numeric owner) is passed over.
  while (month == std::string_view::npos) {
    size_t token = SkipSpaces(line, pos);
    size_t tokenEnd = line.find(' ', token);
    if (token >= line.size() || tokenEnd == std::string_view::npos) {
      out.size = size;
      return out;
    }
    if (size > 1 && !IsDigit(line[token])) {
      size_t next = SkipSpaces(line, tokenEnd);
      if (next >= line.size() || LeadingNumber(line, next) < size) {
        month = token;
        break;
      }
      size = LeadingNumber(line, next);
      tokenEnd = line.find(' ', next);
      if (tokenEnd == std::string_view::npos) {
        out.size = size;
        return out;
      }
    } else {
      size = LeadingNumber(line, token);
    }
    pos = tokenEnd;
  }
  out.size = size;

  size_t dateEnd = std::string_view::npos;
  size_t colon = line.find(':', month);
  if (colon != std::string_view::npos) {
    dateEnd = line.find(' ', colon);
    if (dateEnd == std::string_view::npos) return out;
  } else {
    // The year form: the date ends after the day and the year.
    size_t p = line.find(' ', month);
    size_t lastBlank = p;
    int numbers = 0;
    for (int k = 0; k < 4 && p != std::string_view::npos; ++k) {
      size_t token = SkipSpaces(line, p);
      if (token >= line.size()) break;
      if (IsDigit(line[token]) && LeadingNumber(line, token) >= 1) ++numbers;
      p = line.find(' ', token);
      if (numbers == 2) {
        dateEnd = p == std::string_view::npos ? line.size() : p;
        break;
      }
      if (p != std::string_view::npos) lastBlank = p;
    }
    if (dateEnd == std::string_view::npos) {
      out.date = Cut(line.substr(month), kMaxDate);
      if (lastBlank != std::string_view::npos) out.name = std::string(line.substr(lastBlank + 1));
      return out;
    }
  }
  out.date = Cut(line.substr(month, dateEnd - month), kMaxDate);
  out.name = std::string(line.substr(SkipSpaces(line, dateEnd)));
  return out;
}

bool ProbeFtpFile(std::string_view link, SocketSlot& slot, int64_t& size, std::string& date,
                  int timeoutSeconds) {
  int control = CreateTcpSocket();
  if (control == kInvalidSocket) return false;
  bool ok = slot.Publish(control) &&
            RunProbe(ParseFtpAddress(link), control, slot, size, date, timeoutSeconds);
  slot.CloseOwned(control);
  return ok;
}

}  // namespace orvi
