// The server's failures on standard error: one line each, at most one a second.
#include "app/log/server_failure_notice.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <system_error>

#include "stack/exceptions.h"
#include "tests/support/output_pipe.h"

namespace horalux {
namespace {

using namespace std::chrono_literals;

TEST(TServerFailureNotice, SaysEachReasonOnOneLineAtMostOnceASecond) {
  testing::OutputPipe pipe;
  std::chrono::steady_clock::time_point now{};
  TServerFailureNotice notice(pipe.Writer(), [&now] { return now; });
  const std::system_error noThread(EAGAIN, std::generic_category(), "cannot create thread");
  notice.Report(noThread);
  now += 999ms;
  notice.Report(noThread);  // too soon
  now += 1ms;
  notice.Report(EIdException("Socket Error # 10024\r\nToo many open files."));
  now += 10s;
  notice.Report(EIdException("a \x1b[2J reason"));
  pipe.CloseWriter();
  EXPECT_EQ(pipe.ReadAll(),
            "horalux: the time server could not serve a client: cannot create thread: Resource "
            "temporarily unavailable\n"
            "horalux: the time server could not serve a client: Socket Error # 10024 Too many "
            "open files.\n"
            "horalux: the time server could not serve a client: a \\x1b[2J reason\n");
}

}  // namespace
}  // namespace horalux
