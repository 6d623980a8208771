#pragma once

#include <cstddef>
#include <vector>

class CRecord;
class CRecordDatabase;

// An ordered, read-only walk over a snapshot of a database's records, by
// position or by memo text.  Records added to the database after a build are
// not in the view until it is built again.
class CRecordView {
 public:
  // The view borrows the database, which must outlive it.
  explicit CRecordView(CRecordDatabase& database);
  virtual ~CRecordView();

  // One item per record, ascending by position.
  void BuildByPosition();
  // One item per record, ascending by memo text (multibyte-aware byte order).
  void BuildByText();

  // 0 with the record, or -1 past the end.  With skipDeleted, records marked
  // deleted are passed over.
  int First(CRecord*& out, bool skipDeleted);
  int Next(CRecord*& out, bool skipDeleted);
  // 0 with the record whose position equals the argument (the walk then goes
  // on after it), else -1.
  int Find(int position, CRecord*& out, bool skipDeleted);

  int Count() const { return static_cast<int>(items.size()); }

 private:
  int Walk(std::size_t from, CRecord*& out, bool skipDeleted);

  CRecordDatabase* database;
  std::vector<int> items;  // record array indexes in view order
  std::size_t cursor = 0;
};
