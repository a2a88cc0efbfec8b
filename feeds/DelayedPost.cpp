#include "feeds/DelayedPost.h"

#include <boost/asio/post.hpp>
#include <boost/asio/steady_timer.hpp>
#include <memory>
#include <utility>

#include "platform/UiPorts.h"

namespace quarlen {

void PostAfter(NetworkContext network, std::chrono::milliseconds delay, std::function<void()> task) {
  boost::asio::io_context& context = network.loop.Context();
  // The timer is made and armed on the loop's own thread, which is the only
  // one that touches it; it lives as long as its wait.
  boost::asio::post(context, [&context, ui = &network.ui, delay, task = std::move(task)]() mutable {
    auto timer = std::make_shared<boost::asio::steady_timer>(context, delay);
    timer->async_wait([timer, ui, task = std::move(task)](const boost::system::error_code& error) mutable {
      if (!error) ui->Post(std::move(task));
    });
  });
}

}  // namespace quarlen
