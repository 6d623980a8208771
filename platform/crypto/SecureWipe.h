#pragma once

#include <cstddef>

// Overwrites memory that held a password or key with zeros.  The stores go
// through a volatile pointer and are followed by a compiler barrier, so the
// wipe is never removed as a dead store, even right before a free.
void SecureWipe(void* data, std::size_t size);
