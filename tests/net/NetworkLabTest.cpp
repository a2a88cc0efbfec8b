// Runs only inside the network of tests/support/netns_lab.sh (started by
// network_lab_e2e.sh, which sets QUARLEN_NETWORK_LAB): asynchronous requests
// on one network thread while a name server never answers one of them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "net/HttpClient.h"
#include "net/HttpError.h"
#include "net/NetworkLoop.h"
#include "tests/support/QueuedUiThread.h"

namespace quarlen {
namespace {

TEST(NetworkLab, AHangingLookupHoldsUpNoOtherRequest) {
  if (std::getenv("QUARLEN_NETWORK_LAB") == nullptr) GTEST_SKIP() << "only inside network_lab_e2e.sh";
  NetworkLoop loop;
  test::QueuedUiThread ui;
  // The hanging lookup starts first and may take far longer than the others
  // together; the others' names are an IP literal and one from the hosts file.
  const std::vector<std::string> urls = {"http://silent.lab:8080/ok", "http://10.231.0.1:8080/ok",
                                         "http://news.lab:8080/ok"};
  std::vector<std::unique_ptr<THttpClient>> clients;
  std::vector<std::string> finished;  // "url outcome", in the order the completions came
  for (const auto& url : urls) {
    clients.push_back(std::make_unique<THttpClient>(THttpClientKind::MainClient, loop, ui));
    clients.back()->SetConnectTimeout(std::chrono::seconds(20));
    clients.back()->AsyncGet(url, [&finished, url](std::exception_ptr failure, std::string body) {
      finished.push_back(url + " " + (failure ? FailureText(failure) : body));
    });
  }
  ASSERT_TRUE(ui.RunUntil([&] { return finished.size() == 2; }, std::chrono::seconds(30)));
  EXPECT_EQ(finished, (std::vector<std::string>{"http://10.231.0.1:8080/ok ok", "http://news.lab:8080/ok ok"}));
  // Cancelled while its lookup still hangs: the client is free again at once.
  clients[0]->Cancel();
  ASSERT_TRUE(ui.RunUntil([&] { return !clients[0]->Busy(); }, std::chrono::seconds(30)));
  EXPECT_EQ(finished.size(), 2u);
}

}  // namespace
}  // namespace quarlen
