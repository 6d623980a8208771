#include "tools/common/JsonOutput.h"

#include <ostream>

namespace JsonOutput {

std::string Dump(const Json& value) {
  return value.dump(kIndent, ' ', false, Json::error_handler_t::replace);
}

void Write(std::ostream& out, const Json& document) {
  std::string text = Dump(document);
  text += '\n';
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

}  // namespace JsonOutput
