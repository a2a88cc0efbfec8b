#pragma once
// Looks up a host's addresses for one request. Each lookup runs on a thread
// of its own, so one that a silent name server holds up delays no other
// request; the request can stop waiting for it (its limit ran out, or it was
// cancelled) and the thread then finishes on its own. An IP literal needs no
// lookup at all.
#include <boost/asio/ip/tcp.hpp>
#include <functional>
#include <string>
#include <vector>

#include "net/AsioCoroutines.h"

namespace quarlen {

using Endpoints = std::vector<boost::asio::ip::tcp::endpoint>;
// What a waiting step leaves behind so that a limit or a cancel can end its
// wait at once; empty while nothing waits.
using StopHook = std::function<void()>;

// The addresses of host for port, in the order the system's resolver gives
// them. Fails with the resolver's error, or with operation_aborted once stop
// has been called. Runs on an io_context's thread.
boost::asio::awaitable<Endpoints> LookUp(const std::string& host, int port, StopHook& stop,
                                         boost::system::error_code& ec);

}  // namespace quarlen
