// CSyncEngine: record reconciliation.  Each changed record of a fast or slow
// HotSync is looked up on the other side, the pair's key is looked up in the
// decision table of the pass, and the action word found there is carried out
// on both managers and the archives.

#include <cstring>

#include "dbfiles/ISyncLog.h"
#include "dbfiles/ResultCodes.h"
#include "dbfiles/SyncType.h"
#include "platform/sync20/SyncStatus.h"
#include "sync/HandheldDb.h"
#include "sync/SyncEngine.h"
#include "sync/SyncTables.h"

// ---- Table lookups ------------------------------------------------------------------------------

std::int32_t CSyncEngine::FastSyncAction(std::int32_t key) { return FastSyncTable().Lookup(key); }
std::int32_t CSyncEngine::SlowSyncAction(std::int32_t key) { return SlowSyncTable().Lookup(key); }
std::int32_t CSyncEngine::FastDesktopAction(std::int32_t key) { return FastDesktopTable().Lookup(key); }
std::int32_t CSyncEngine::SlowDesktopAction(std::int32_t key) { return SlowDesktopTable().Lookup(key); }
std::int32_t CSyncEngine::DesktopToHandheldAction(std::int32_t key) {
  return DesktopToHandheldTable().Lookup(key);
}
std::int32_t CSyncEngine::HandheldToDesktopAction(std::int32_t key) {
  return HandheldToDesktopTable().Lookup(key);
}

namespace {
// The length of a body without its trailing zero bytes: they carry nothing (a
// memo's text ends at its first zero byte), and the two sides pad alike memos
// differently (the desktop's memo store to a multiple of 8 bytes, the
// handheld's plain memos not at all).
std::size_t SignificantLength(const CSyncRecord& record) {
  const std::uint8_t* body = record.Body();
  std::size_t length = body != nullptr && record.GetLength() > 0 ? static_cast<std::size_t>(record.GetLength()) : 0;
  while (length > 0 && body[length - 1] == 0) --length;
  return length;
}
}  // namespace

bool CSyncEngine::RecordsDiffer(const CSyncRecord& a, const CSyncRecord& b) {
  const std::size_t length = SignificantLength(a);
  if (length != SignificantLength(b)) return true;
  if (length > 0 && std::memcmp(a.Body(), b.Body(), length) != 0) return true;
  return a.GetCategory() != b.GetCategory() || a.GetPrivate() != b.GetPrivate();
}

// ---- Record handlers -------------------------------------------------------------------------------

std::int32_t CSyncEngine::SyncHandheldRecord(CSyncRecord& handheld) {
  CSyncRecord desktop;
  std::int32_t desktopStatus = SYNC_STATUS_ABSENT;
  std::int32_t rc = m_desktop->GetRecordById(handheld.GetId(), desktop, false);
  bool found = rc == DB_OK;
  if (found) {
    desktopStatus = desktop.GetSyncStatus();
  } else if (rc == DB_ERR_NOT_FOUND) {
    desktop.Clear();
    if (IsSlow() && !handheld.IsDeleted()) {
      // A HotSync that ended after the handheld stored and before the desktop
      // file was replaced has given the handheld a copy of a memo that the
      // desktop still holds as new: the two are paired instead of each side
      // receiving the other's copy.
      rc = m_desktop->AdoptNewTwin(handheld, desktop);
      if (rc == DB_OK) {
        found = true;
        desktopStatus = desktop.GetSyncStatus();
      } else if (rc != DB_ERR_NOT_FOUND) {
        return rc;
      }
    }
  } else {
    return rc;
  }
  std::int32_t handheldStatus = handheld.GetSyncStatus();

  std::int32_t action = 0;
  if (!IsSlow()) {
    action = FastSyncAction(SyncKey(handheldStatus, desktopStatus));
  } else {
    std::int32_t comparison = SYNC_COMPARE_NONE;
    // A plainly deleted handheld record may have lost its body, so it is not
    // compared.  An archived one keeps its body and is compared like any
    // other: its rows of the slow table are keyed by the comparison.
    if (found && (!handheld.IsDeleted() || handheld.IsArchived())) {
      comparison = RecordsDiffer(handheld, desktop) ? SYNC_COMPARE_DIFFER : SYNC_COMPARE_SAME;
      if (!handheld.IsModified() && m_backupUsable) {
        // A record that is not in the previous backup, or differs from its
        // copy there, changed on the handheld since the last HotSync with
        // this desktop.
        CSyncRecord previous;
        rc = m_backup->GetRecordById(handheld.GetId(), previous, false);
        if (rc != DB_OK && rc != DB_ERR_NOT_FOUND) return rc;
        if (rc == DB_ERR_NOT_FOUND || RecordsDiffer(handheld, previous)) {
          handheld.SetModified(true);
          handheldStatus = handheld.GetSyncStatus();
        }
      }
    }
    action = SlowSyncAction(SyncKey(handheldStatus, desktopStatus, comparison));
  }
  return ApplyActions(action, handheld, desktop);
}

