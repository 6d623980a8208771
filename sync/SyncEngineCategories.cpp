// CSyncEngine: the category merge of a fast or slow HotSync.  It decides which
// categories were renamed, added or deleted on which side, moves the records
// of vanished categories to Unfiled, renumbers desktop records whose category
// moved to another slot, and leaves the desktop table an exact copy of the
// merged handheld table.

#include <cstring>

#include "dbfiles/ISyncLog.h"
#include "dbfiles/ResultCodes.h"
#include "dbfiles/SyncType.h"
#include "sync/HandheldDb.h"
#include "sync/SyncEngine.h"

namespace {

bool SameNameExactly(const CPCategory& a, const CPCategory& b) { return a.Name() == b.Name(); }

const char* NameOf(const CPCategory& category) { return category.Name().c_str(); }

}  // namespace

std::int32_t CSyncEngine::SyncCategories() {
  if ((m_featureFlags & FEATURE_CATEGORIES) == 0) return DB_OK;
  CCategoryList* handheld = m_handheld ? m_handheld->CategoryTable() : nullptr;
  CCategoryList* desktop = m_desktop ? m_desktop->CategoryTable() : nullptr;
  if (handheld == nullptr || desktop == nullptr) return DB_OK;
  if (desktop->Equals(*handheld)) return DB_OK;

  std::int32_t rc = MarkCategoriesForFirstSync(*handheld, *desktop);
  if (rc == DB_OK) rc = DropDeletedCategories(*desktop, *handheld, ISyncLog::SIDE_DESKTOP);
  if (rc == DB_OK) rc = DropDeletedCategories(*handheld, *desktop, ISyncLog::SIDE_HANDHELD);
  if (rc == DB_OK) rc = MergeHandheldCategories(*handheld, *desktop);
  if (rc == DB_OK) rc = AddDesktopCategories(*handheld, *desktop);
  if (rc == DB_OK && m_categoriesRemapped != 0) rc = m_desktop->RemapCategories(m_categoryMap.data());
  if (rc != DB_OK) return rc;

  // The desktop table becomes a copy of the merged handheld table.  What is
  // left in it is dropped first, so that nothing of it survives beside the copy.
  desktop->Clear();
  for (std::int32_t index = 0; index < CCategoryList::SLOT_COUNT; ++index) {
    const CPCategory* category = handheld->GetByIndex(index);
    if (category != nullptr) (void)desktop->Add(*category);
  }
  desktop->SetChanged(true);
  return DB_OK;
}

std::int32_t CSyncEngine::MarkCategoriesForFirstSync(CCategoryList& handheld, CCategoryList& desktop) {
  bool slow = m_properties.syncType == SyncType::SLOW;
  switch (m_properties.firstSync) {
    case FIRST_SYNC_MARK_HANDHELD:
      handheld.MarkAllRenamed();
      break;
    case FIRST_SYNC_NO_DELETIONS:
      desktop.MarkAllRenamed();
      if (slow) handheld.MarkAllRenamed();
      break;
    default:
      if (slow) handheld.MarkAllRenamed();
      break;
  }
  return DB_OK;
}

std::int32_t CSyncEngine::DropDeletedCategories(CCategoryList& table, CCategoryList& other, std::int32_t side) {
  if (m_properties.firstSync == FIRST_SYNC_NO_DELETIONS) return DB_OK;
  for (std::int32_t index = 0; index < CCategoryList::SLOT_COUNT; ++index) {
    CPCategory* category = table.GetByIndex(index);
    if (category == nullptr || category->IsRenamed()) continue;
    if (other.FindByName(category->GetName()) != nullptr || other.FindById(category->GetId()) != nullptr) {
      continue;
    }
    // Deleted on the other side: its records on this side go to Unfiled.
    std::int32_t rc = side == ISyncLog::SIDE_HANDHELD ? m_handheld->ChangeCategory(index, 0)
                                                      : m_desktop->ChangeCategory(index, 0);
    if (rc != DB_OK) return rc;
    // A handheld category deleted on the desktop is a local deletion, a desktop
    // category deleted on the handheld a remote one.
    if (m_log) {
      (void)m_log->LogCategoryDeleted(NameOf(*category), side == ISyncLog::SIDE_HANDHELD
                                                            ? ISyncLog::SIDE_DESKTOP
                                                            : ISyncLog::SIDE_HANDHELD);
    }
    rc = table.RemoveAt(index);
    if (rc != DB_OK) return rc;
  }
  return DB_OK;
}

