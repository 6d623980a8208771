#pragma once
/*
 * SyncProperties: the block the HotSync Manager hands to OpenConduit, and the
 * database list entries it may point to.  The conduit copies the block into
 * its synchronizer and reads it by field.
 *
 * Every field that fits sits at the byte offset the HotSync Manager has always
 * used for it (the first 1198 bytes).  The address fields of that layout were
 * 32 bits wide; the native pointers of this platform do not fit there, so the
 * block keeps those slots (zero, unused) and carries the pointers after the
 * first 1198 bytes instead:
 *
 *   +772  32 name addresses (128 bytes)   -> databaseNames[32] at +1200
 *   +900  database list address (4 bytes) -> databaseList at +1456
 *
 * databaseNames[i] is the name of the i-th handheld database to synchronise
 * (NUL-terminated, shorter than 32 bytes).  databaseList, when not null,
 * points to databaseCount entries of DatabaseListEntry and takes precedence
 * over the names.  The synchronizer copies the pointers, not what they point
 * to: the caller keeps the names and the list alive until OpenConduit returns.
 *
 * The header is C as well as C++ so that a host written in C can build the
 * block.
 */

#include <stddef.h>
#include <stdint.h>

#pragma pack(push, 2)

/* One handheld database to synchronise (78 bytes). */
typedef struct DatabaseListEntry {
  uint32_t cardNumber;          /* +0 */
  uint16_t dbFlags;             /* +4, bit 0: resource database */
  uint32_t type;                /* +6 */
  char name[32];                /* +10, NUL-terminated */
  uint32_t creator;             /* +42 */
  uint16_t version;             /* +46 */
  uint32_t modificationNumber;  /* +48 */
  uint16_t unused52;            /* +52 */
  uint32_t creationDate;        /* +54 */
  uint32_t modificationDate;    /* +58 */
  uint32_t backupDate;          /* +62 */
  uint8_t unused66[12];         /* +66 .. +78 */
} DatabaseListEntry;

typedef struct __attribute__((aligned(8))) SyncProperties {
  int32_t syncType;                   /* +0: 0 fast, 1 slow, 2 handheld overwrites
                                         desktop, 3 desktop overwrites handheld,
                                         4 and 7 as 3, 5 as 2 keeping the handheld's
                                         sync flags, 6 do nothing */
  char directory[256];                /* +4: the user's HotSync folder for this conduit */
  char localFileName[256];            /* +260: the desktop record file's name */
  char remoteName[256];               /* +516: not used by the conduit */
  uint8_t nameAddressSlots[128];      /* +772: 32-bit address slots, unused here */
  uint32_t databaseListSlot;          /* +900: 32-bit address slot, unused here */
  int16_t databaseCount;              /* +904 */
  uint16_t unused906;                 /* +906 */
  uint32_t creator;                   /* +908 */
  uint16_t unused912;                 /* +912 */
  uint32_t type;                      /* +914 */
  uint8_t unused918[8];               /* +918 */
  int32_t firstSync;                  /* +926: 1 or 2 on the first HotSync of this
                                         handheld with this desktop (see the
                                         category merge); any other value: neither */
  uint8_t unused930[268];             /* +930 .. +1198 */
  uint8_t padding1198[2];             /* +1198 */
  const char* databaseNames[32];      /* +1200: native pointers (see above) */
  const DatabaseListEntry* databaseList; /* +1456: native pointer or null */
} SyncProperties;

#pragma pack(pop)

#ifdef __cplusplus
static_assert(sizeof(DatabaseListEntry) == 78, "database list entry is 78 bytes");
static_assert(offsetof(DatabaseListEntry, name) == 10);
static_assert(offsetof(DatabaseListEntry, creator) == 42);
static_assert(offsetof(DatabaseListEntry, modificationNumber) == 48);
static_assert(offsetof(DatabaseListEntry, creationDate) == 54);
static_assert(offsetof(DatabaseListEntry, backupDate) == 62);
static_assert(offsetof(SyncProperties, directory) == 4);
static_assert(offsetof(SyncProperties, localFileName) == 260);
static_assert(offsetof(SyncProperties, nameAddressSlots) == 772);
static_assert(offsetof(SyncProperties, databaseListSlot) == 900);
static_assert(offsetof(SyncProperties, databaseCount) == 904);
static_assert(offsetof(SyncProperties, creator) == 908);
static_assert(offsetof(SyncProperties, type) == 914);
static_assert(offsetof(SyncProperties, firstSync) == 926);
static_assert(offsetof(SyncProperties, databaseNames) == 1200);
static_assert(offsetof(SyncProperties, databaseList) == 1456);
static_assert(alignof(SyncProperties) == 8, "pointer fields are naturally aligned");
#endif
