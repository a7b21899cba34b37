#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orvi::sandbox {

// One HTTP/1.x request: its head, and the body a Content-Length announces
// (a POST's form, at most kMaxRequestHead bytes).
struct Request {
  std::string method;
  std::string target;    // as sent
  std::string path;      // percent-decoded, without the query
  std::string rawQuery;  // after "?", as sent
  std::vector<std::pair<std::string, std::string>> headers;
  std::string body;

  // The first header of that name (any letter case), or empty.
  std::string Header(std::string_view name) const;
  // The decoded value of a field of the query string, else of the form
  // body; present tells whether the field was there at all.
  std::string Param(std::string_view name, bool* present = nullptr) const;
};

// Request heads longer than this are refused whole.
constexpr size_t kMaxRequestHead = 16 * 1024;

enum class ParseResult {
  Incomplete,  // the blank line that ends the head has not arrived yet
  Complete,
  Malformed,
  TooLarge,
};

// Reads the request from the bytes received so far (request line, header
// lines, a blank line; lines may end in CR LF or LF; then the body). An absolute target
// ("http://host/path") is taken as its path.
ParseResult ParseRequest(std::string_view bytes, Request& request);

// A field of a query string ("a=1&b=2"), form-decoded; the first one wins.
std::string QueryField(std::string_view rawQuery, std::string_view name, bool* present = nullptr);

// A field of a Cookie value ("a=1; b=x&nnum=100&c=2") read as the engines'
// preference cookies are: the first "name=" anywhere after a separator, up
// to the next "&", ";" or space. Empty when absent.
std::string CookieField(std::string_view cookie, std::string_view name);

// What the sandbox answers; the body is text, a file streamed from disk or
// generated filler bytes of a given length.
struct Response {
  enum class Body { Text, File, Filler };

  int status = 200;
  std::string contentType = "text/html; charset=windows-1252";
  std::vector<std::pair<std::string, std::string>> headers;  // besides the standard ones
  Body kind = Body::Text;
  std::string body;  // Text: the body; Filler: the text repeated to fill it
  std::string path;  // File: the file on disk
  uint64_t length = 0;  // File and Filler: the number of bytes

  uint64_t ContentLength() const { return kind == Body::Text ? body.size() : length; }
};

const char* StatusText(int status);

// Status line and headers, up to and including the blank line. Every answer
// carries its length and closes the connection.
std::string ResponseHead(const Response& response);

// A small HTML page for an error status.
Response ErrorResponse(int status, std::string_view detail = {});

// The bytes [offset, offset + size) of a filler body.
void FillerBytes(const Response& response, uint64_t offset, char* out, size_t size);

}  // namespace orvi::sandbox
