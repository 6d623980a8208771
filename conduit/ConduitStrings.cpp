// The conduit's English string table, registered as the resources of the
// conduit's own module.

#include "conduit/ConduitStrings.h"

#include <iterator>
#include <mutex>

namespace {

const ResourceString kEnglishStrings[] = {
    {IDS_CONDUIT_NAME, "Quillet Conduit"},
    {IDS_CURRENT_SETTINGS, "%s's Current Settings:"},
    {IDS_ACTION_SYNCHRONIZE, "Synchronize the files."},
    {IDS_ACTION_DESKTOP_OVERWRITES, "Desktop overwrites Palm organizer."},
    {IDS_ACTION_HANDHELD_OVERWRITES, "Palm organizer overwrites Desktop."},
    {IDS_ACTION_DO_NOTHING, "Do Nothing."},
    {IDS_ACTION_GROUP, "Quillet HotSync Action"},
    {IDS_HH_PURGE_FAILED, "Could not purge the deleted records on Palm organizer. %s"},
    {IDS_REMOTE_CATEGORY_MOVE_FAILED,
     "Could not move the Palm organizer records in category '%s' to 'Unfiled'."},
    {IDS_REMOTE_CATEGORY_LIMIT,
     "Only 15 categories are allowed.  All records in remote category %s were changed to "
     "'Unfiled'."},
    {IDS_REMOTE_CATEGORY_DELETED,
     "-- Remote category %s has been deleted. The records in this category have been moved to "
     "'Unfiled'."},
    {IDS_RECORD_DUPLICATED,
     "The following record was modified on both Palm organizer and the Desktop: %s. This record "
     "will be duplicated on each platform. Delete the unwanted record and HotSync again."},
    {IDS_MODIFIED_DELETED,
     "The following record, %s,  was modified on one platform and deleted on the other. The "
     "modified version will appear on both platforms."},
    {IDS_HH_CLEAR_FLAGS_FAILED, "Could not clear Palm organizer's status flags. Error Code %s"},
    {IDS_PC_PURGE_FAILED, "Could not purge the deleted records on Desktop. Error Code %s"},
    {IDS_PC_SAVE_FAILED, " -- Could not save the local database. Error Code %s"},
    {IDS_PC_CLEAR_FLAGS_FAILED,
     " -- Could not clear Desktop's Database's status flags. Error Code %s"},
    {IDS_HH_CLOSE_FAILED, " -- Could not close remote database. Error Code %s"},
    {IDS_PC_CLOSE_FAILED, " -- Could not close local database. Error Code %s"},
    {IDS_LOCAL_CATEGORY_DELETED,
     "-- Local category %s has been deleted. The records in this category have been moved to "
     "'Unfiled'."},
    {IDS_LOCAL_CATEGORY_MOVE_FAILED,
     "Could not move the local records in category '%s' to 'Unfiled'."},
    {IDS_LOCAL_CATEGORY_LIMIT,
     "Only 15 categories are allowed.  All records in local category %s were changed to "
     "'Unfiled'."},
    {IDS_DB_DESCRIPTION_LONG, "DB Name %1s, Creator ID %2s, Type %3u, Flags %4d, Version %5d"},
    {IDS_DB_DESCRIPTION_SHORT, "DB Name %1s, Creator ID %2s"},
    {IDS_PC_CREATE_FAILED, " -- Failed to create PC Database: %1s, Error %2u"},
    {IDS_HH_CREATE_FAILED, " -- Failed to create HH Database: %1s, Error %2u"},
    {IDS_PC_ADD_FAILED, " -- PC failed to add record: %1s, Error %2u"},
    {IDS_HH_ADD_FAILED, " -- HH failed to add record: %1s, Error %2u"},
    {IDS_PC_READ_FAILED, " -- PC failed to read record: %1s, Error %2u"},
    {IDS_HH_READ_FAILED, " -- HH failed to read record: %1s, Error %2u"},
    {IDS_PC_FILE_IN_USE,
     " -- The desktop file %s is in use by another program. Nothing was synchronized: close "
     "that program or wait for it to finish, then HotSync again."},
    {IDS_PASSWORD_MISMATCH,
     " -- The memos on the Palm organizer and on the Desktop are protected by different "
     "passwords (or only one side has a password). Nothing was synchronized, so that no memo "
     "is garbled. Give the Desktop the handheld's password (quillet password set, or quillet "
     "password clear when the handheld has none), or choose \"Handheld overwrites Desktop\" "
     "or \"Desktop overwrites handheld\" for the next HotSync, then HotSync again."},
};

}  // namespace

ResourceInstance ConduitResources() {
  static std::once_flag once;
  static ResourceInstance instance = nullptr;
  std::call_once(once, [] {
    ResourceInstance module = ResourceRegisterModule(CONDUIT_MODULE_NAME);
    if (module != nullptr &&
        ResourceAddStrings(module, kEnglishStrings, std::size(kEnglishStrings)) >= 0) {
      instance = module;
    }
  });
  return instance;
}
