#pragma once
// One entry of the organizer's list of extensions, as the extension's
// registration fills it in after the manager added it.  Every setter writes
// its field to the list at once (the registering process may end at any
// moment, and the organizer may read the list meanwhile).  Texts arrive as
// BSTRs and are stored as UTF-8; a unit that is not valid UTF-16 is stored as
// U+FFFD, the rest of the text kept.
//
// After Remove() (or when another process took the entry out) the setters
// answer E_UNEXPECTED and leave the list unchanged: the entry is not brought
// back by a late call.

#include <filesystem>
#include <functional>
#include <string>

#include "extension/HostInterfaces.h"
#include "hosts/organizer/ExtensionList.h"
#include "platform/com/DispatchObject.h"

class CExtensionEntry final : public CDispatchObject<IHostExtensionEntry> {
 public:
  // The entry `name` of the list kept in `registryFile`.
  CExtensionEntry(std::string name, std::filesystem::path registryFile = CRegistry::DefaultPath());

  const std::string& Name() const { return m_name; }

  HRESULT Reserved7() override { return E_NOTIMPL; }
  HRESULT Reserved8() override { return E_NOTIMPL; }
  HRESULT Reserved9() override { return E_NOTIMPL; }
  HRESULT SetMenuCaption(BSTR caption) override;
  HRESULT Reserved11() override { return E_NOTIMPL; }
  HRESULT SetDisplayName(BSTR name) override;
  HRESULT Reserved13() override { return E_NOTIMPL; }
  HRESULT Reserved14() override { return E_NOTIMPL; }
  HRESULT Reserved15() override { return E_NOTIMPL; }
  HRESULT SetDataFileName(BSTR fileName) override;
  HRESULT Reserved17() override { return E_NOTIMPL; }
  HRESULT SetCombinedName(BSTR name) override;
  HRESULT Reserved19() override { return E_NOTIMPL; }
  HRESULT Reserved20() override { return E_NOTIMPL; }
  HRESULT Reserved21() override { return E_NOTIMPL; }
  HRESULT Reserved22() override { return E_NOTIMPL; }
  HRESULT Reserved23() override { return E_NOTIMPL; }
  HRESULT SetSmallBitmap(BSTR path) override;
  HRESULT Reserved25() override { return E_NOTIMPL; }
  HRESULT Reserved26() override { return E_NOTIMPL; }
  HRESULT Reserved27() override { return E_NOTIMPL; }
  HRESULT Reserved28() override { return E_NOTIMPL; }
  HRESULT Reserved29() override { return E_NOTIMPL; }
  HRESULT Reserved30() override { return E_NOTIMPL; }
  HRESULT Reserved31() override { return E_NOTIMPL; }
  HRESULT SetFinal(LONG flag) override;
  HRESULT Reserved33() override { return E_NOTIMPL; }
  HRESULT Reserved34() override { return E_NOTIMPL; }
  HRESULT Reserved35() override { return E_NOTIMPL; }
  HRESULT Reserved36() override { return E_NOTIMPL; }
  HRESULT Reserved37() override { return E_NOTIMPL; }
  // S_OK, or S_FALSE when the entry was no longer in the list.
  HRESULT Remove() override;

 private:
  ~CExtensionEntry() override = default;

  // Reads the entry, lets `change` alter it and writes it back.
  HRESULT Change(const std::function<void(ExtensionRecord&)>& change);
  HRESULT SetText(BSTR text, std::string ExtensionRecord::*field);

  std::string m_name;
  CExtensionList m_list;
};
