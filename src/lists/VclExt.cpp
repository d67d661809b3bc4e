#include "lists/VclExt.h"

std::size_t TFCStringList::Add(std::string text, std::unique_ptr<Object> object) {
  items_.push_back(Item{std::move(text), std::move(object)});
  return items_.size() - 1;
}
