#include "lists/VclExt.h"

EStringListError::EStringListError(int Index)
    : std::out_of_range("List index out of bounds (" + std::to_string(Index) + ")") {}

void TStringList::CheckIndex(int Index, int Last) const {
  if (Index < 0 || Index > Last) throw EStringListError(Index);
}

int TStringList::InsertItem(int Index, const std::string& S, TObject* AObject) {
  CheckIndex(Index, Count());
  FItems.insert(FItems.begin() + Index, TItem{S, AObject});
  return Index;
}

const std::string& TStringList::Strings(int Index) const {
  CheckIndex(Index, Count() - 1);
  return FItems[static_cast<std::size_t>(Index)].FString;
}

TObject* TStringList::Objects(int Index) const {
  CheckIndex(Index, Count() - 1);
  return FItems[static_cast<std::size_t>(Index)].FObject;
}

// Not through the virtual AddObject: a derived Add would otherwise apply its
// rule twice.
int TStringList::Add(const std::string& S) { return InsertItem(Count(), S, nullptr); }

int TStringList::AddObject(const std::string& S, TObject* AObject) {
  return InsertItem(Count(), S, AObject);
}

void TStringList::Insert(int Index, const std::string& S) { InsertItem(Index, S, nullptr); }

void TStringList::InsertObject(int Index, const std::string& S, TObject* AObject) {
  InsertItem(Index, S, AObject);
}

void TStringList::Delete(int Index) {
  CheckIndex(Index, Count() - 1);
  FItems.erase(FItems.begin() + Index);
}

void TStringList::Clear() { FItems.clear(); }

void TLimitStringList::SetLimit(int Value) {
  FLimit = Value < 0 ? 0 : Value;
  if (FLimit != 0)
    while (Count() > FLimit) DeleteFirst();
}

void TLimitStringList::DeleteItem(int Index) {
  if (Index > Count() - 1) return;
  // The item goes before its object, so the list never holds a freed one.
  TObject* object = Objects(Index);
  Delete(Index);
  delete object;
}

void TLimitStringList::MakeRoom() {
  if (Limited() && Count() == FLimit) DeleteFirst();
}

int TLimitStringList::Add(const std::string& S) {
  MakeRoom();
  return TStringList::Add(S);
}

int TLimitStringList::AddObject(const std::string& S, TObject* AObject) {
  MakeRoom();
  return TStringList::AddObject(S, AObject);
}

void TLimitStringList::FreeObjects() {
  for (int i = 0; i < Count(); ++i) delete Objects(i);
}

// A base destructor cannot reach a derived Clear, so the freeing is here and
// the general list then drops the references.
TFStringList::~TFStringList() { FreeObjects(); }

void TFCStringList::Clear() {
  FreeObjects();
  TFStringList::Clear();
}