std::int32_t CSyncEngine::MergeHandheldCategories(CCategoryList& handheld, CCategoryList& desktop) {
  for (std::int32_t index = 0; index < CCategoryList::SLOT_COUNT; ++index) {
    CPCategory* h = handheld.GetByIndex(index);
    if (h == nullptr) continue;
    std::int32_t rc = DB_OK;
    CPCategory* d = desktop.FindByName(h->GetName());
    if (d != nullptr && d->GetIndex() == h->GetIndex()) {
      if (d->GetId() != h->GetId()) {
        // The desktop's category of this id joins this slot.
        CPCategory* x = desktop.FindById(h->GetId());
        if (x != nullptr) {
          rc = m_desktop->ChangeCategory(x->GetIndex(), h->GetIndex());
          if (rc == DB_OK) {
            rc = desktop.RemoveAt(x->GetIndex());
          } else if (m_log) {
            (void)m_log->LogCategoryMoveFailed(NameOf(*x), ISyncLog::SIDE_DESKTOP);
          }
        }
      }
      std::int32_t removed = desktop.RemoveAt(d->GetIndex());
      if (rc == DB_OK) rc = removed;
    } else if (d != nullptr) {
      // Same name in another slot: its records follow the handheld's slot.
      CPCategory* x = desktop.FindById(h->GetId());
      rc = MapCategory(*d, *h);
      if (x != nullptr && x != d) {
        if (rc == DB_OK) rc = MapCategory(*x, *h);
        if (rc == DB_OK) rc = desktop.RemoveAt(x->GetIndex());
      }
      // (When the category of that id is d itself it is removed once.)
      if (rc == DB_OK) rc = desktop.RemoveAt(d->GetIndex());
    } else {
      d = desktop.FindById(h->GetId());
      if (d != nullptr) {
        // Renamed on one side: a rename on the desktop wins over a handheld
        // name that was not renamed.
        if (!h->IsRenamed() && d->IsRenamed()) {
          rc = handheld.RenameAt(h->GetIndex(), d->GetName());
          if (rc == DB_ERR_TOO_LONG) rc = DB_OK;
          handheld.SetChanged(true);
        }
        if (rc == DB_OK && d->GetIndex() != h->GetIndex()) rc = MapCategory(*d, *h);
        if (rc == DB_OK) rc = desktop.RemoveAt(d->GetIndex());
      } else {
        // Unknown to the desktop: a second handheld category of the same name
        // merges into the first one.
        for (std::int32_t lower = 0; lower < h->GetIndex(); ++lower) {
          const CPCategory* g = handheld.GetByIndex(lower);
          if (g == nullptr || !SameNameExactly(*g, *h)) continue;
          (void)m_handheld->ChangeCategory(h->GetIndex(), g->GetIndex());
          rc = handheld.RemoveAt(h->GetIndex());
          break;
        }
      }
    }
    if (rc != DB_OK) return rc;
  }
  return DB_OK;
}

std::int32_t CSyncEngine::AddDesktopCategories(CCategoryList& handheld, CCategoryList& desktop) {
  for (std::int32_t index = 0; index < CCategoryList::SLOT_COUNT; ++index) {
    CPCategory* r = desktop.GetByIndex(index);
    if (r == nullptr) continue;
    std::int32_t rc = DB_OK;
    std::int32_t freeIndex = handheld.FirstFreeIndex();
    if (freeIndex == -1) {
      // No room on the handheld: the category's desktop records go to Unfiled.
      std::string name = r->Name();
      if (m_log) (void)m_log->LogCategoryLimit(name.c_str(), ISyncLog::SIDE_DESKTOP);
      rc = m_desktop->ChangeCategory(index, 0);
      if (rc == DB_OK) {
        rc = desktop.RemoveAt(index);
        if (m_log) (void)m_log->LogCategoryDeleted(name.c_str(), ISyncLog::SIDE_DESKTOP);
      }
    } else {
      CPCategory added(*r);
      added.SetIndex(freeIndex);
      rc = handheld.Add(added);
      if (rc == DB_OK) rc = MapCategoryIndex(index, freeIndex);
      if (rc == DB_OK) rc = desktop.RemoveAt(index);
    }
    if (rc != DB_OK) return rc;
  }
  return DB_OK;
}

std::int32_t CSyncEngine::MapCategoryIndex(std::int32_t from, std::int32_t to) {
  if (from < 0 || from >= CATEGORY_MAP_SIZE) return CAT_ERR_BAD_INDEX;
  m_categoryMap[static_cast<std::size_t>(from)] = to;
  m_categoriesRemapped = 1;
  return DB_OK;
}

std::int32_t CSyncEngine::MapCategory(const CPCategory& desktop, const CPCategory& handheld) {
  return MapCategoryIndex(desktop.GetIndex(), handheld.GetIndex());
}
