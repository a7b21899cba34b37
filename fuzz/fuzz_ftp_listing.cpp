// An FTP server's bytes as the probe meets them: the last reply line of what
// arrived, the first line of a listing, an MDTM date; and a link of any bytes split
// into its parts. Sizes are never negative, dates stay within their field,
// and no part that goes into a command holds a line end.
#include <cstddef>
#include <cstdint>
#include <string>

#include "ftp/ftp_probe.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  if (std::optional<std::string_view> line = orvi::LastReplyLine(input)) {
    if (line->empty() || (*line)[0] < '1' || (*line)[0] > '9') __builtin_trap();
  }
  size_t end = input.find("\r\n");
  orvi::FtpListing listing = orvi::ParseListingLine(input.substr(0, end));
  if (listing.size < 0 || listing.date.size() > 31) __builtin_trap();
  if (listing.directory && (listing.size != 0 || !listing.date.empty())) __builtin_trap();

  // An MDTM answer's date is of one length.
  std::optional<std::string> date = orvi::MdtmDate(input);
  if (date && date->size() != 24) __builtin_trap();

  orvi::FtpAddress a = orvi::ParseFtpAddress(input);
  if (a.user.size() > 79 || a.password.size() > 79 || a.host.size() > 119 || a.fileName.size() > 199) {
    __builtin_trap();
  }
  // Decoding only ever shortens.
  if (a.folder.size() > a.path.size()) __builtin_trap();
  return 0;
}