std::int32_t CSyncEngine::SyncDesktopRecord(CSyncRecord& desktop) {
  CSyncRecord handheld;
  std::int32_t action = 0;
  if (!IsSlow()) {
    if (desktop.GetId() != 0) {
      std::int32_t rc = m_handheld->GetRecordById(desktop.GetId(), handheld, false);
      if (rc == SyncStatus::SYNC_ERR_NOT_FOUND) {
        handheld.Clear();
        desktop.SetNew(true);
      } else if (rc != DB_OK) {
        return rc;
      }
    } else {
      desktop.SetNew(true);
    }
    action = FastDesktopAction(desktop.GetSyncStatus());
  } else {
    // A record without a handheld id was made on the desktop: it is new, not
    // one that the handheld deleted (which the slow table would delete here).
    if (desktop.GetId() == 0) desktop.SetNew(true);
    action = SlowDesktopAction(desktop.GetSyncStatus());
  }
  return ApplyActions(action, handheld, desktop);
}

// ---- Actions -------------------------------------------------------------------------------------------

std::int32_t CSyncEngine::ApplyActions(std::int32_t action, CSyncRecord& handheld, CSyncRecord& desktop) {
  std::int32_t rc = DB_OK;
  if (action & ACT_DELETE_DESKTOP) {
    rc = DeleteDesktopRecord(desktop);
    if (rc != DB_OK) return rc;
  }
  if (action & ACT_ARCHIVE_DESKTOP) {
    rc = ArchiveRecord(desktop);
    if (rc == DB_OK) rc = DeleteDesktopRecord(desktop);
    if (rc != DB_OK) return rc;
  }
  if (action & ACT_DELETE_HANDHELD) {
    rc = DeleteHandheldRecord(handheld);
    if (rc != DB_OK) return rc;
  }
  if (action & ACT_ARCHIVE_HANDHELD) {
    rc = ArchiveRecord(handheld);
    if (rc == DB_OK) rc = DeleteHandheldRecord(handheld);
    if (rc != DB_OK) return rc;
  }
  if (action & ACT_ADD_TO_HANDHELD) {
    rc = AddDesktopRecordToHandheld(desktop);
    if (rc != DB_OK) return rc;
  }
  if (action & ACT_ADD_TO_DESKTOP) {
    rc = AddHandheldRecordToDesktop(handheld);
    if (rc != DB_OK) return rc;
  }
  if (action & ACT_HANDHELD_OVER_DESKTOP) {
    rc = WriteHandheldOverDesktop(handheld, desktop);
    if (rc != DB_OK) return rc;
  }
  if (action & ACT_DESKTOP_OVER_HANDHELD) {
    rc = WriteDesktopOverHandheld(handheld, desktop);
    if (rc != DB_OK) return rc;
  }
  if (action & ACT_DUPLICATE_IF_DIFFERENT) {
    rc = DuplicateIfDifferent(handheld, desktop);
    if (rc != DB_OK) return rc;
  }
  if (action & ACT_RESOLVE_HH_ARCHIVED_DT_MODIFIED) {
    rc = ResolveHandheldArchivedDesktopModified(handheld, desktop);
    if (rc != DB_OK) return rc;
  }
  if (action & ACT_RESOLVE_HH_MODIFIED_DT_ARCHIVED) {
    rc = ResolveHandheldModifiedDesktopArchived(handheld, desktop);
    if (rc != DB_OK) return rc;
  }
  if (action & ACT_RESOLVE_BOTH_ARCHIVED) {
    rc = ResolveBothArchived(handheld, desktop);
    if (rc != DB_OK) return rc;
  }
  if (action & ACT_DUPLICATE) {
    rc = DuplicateRecord(handheld, desktop);
    if (rc != DB_OK) return rc;
  }
  if (action & ACT_DELETE_HANDHELD_BY_ID) {
    rc = DeleteHandheldById(desktop);
    if (rc != DB_OK) return rc;
  }
  if ((action & ACT_LOG_MODIFIED_DELETED) && m_log) {
    (void)m_log->LogModifiedDeleted(handheld.GetId() != -1 ? handheld : desktop);
  }
  // ACT_NOTHING: nothing to do.
  return DB_OK;
}

std::int32_t CSyncEngine::DeleteDesktopRecord(CSyncRecord& desktop) { return m_desktop->DeleteRecord(desktop); }

std::int32_t CSyncEngine::DeleteHandheldRecord(CSyncRecord& handheld) {
  // A record marked archived or deleted is removed by the handheld's purge.
  if (handheld.IsArchived() || handheld.IsDeleted()) return DB_OK;
  return m_handheld->DeleteRecord(handheld);
}

std::int32_t CSyncEngine::AddDesktopRecordToHandheld(CSyncRecord& desktop) {
  std::int32_t desktopIndex = desktop.GetIndex();
  std::int32_t oldId = desktop.GetId();
  std::int32_t rc = m_handheld->AddRecord(desktop);
  if (rc != DB_OK) {
    if (m_log) (void)m_log->LogAddFailed(rc, desktop, ISyncLog::SIDE_HANDHELD);
    return rc;
  }
  desktop.SetIndex(desktopIndex);
  // The desktop keeps the id the handheld gave the record.
  if (desktop.GetId() != oldId) return m_desktop->ModifyRecordAt(desktopIndex, desktop);
  return DB_OK;
}

