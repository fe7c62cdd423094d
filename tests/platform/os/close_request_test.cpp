#include "platform/os/close_request.h"

#include <gtest/gtest.h>

#include <csignal>

namespace {

TEST(CloseRequest, EachSignalIsTakenOnceAndASecondOneEndsTheProcess) {
  for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP}) {
    SCOPED_TRACE(signalNumber);
    os::InstallCloseRequestHandlers();
    EXPECT_FALSE(os::TakeCloseRequest());
    EXPECT_FALSE(os::CloseRequestPending());
    std::raise(signalNumber);
    EXPECT_TRUE(os::CloseRequestPending());
    EXPECT_TRUE(os::CloseRequestPending()) << "asking does not take it";
    EXPECT_TRUE(os::TakeCloseRequest());
    EXPECT_FALSE(os::CloseRequestPending()) << "a taken request is served, not pending";
    EXPECT_FALSE(os::TakeCloseRequest()) << "a request is taken once";
  }
  for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP}) std::signal(signalNumber, SIG_DFL);
}

TEST(CloseRequestDeathTest, SecondSignalWhileTheFirstIsServedEndsAtOnce) {
  EXPECT_EXIT(
      {
        os::InstallCloseRequestHandlers();
        std::raise(SIGINT);
        os::TakeCloseRequest();  // shutdown under way
        std::raise(SIGINT);
        std::_Exit(0);  // not reached
      },
      testing::ExitedWithCode(128 + SIGINT), "");
}

}  // namespace
