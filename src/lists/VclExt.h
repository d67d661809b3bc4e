#pragma once
// Unit VclExt: string lists that own the objects attached to their items.

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

// An owning string list: every item is a string with an optional object that
// the list destroys with the item.
class TFCStringList {
 public:
  struct Object {
    virtual ~Object() = default;
  };

  std::size_t Count() const { return items_.size(); }
  const std::string& Strings(std::size_t i) const { return items_.at(i).text; }
  Object* Objects(std::size_t i) const { return items_.at(i).object.get(); }
  std::size_t Add(std::string text, std::unique_ptr<Object> object = nullptr);
  void Clear() { items_.clear(); }

 private:
  struct Item {
    std::string text;
    std::unique_ptr<Object> object;
  };
  std::vector<Item> items_;
};
