#pragma once

namespace orvi {

// How a page fetch ended. None is success; Redirect ("3xx") is no failure
// either: the whole response comes back for the caller to read Location.
enum class FetchError {
  None,
  ExtractURL,     // the URL does not start with "http://" (nor "https://" when allowed)
  InvalidSocket,  // no socket could be created
  HostName,       // the host name does not resolve
  Connect,        // the connection fails
  Send,           // sending the request fails
  Timeout,        // a receive timed out before 1024 bytes arrived
  Recv,           // a receive failed otherwise before 1024 bytes arrived
  NRead0,         // the connection closed with nothing received
  NoSpace,        // the response holds no space
  NotFound404,    // a 3xx response holds "404" somewhere
  Redirect,       // a redirection: the whole response is returned
  Status40x,      // any status whose first digit is neither 2 nor 3
  NoCRLF,         // a 2xx response with no blank line after the headers
  Tls,            // the secure connection could not be made (handshake, certificate)
};

// The label's fixed text ("ExtractURL", "host_name", "3xx", ...); "" for None.
constexpr const char* LabelText(FetchError e) {
  switch (e) {
    case FetchError::None: return "";
    case FetchError::ExtractURL: return "ExtractURL";
    case FetchError::InvalidSocket: return "Invalid_socket";
    case FetchError::HostName: return "host_name";
    case FetchError::Connect: return "Connect";
    case FetchError::Send: return "Send";
    case FetchError::Timeout: return "timeout";
    case FetchError::Recv: return "recv";
    case FetchError::NRead0: return "NRead=0";
    case FetchError::NoSpace: return "NoSpace";
    case FetchError::NotFound404: return "404";
    case FetchError::Redirect: return "3xx";
    case FetchError::Status40x: return "40x";
    case FetchError::NoCRLF: return "NoCRLF";
    case FetchError::Tls: return "TLS";
  }
  return "";
}

}  // namespace orvi
