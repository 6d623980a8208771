#include "platform/crypto/SecureWipe.h"

void SecureWipe(void* data, std::size_t size) {
  if (data == nullptr || size == 0) return;
  volatile unsigned char* p = static_cast<volatile unsigned char*>(data);
  for (std::size_t i = 0; i < size; ++i) p[i] = 0;
  // Tells the compiler the memory is read afterwards, so the stores above
  // stay even when the buffer is freed right after.
  __asm__ __volatile__("" : : "r"(data) : "memory");
}
