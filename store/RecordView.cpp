#include "store/RecordView.h"

#include <algorithm>
#include <new>
#include <string_view>

#include "platform/text/Mbcs.h"
#include "store/MemoRecord.h"
#include "store/RecordDatabase.h"

CRecordView::CRecordView(CRecordDatabase& db) : database(&db) {}

CRecordView::~CRecordView() = default;

void CRecordView::BuildByPosition() {
  items.clear();
  cursor = 0;
  try {
    const int count = database->RecordCount();
    items.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) items.push_back(i);
  } catch (const std::bad_alloc&) {
    items.clear();
    return;
  }
  std::sort(items.begin(), items.end(), [this](int a, int b) {
    return database->RecordAt(a)->Compare(*database->RecordAt(b)) < 0;
  });
}

void CRecordView::BuildByText() {
  items.clear();
  cursor = 0;
  struct Keyed {
    std::string_view text;
    int index;
  };
  std::vector<Keyed> keyed;
  try {
    const int count = database->RecordCount();
    keyed.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
      const auto* memo = dynamic_cast<const CMemoRecord*>(database->RecordAt(i));
      keyed.push_back({memo ? std::string_view(memo->text) : std::string_view(), i});
    }
    std::sort(keyed.begin(), keyed.end(),
              [](const Keyed& a, const Keyed& b) { return MbsCompare(a.text, b.text) < 0; });
    items.reserve(keyed.size());
  } catch (const std::bad_alloc&) {
    items.clear();
    return;
  }
  for (const auto& key : keyed) items.push_back(key.index);
}

int CRecordView::Walk(std::size_t from, CRecord*& out, bool skipDeleted) {
  for (std::size_t i = from; i < items.size(); ++i) {
    // A record that no longer exists (the database was loaded again since
    // the build) is passed over.
    CRecord* record = database->RecordAt(items[i]);
    if (!record || (skipDeleted && record->IsDeleted())) continue;
    cursor = i;
    out = record;
    return 0;
  }
  cursor = items.size();
  return -1;
}

int CRecordView::First(CRecord*& out, bool skipDeleted) { return Walk(0, out, skipDeleted); }

int CRecordView::Next(CRecord*& out, bool skipDeleted) {
  if (cursor >= items.size()) return -1;
  return Walk(cursor + 1, out, skipDeleted);
}

int CRecordView::Find(int position, CRecord*& out, bool skipDeleted) {
  for (std::size_t i = 0; i < items.size(); ++i) {
    CRecord* record = database->RecordAt(items[i]);
    if (!record || record->position != position) continue;
    if (skipDeleted && record->IsDeleted()) return -1;
    cursor = i;
    out = record;
    return 0;
  }
  return -1;
}