std::int32_t CSyncEngine::AddHandheldRecordToDesktop(CSyncRecord& handheld) {
  CSyncRecord copy(handheld);
  std::int32_t rc = m_desktop->AddRecord(copy);
  if (rc != DB_OK && m_log) (void)m_log->LogAddFailed(rc, handheld, ISyncLog::SIDE_DESKTOP);
  return rc;
}

std::int32_t CSyncEngine::WriteHandheldOverDesktop(CSyncRecord& handheld, CSyncRecord& desktop) {
  CSyncRecord copy(handheld);
  return m_desktop->ModifyRecordAt(desktop.GetIndex(), copy);
}

std::int32_t CSyncEngine::WriteDesktopOverHandheld(CSyncRecord& handheld, CSyncRecord& desktop) {
  CSyncRecord copy(desktop);
  return m_handheld->ModifyRecordAt(handheld.GetIndex(), copy);
}

std::int32_t CSyncEngine::DeleteHandheldById(CSyncRecord& desktop) {
  CSyncRecord target;
  target.SetId(desktop.GetId());
  std::int32_t rc = m_handheld->DeleteRecord(target);
  // The handheld may not have the record (any more): only a broken link counts.
  return SyncStatus::IsCommFailure(rc) ? rc : DB_OK;
}

// ---- Conflicts -------------------------------------------------------------------------------------------

std::int32_t CSyncEngine::DuplicateIfDifferent(CSyncRecord& handheld, CSyncRecord& desktop) {
  if (!RecordsDiffer(handheld, desktop)) return DB_OK;
  return DuplicateRecord(handheld, desktop);
}

std::int32_t CSyncEngine::DuplicateRecord(CSyncRecord& handheld, CSyncRecord& desktop) {
  // The handheld version takes the desktop record's place under the old id.
  std::int32_t desktopIndex = desktop.GetIndex();
  CSyncRecord handheldVersion(handheld);
  handheldVersion.SetIndex(desktopIndex);
  handheldVersion.ResetStatus();
  std::int32_t rc = m_desktop->ModifyRecordAt(desktopIndex, handheldVersion);
  if (rc != DB_OK) return rc;

  // The desktop version goes to both sides under a new handheld id.
  CSyncRecord desktopVersion(desktop);
  desktopVersion.SetId(0);
  rc = m_handheld->AddRecord(desktopVersion);
  if (rc != DB_OK) {
    if (m_log) (void)m_log->LogAddFailed(rc, desktopVersion, ISyncLog::SIDE_HANDHELD);
    return rc;
  }
  rc = m_desktop->AddRecord(desktopVersion);
  if (rc != DB_OK) {
    if (m_log) (void)m_log->LogAddFailed(rc, desktopVersion, ISyncLog::SIDE_DESKTOP);
    return rc;
  }
  if (m_log) (void)m_log->LogDuplicated(handheld);
  return DB_OK;
}

std::int32_t CSyncEngine::ResolveHandheldModifiedDesktopArchived(CSyncRecord& handheld, CSyncRecord& desktop) {
  if (RecordsDiffer(handheld, desktop)) return DuplicateRecord(handheld, desktop);
  std::int32_t rc = ArchiveRecord(desktop);
  if (rc != DB_OK) return rc;
  return DeleteDesktopRecord(desktop);
}

std::int32_t CSyncEngine::ResolveHandheldArchivedDesktopModified(CSyncRecord& handheld, CSyncRecord& desktop) {
  if (!RecordsDiffer(handheld, desktop)) {
    std::int32_t rc = ArchiveRecord(desktop);
    if (rc != DB_OK) return rc;
    return DeleteDesktopRecord(desktop);
  }
  // The handheld version stays on the handheld as a live record.
  CSyncRecord restored(handheld);
  restored.ResetStatus();
  (void)m_handheld->ModifyRecordAt(handheld.GetIndex(), restored);
  return DuplicateRecord(handheld, desktop);
}

std::int32_t CSyncEngine::ResolveBothArchived(CSyncRecord& handheld, CSyncRecord& desktop) {
  std::int32_t rc = ArchiveRecord(desktop);
  if (rc != DB_OK) return rc;
  if (RecordsDiffer(handheld, desktop)) {
    rc = ArchiveRecord(handheld);
    if (rc != DB_OK) return rc;
  }
  return DeleteDesktopRecord(desktop);
}

std::int32_t CSyncEngine::ArchiveRecord(CSyncRecord& record) {
  CArchiveDb* archive = nullptr;
  std::int32_t rc = ArchiveFor(record.GetCategory(), archive);
  if (rc != DB_OK) return rc;
  std::int32_t index = record.GetIndex();
  std::int32_t status = record.GetStatus();
  rc = archive->AddRecord(record);
  // The archive mark stays visible to the operations that follow.
  record.SetIndex(index);
  record.SetStatus(status);
  return rc;
}
