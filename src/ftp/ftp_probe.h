#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/socket.h"

namespace orvi {

// The parts of an ftp:// link.
struct FtpAddress {
  std::string user;      // 79 characters at most; "anonymous" when the link names none
  std::string password;  // 79; the placeholder for an anonymous login
  std::string host;      // 119
  int port = 21;
  std::string path;      // 499; "/" when the link has none
  std::string folder;    // the path before its last "/", percent-decoded
  std::string fileName;  // 199: the path after its last "/", percent-decoded
};

inline constexpr char kAnonymousUser[] = "anonymous";
inline constexpr char kAnonymousPassword[] = "orvi@orvi";

FtpAddress ParseFtpAddress(std::string_view link);

// One line of a Unix-style listing.
struct FtpListing {
  int64_t size = 0;
  std::string date;  // as the server wrote it, 31 characters at most
  bool directory = false;
  std::string name;
};
FtpListing ParseListingLine(std::string_view line);

// The last complete reply line in what a server sent (a line ended by CR LF
// that starts with a digit 1-9 and has no "-" as its fourth character), or
// nothing while none has arrived.
std::optional<std::string_view> LastReplyLine(std::string_view received);

// The value of an MDTM answer ("YYYYMMDDHHMMSS", UTC, perhaps with a
// fraction of a second) as the HTTP probe writes a Last-Modified date:
// "31 Jan 2002 23:59:58 GMT". Nothing for anything else.
std::optional<std::string> MdtmDate(std::string_view value);

// Reads the size and date of one ftp:// file from the server's listing of it,
// over a passive data connection; when the listing holds no line for it, from
// the server's SIZE and MDTM answers (the date then written as
// "31 Jan 2002 23:59:58 GMT"). The control connection is published in
// slot as soon as it exists, so another thread can break the probe; it is
// closed before the call returns. timeoutSeconds bounds every wait on the
// network. True on success (also for a directory).
bool ProbeFtpFile(std::string_view link, SocketSlot& slot, int64_t& size, std::string& date,
                  int timeoutSeconds);

}  // namespace orvi
