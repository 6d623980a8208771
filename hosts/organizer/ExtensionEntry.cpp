#include "hosts/organizer/ExtensionEntry.h"

#include <new>
#include <utility>

#include "platform/com/Bstr.h"

CExtensionEntry::CExtensionEntry(std::string name, std::filesystem::path registryFile)
    : m_name(std::move(name)), m_list(std::move(registryFile)) {}

// No exception leaves a COM method: memory running out is E_OUTOFMEMORY.
HRESULT CExtensionEntry::Change(const std::function<void(ExtensionRecord&)>& change) {
  try {
    const HRESULT hr = m_list.Change(m_name, change);
    return hr == S_FALSE ? E_UNEXPECTED : hr;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

HRESULT CExtensionEntry::SetText(BSTR text, std::string ExtensionRecord::*field) {
  std::string utf8;
  BstrToUtf8(text, utf8);  // a broken unit is kept as U+FFFD; memory running out leaves it empty
  return Change([&](ExtensionRecord& record) { record.*field = std::move(utf8); });
}

HRESULT CExtensionEntry::SetMenuCaption(BSTR caption) {
  return SetText(caption, &ExtensionRecord::menuCaption);
}

HRESULT CExtensionEntry::SetDisplayName(BSTR name) {
  return SetText(name, &ExtensionRecord::displayName);
}

HRESULT CExtensionEntry::SetDataFileName(BSTR fileName) {
  return SetText(fileName, &ExtensionRecord::dataFileName);
}

HRESULT CExtensionEntry::SetCombinedName(BSTR name) {
  return SetText(name, &ExtensionRecord::combinedName);
}

HRESULT CExtensionEntry::SetSmallBitmap(BSTR path) {
  return SetText(path, &ExtensionRecord::smallBitmap);
}

HRESULT CExtensionEntry::SetFinal(LONG flag) {
  return Change([&](ExtensionRecord& record) { record.finalFlag = flag; });
}

HRESULT CExtensionEntry::Remove() {
  try {
    return m_list.Remove(m_name);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}
