#pragma once
// Asio's C++20 coroutine support, included in the one order that builds with
// Debian 12's Boost 1.74: its awaitable.hpp uses std::exchange without
// including <utility>. The net library defines BOOST_ASIO_HAS_CO_AWAIT and
// BOOST_ASIO_HAS_STD_COROUTINE, which Boost 1.74 leaves unset for clang.
#include <coroutine>
#include <utility>
// The order matters, see above.
#include <boost/asio/awaitable.hpp>
#include <boost/asio/co_spawn.hpp>
#include <boost/asio/redirect_error.hpp>
#include <boost/asio/this_coro.hpp>
#include <boost/asio/use_awaitable.hpp>
