#include "base/component.h"

#include <gtest/gtest.h>

#include <vector>

namespace horalux {
namespace {

// Records its own destruction and clears its reference to a destroyed component.
class Probe : public TComponent {
 public:
  Probe(TComponent* owner, std::vector<std::string>* log, std::string name)
      : TComponent(owner), log_(log) {
    SetName(std::move(name));
  }
  ~Probe() override { log_->push_back("destroyed " + Name()); }

  void Refer(TComponent* other) {
    reference = other;
    FreeNotification(other);
  }
  TComponent* reference = nullptr;

 protected:
  void Notification(TComponent* component, TOperation operation) override {
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove && component == reference) reference = nullptr;
  }

 private:
  std::vector<std::string>* log_;
};

TEST(Component, OwnerFreesWhatItOwnsNewestFirst) {
  std::vector<std::string> log;
  {
    Probe owner(nullptr, &log, "owner");
    MakeComponent<Probe>(owner, &log, "first");
    MakeComponent<Probe>(owner, &log, "second");
    EXPECT_EQ(owner.ComponentCount(), 2u);
  }
  EXPECT_EQ(log,
            (std::vector<std::string>{"destroyed owner", "destroyed second", "destroyed first"}));
}

TEST(Component, FreeingEarlyLeavesTheOwnersList) {
  std::vector<std::string> log;
  Probe owner(nullptr, &log, "owner");
  Probe* child = &MakeComponent<Probe>(owner, &log, "child");
  TComponent::Free(child);
  EXPECT_EQ(child, nullptr);
  EXPECT_EQ(owner.ComponentCount(), 0u);
  EXPECT_EQ(log, std::vector<std::string>{"destroyed child"});
}

TEST(Component, FreeNotificationClearsReferencesBothWays) {
  std::vector<std::string> log;
  Probe a(nullptr, &log, "a");
  {
    Probe b(nullptr, &log, "b");
    a.Refer(&b);
    b.Refer(&a);
  }
  EXPECT_EQ(a.reference, nullptr);
  Probe c(nullptr, &log, "c");
  {
    Probe d(nullptr, &log, "d");
    d.Refer(&c);
  }  // d goes first: c must not notify a dead d later
}

TEST(Component, SiblingsHearOfEachOthersRemovalThroughTheOwner) {
  std::vector<std::string> log;
  Probe owner(nullptr, &log, "owner");
  Probe& watcher = MakeComponent<Probe>(owner, &log, "watcher");
  Probe* watched = &MakeComponent<Probe>(owner, &log, "watched");
  watcher.reference = watched;  // no free notification asked: the owner passes it on
  TComponent::Free(watched);
  EXPECT_EQ(watcher.reference, nullptr);
}

}  // namespace
}  // namespace horalux
