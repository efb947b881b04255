// Collections of items owned by the collection (socket bindings, command handlers).
// An item may also stand alone, outside any collection. Not thread-safe.
#pragma once

#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

namespace horalux {

class TCollection;
class TComponent;

class TCollectionItem {
 public:
  // The collection, when given, is the one that is adding this item (see TCollection::Add).
  explicit TCollectionItem(TCollection* collection) : collection_(collection) {}
  virtual ~TCollectionItem() = default;
  TCollectionItem(const TCollectionItem&) = delete;
  TCollectionItem& operator=(const TCollectionItem&) = delete;

  TCollection* Collection() const noexcept { return collection_; }
  // A number unique within the collection, given when the item is added; 0 when alone.
  int ID() const noexcept { return id_; }

  // Copies settings from another item; the base copies nothing.
  virtual void Assign(const TCollectionItem& source) { (void)source; }

 private:
  friend class TCollection;
  TCollection* collection_;
  int id_ = 0;
};

class TCollection {
 public:
  TCollection() = default;
  virtual ~TCollection() = default;
  TCollection(const TCollection&) = delete;
  TCollection& operator=(const TCollection&) = delete;

  std::size_t Count() const noexcept { return items_.size(); }
  TCollectionItem& Item(std::size_t index) const { return *items_.at(index); }
  void Delete(std::size_t index) { items_.erase(items_.begin() + static_cast<long>(index)); }
  void Clear() { items_.clear(); }

 protected:
  // Constructs an item of class T with this collection and appends it.
  template <class T, class... Args>
  T& Add(Args&&... args) {
    auto item = std::make_unique<T>(this, std::forward<Args>(args)...);
    T& added = *item;
    added.id_ = nextId_++;
    items_.push_back(std::move(item));
    return added;
  }

 private:
  std::vector<std::unique_ptr<TCollectionItem>> items_;
  int nextId_ = 0;
};

// A collection that belongs to a component (the server's bindings, its command handlers).
class TOwnedCollection : public TCollection {
 public:
  explicit TOwnedCollection(TComponent* owner) : owner_(owner) {}
  TComponent* Owner() const noexcept { return owner_; }

 private:
  TComponent* owner_;
};

}  // namespace horalux
