#include "app/form1_test_support.h"

#include <QPlainTextEdit>
#include <QUrl>

#include "app/event_loop_hooks.h"
#include "platform/registry_file_store.h"
#include "platform/store_file_system.h"

namespace horalux::testing {

FormTest::FormTest() {
  InstallEventLoopHooks();
  application.SetTitle(QStringLiteral("Horalux"));
  RecordMessageBoxes(application, boxes);
}

FormTest::~FormTest() {
  form.reset();
  RemoveEventLoopHooks();
}

void FormTest::WriteStore(const std::string& valueLines) {
  WriteFileText(folder.File("Horalux.reg"),
                "REGEDIT4\n\n[HKEY_CURRENT_USER\\SOFTWARE\\Vantok\\Horalux]\n" + valueLines);
}

std::string FormTest::StoreText() const { return ReadFileText(folder.File("Horalux.reg")); }

void FormTest::WriteHostList(const std::string& content) {
  WriteFileText(folder.File("server.lst"), content);
}

TForm1& FormTest::Start() {
  Form1Environment environment;
  environment.application = &application;
  environment.store =
      std::make_unique<RegFileStore>(folder.File("Horalux.reg"), NewDefaultStoreFileSystem());
  environment.hostListPath = folder.File("server.lst");
  auto setter = std::make_unique<FollowingClockSetter>(clockRefusal);
  clock = setter.get();
  environment.clockSetter = std::move(setter);
  environment.timeClientPort = clientPort;
  environment.timeServerPort = serverPort;
  environment.localClock = localClock;
  environment.textCodeset = textCodeset;
  environment.openUrl = [this](const QUrl& url) {
    openedUrls.push_back(url.toString().toStdString());
  };
  form = std::make_unique<TForm1>(std::move(environment));
  return *form;
}

std::vector<std::string> FormTest::LogLines() const {
  const auto& lines = form->LogLines().Lines();
  return std::vector<std::string>(lines.begin(), lines.end());
}

std::vector<std::string> FormTest::ViewLines() const {
  std::vector<std::string> lines;
  const QString text = form->Log->toPlainText();
  if (text.isEmpty()) return lines;
  for (const QString& line : text.split(QLatin1Char('\n'))) lines.push_back(line.toStdString());
  return lines;
}

}  // namespace horalux::testing
