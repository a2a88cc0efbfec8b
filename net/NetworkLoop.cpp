#include "net/NetworkLoop.h"

#include <boost/asio/executor_work_guard.hpp>
#include <boost/asio/io_context.hpp>

#include <thread>

namespace quarlen {

struct NetworkLoop::Impl {
  boost::asio::io_context io;
  // Without work the context's run() would return while no request is open.
  boost::asio::executor_work_guard<boost::asio::io_context::executor_type> work{io.get_executor()};
  std::thread thread{[this] { io.run(); }};
};

NetworkLoop::NetworkLoop() : impl_(std::make_unique<Impl>()) {}

NetworkLoop::~NetworkLoop() {
  impl_->work.reset();
  impl_->io.stop();
  impl_->thread.join();
}

boost::asio::io_context& NetworkLoop::Context() { return impl_->io; }

}  // namespace quarlen
