#pragma once
// The entry points of the conduit library (libQuilletC.so), exported with C
// linkage under their plain names, and the function types a host looks them
// up as.
//
// OpenConduit(progress, properties)
//   Runs one HotSync from the sync properties.  A null `progress` returns -1
//   and does nothing else (the callback itself is never called); a null
//   `properties` returns -1 as well.  Otherwise the synchronizer's result
//   (0 = success), or -1 when the synchronizer cannot be created.  Except
//   for "do nothing", the HotSync holds the desktop file's lock throughout
//   (platform/files/FileLock.h, the lock quillet takes too); when another
//   program keeps it past the lock's wait, nothing is synchronized: the log
//   says that the file is in use and the result is DB_ERR_OPEN_FAILED.
// GetConduitName(name, size)
//   The conduit's name ("Quillet Conduit") into name[size]; 0, or -1 when it
//   cannot be loaded (null buffer, size 0).  A size above 65535 counts as
//   65535.
// GetConduitVersion()
//   0x102.
// ConfigureConduit(preferences)
//   Shows the short action dialog over the block's sync type; on OK writes
//   the chosen sync type and the permanent-or-temporary preference into the
//   block and returns 0; on Cancel returns -1 and leaves the block as it was.
//   Also -1, block unchanged, for a null block or when no window can be
//   shown (no display).
// CfgConduit(type, block, size)
//   Checks the configuration block (codes in ConduitBlocks.h), then shows the
//   full action dialog over it; returns 0 after OK or Cancel, the dialog's
//   results at offsets 344 and 348 of the block.  -1, block unchanged, when no
//   window can be shown.
// GetConduitInfo(type, in, out, outSize)
//   The conduit's name (type 0, into out[*outSize]), the value 0x10000000
//   (type 1) or the default action 0, synchronise (type 2).

#include <cstdint>

#include "conduit/ConduitBlocks.h"
#include "sync/SyncProperties.h"

// The HotSync Manager's progress callback; only tested against null.
using ConduitProgressFn = void (*)(const char* text);

extern "C" {

__attribute__((visibility("default"))) std::int32_t OpenConduit(ConduitProgressFn progress,
                                                                 SyncProperties* properties);
__attribute__((visibility("default"))) std::int32_t GetConduitName(char* name, std::uint32_t size);
__attribute__((visibility("default"))) std::int32_t GetConduitVersion(void);
__attribute__((visibility("default"))) std::int32_t ConfigureConduit(SyncPreferenceBlock* preferences);
__attribute__((visibility("default"))) std::int32_t CfgConduit(std::int32_t configType, void* block,
                                                                std::uint32_t* blockSize);
__attribute__((visibility("default"))) std::int32_t GetConduitInfo(std::int32_t infoType, void* input,
                                                                    void* output, std::uint32_t* outputSize);

}  // extern "C"

// Function types for dlsym.
using OpenConduitFn = std::int32_t (*)(ConduitProgressFn, SyncProperties*);
using GetConduitNameFn = std::int32_t (*)(char*, std::uint32_t);
using GetConduitVersionFn = std::int32_t (*)();
using ConfigureConduitFn = std::int32_t (*)(SyncPreferenceBlock*);
using CfgConduitFn = std::int32_t (*)(std::int32_t, void*, std::uint32_t*);
using GetConduitInfoFn = std::int32_t (*)(std::int32_t, void*, void*, std::uint32_t*);
