// For the desktop tests: a fresh runtime folder for named locks and sockets, so that
// tests never meet a running program or one another.
#pragma once

#include <QByteArray>
#include <QTemporaryDir>
#include <QtGlobal>

namespace horalux::testing {

class ScopedRuntimeDir {
 public:
  ScopedRuntimeDir()
      : hadPrevious_(qEnvironmentVariableIsSet("XDG_RUNTIME_DIR")),
        previous_(qgetenv("XDG_RUNTIME_DIR")) {
    qputenv("XDG_RUNTIME_DIR", folder_.path().toLocal8Bit());
  }
  ~ScopedRuntimeDir() {
    if (hadPrevious_) {
      qputenv("XDG_RUNTIME_DIR", previous_);
    } else {
      qunsetenv("XDG_RUNTIME_DIR");
    }
  }
  ScopedRuntimeDir(const ScopedRuntimeDir&) = delete;
  ScopedRuntimeDir& operator=(const ScopedRuntimeDir&) = delete;

  QString Path() const { return folder_.path(); }

 private:
  QTemporaryDir folder_;
  bool hadPrevious_;
  QByteArray previous_;
};

}  // namespace horalux::testing
