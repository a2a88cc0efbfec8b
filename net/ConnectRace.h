#pragma once
// Connection setup to a host with several addresses, as browsers do it: the
// addresses are tried in the resolver's order with the two families taking
// turns, each next attempt starting when the one before has failed or 250 ms
// have passed, whichever comes first; the first connection made wins and the
// others are closed. A dead first address (an IPv6 route that drops
// everything, one silent server of a round-robin name) then costs 250 ms
// instead of the whole connect limit.
#include <boost/asio/ip/tcp.hpp>
#include <chrono>

#include "net/AsioCoroutines.h"
#include "net/NameLookup.h"

namespace quarlen {

inline constexpr std::chrono::milliseconds AttemptHeadStart{250};

// The order the attempts go in: the first address's family first, then the
// other family and this one taking turns, each family in its own order.
Endpoints InterleaveFamilies(const Endpoints& endpoints);

// Connects to the first of endpoints (in the order given) that answers and
// returns that socket. Fails with the last attempt's error when all fail, or
// with operation_aborted once stop has been called (which closes every
// attempt). Runs on an io_context's thread.
boost::asio::awaitable<boost::asio::ip::tcp::socket> ConnectFirst(const Endpoints& endpoints, StopHook& stop,
                                                                  boost::system::error_code& ec);

}  // namespace quarlen
