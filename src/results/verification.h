#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/context.h"
#include "platform/socket.h"

namespace orvi {

// The link verification: a dispatcher thread walks the catalogue and starts a
// probe thread per waiting file, within a budget of connections shared with
// the exploration; each probe writes its file's state, size and date.

// Starts the dispatcher (the probe count starts at 0). Called after the
// catalogue has been emptied; does nothing while a dispatcher runs.
void StartVerification(Context& ctx);
// Breaks the probes' sockets (their files go back to Waiting) and tells the
// dispatcher and the probes that they serve nothing any more; returns at
// once, they end by themselves. The caller holds CatalogueLock.
void StopVerification(Context& ctx);

// How a wait for the verification ended.
enum class VerifyWaitEnd { Settled, OutOfTime, Interrupted };
// Waits until no file of the catalogue waits for its probe or is being
// probed, looking every 50 ms, and at most until the clock reads untilMs.
// pause(ms) waits between two looks and answers true when the user
// interrupts; without it the clock sleeps.
VerifyWaitEnd WaitForVerification(Context& ctx, int64_t untilMs, const std::function<bool(int ms)>& pause = {});

// How many probes may run now: the connections the page fetches leave free
// under MaxConnect, at least 2 and at most 16.
int ProbeBudget(const Context& ctx);

// The request of a file probe ("HEAD" or "GET") and the host to connect to;
// false unless the URL begins with "http://".
bool BuildProbeRequest(const Context& ctx, std::string_view url, std::string& host,
                       std::string& request, std::string_view method);

// One HTTP exchange with a file's server. On a 2xx answer gives the text
// received (for HEAD, the headers, from which size and date are read);
// otherwise nothing, with timedOut set when a socket time-out was the cause.
// The socket is published in slot while it is open. A redirection is no
// success here; the verification of a file follows it.
std::optional<std::string> ProbeFile(Context& ctx, std::string_view url, SocketSlot& slot,
                                     bool& timedOut, bool useHead, int64_t& size,
                                     std::string& date);

// The real file URL behind a hosting service's download page, or nothing.
std::optional<std::string> HostedFileUrl(std::string_view page, std::string_view prefix);

}  // namespace orvi
