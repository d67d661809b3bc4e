#pragma once
// Unit VclExt: string lists with a bound on their length and lists that own
// the objects attached to their items.

#include <stdexcept>
#include <string>
#include <vector>

// Root of everything a list item can carry; freed through this destructor.
class TObject {
 public:
  virtual ~TObject() = default;
};

// An index outside the list.
class EStringListError : public std::out_of_range {
 public:
  explicit EStringListError(int Index);
};

// An ordered list of strings, each with an optional object. It never frees
// the objects: deleting and clearing only drop the references.
class TStringList {
 public:
  TStringList() = default;
  TStringList(const TStringList&) = delete;
  TStringList& operator=(const TStringList&) = delete;
  virtual ~TStringList() = default;

  int Count() const { return static_cast<int>(FItems.size()); }
  // Both raise EStringListError for an index outside 0 .. Count() - 1.
  const std::string& Strings(int Index) const;
  TObject* Objects(int Index) const;

  // The new item's index.
  virtual int Add(const std::string& S);
  virtual int AddObject(const std::string& S, TObject* AObject);
  // Index 0 .. Count(); anything else raises EStringListError.
  virtual void Insert(int Index, const std::string& S);
  virtual void InsertObject(int Index, const std::string& S, TObject* AObject);
  void Delete(int Index);
  virtual void Clear();

 private:
  struct TItem {
    std::string FString;
    TObject* FObject;
  };
  void CheckIndex(int Index, int Last) const;
  int InsertItem(int Index, const std::string& S, TObject* AObject);

  std::vector<TItem> FItems;
};

// Keeps at most Limit() items when adding: the oldest goes first. An item it
// drops, or that DeleteItem removes, has its object freed.
class TLimitStringList : public TStringList {
 public:
  int Limit() const { return FLimit; }
  // A negative value counts as 0 (no limit). Trims a longer list from the front.
  void SetLimit(int Value);
  bool Limited() const { return FLimit != 0; }

  // Past the end: nothing. Negative: EStringListError.
  void DeleteItem(int Index);
  void DeleteFirst() { DeleteItem(0); }

  int Add(const std::string& S) override;
  int AddObject(const std::string& S, TObject* AObject) override;
  // An item "*" carrying AObject, under the same limit.
  int AddItem(TObject* AObject) { return AddObject("*", AObject); }

 protected:
  // Frees every item's object, in index order, and leaves the items in place.
  void FreeObjects();

 private:
  // Only when the count is exactly the limit: an insertion may have pushed
  // the list past it, and then adding drops nothing.
  void MakeRoom();

  int FLimit = 0;
};

// Frees every remaining object when destroyed.
class TFStringList : public TLimitStringList {
 public:
  ~TFStringList() override;
};

// Also frees every object when cleared, so clearing and then destroying frees
// each object once.
class TFCStringList : public TFStringList {
 public:
  void Clear() override;
};
