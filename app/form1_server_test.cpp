// The time server as the window runs it: what its failures leave on standard error.
#include <gtest/gtest.h>

#include <cerrno>
#include <system_error>

#include "app/form1_test_support.h"
#include "server/thread_mgr.h"
#include "tests/support/output_file.h"
#include "tests/support/process_counts.h"
#include "timeproto/time_server.h"

namespace horalux::testing {
namespace {

// The system makes no thread for a connection (say at a process limit): its client gets no
// time, and standard error says why.
class NoThreadsMgr : public TIdThreadMgrDefault {
 public:
  TIdThread& AcquirePeerThread() override {
    throw std::system_error(EAGAIN, std::generic_category(), "cannot create thread");
  }
};

TEST_F(FormTest, AConnectionThatGetsNoThreadIsSaidOnStandardError) {
  const OutputFile said(folder.File("stderr"));
  mirrorDescriptor = said.Descriptor();
  WriteHostList("");
  Start();
  NoThreadsMgr noThreads;
  form->IdTimeServer().SetThreadMgr(&noThreads);
  view.Click(TCheckBox::ckServer);
  EXPECT_TRUE(Eventually([&] { return said.Text().find('\n') != std::string::npos; }));
  Stop();
  EXPECT_EQ(said.Text().substr(0, said.Text().find('\n')),
            "horalux: the time server could not serve a client: cannot create thread: Resource "
            "temporarily unavailable");
}

}  // namespace
}  // namespace horalux::testing
