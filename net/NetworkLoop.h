#pragma once
// The thread on which the asynchronous HTTP clients do their I/O. One per
// program; it runs until destroyed, and destroying it ends every request
// still under way without delivering its completion.
#include <memory>

namespace boost::asio {
class io_context;
}

namespace quarlen {

class IUiThread;

class NetworkLoop {
 public:
  NetworkLoop();   // starts the thread
  ~NetworkLoop();  // stops the context and joins the thread
  NetworkLoop(const NetworkLoop&) = delete;
  NetworkLoop& operator=(const NetworkLoop&) = delete;

  boost::asio::io_context& Context();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// What an asynchronous client is made with: the loop its I/O runs on and the
// UI thread its completions run on. Both outlive every client made with them.
struct NetworkContext {
  NetworkLoop& loop;
  IUiThread& ui;
};

}  // namespace quarlen
