// Every method the extension and the organizer call through the method table
// must sit in its fixed slot.  The slot is read from the pointer to the
// virtual member, which on the Itanium C++ ABI holds 1 + the slot's byte
// offset in the table.

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <type_traits>

#include "extension/HostInterfaces.h"
#include "platform/com/IClassFactory.h"
#include "platform/com/IConnectionPointContainer.h"
#include "platform/com/IOleInPlaceObject.h"
#include "platform/com/IOleObject.h"
#include "platform/com/IServiceProvider.h"

namespace {

template <class Member>
long SlotOf(Member member) {
  static_assert(sizeof(Member) == 2 * sizeof(std::ptrdiff_t));
  std::ptrdiff_t parts[2];
  std::memcpy(parts, &member, sizeof parts);
  if ((parts[0] & 1) == 0) return -1;  // not virtual
  return static_cast<long>((parts[0] - 1) / static_cast<std::ptrdiff_t>(sizeof(void*)));
}

static_assert(!std::has_virtual_destructor_v<IHostSite>);
static_assert(!std::has_virtual_destructor_v<IHostExtensionEntry>);

TEST(HostInterfacesTest, MethodsSitInTheirSlots) {
  const struct {
    const char* name;
    long slot;
    long expected;
  } cases[] = {
      {"IUnknown::QueryInterface", SlotOf(&IUnknown::QueryInterface), 0},
      {"IUnknown::Release", SlotOf(&IUnknown::Release), 2},
      {"IDispatch::GetTypeInfoCount", SlotOf(&IDispatch::GetTypeInfoCount), 3},
      {"IDispatch::Invoke", SlotOf(&IDispatch::Invoke), 6},
      {"IClassFactory::LockServer", SlotOf(&IClassFactory::LockServer), 4},
      {"IServiceProvider::QueryService", SlotOf(&IServiceProvider::QueryService), 3},
      {"IConnectionPoint::Advise", SlotOf(&IConnectionPoint::Advise), 5},
      {"IConnectionPoint::Unadvise", SlotOf(&IConnectionPoint::Unadvise), 6},
      {"IConnectionPointContainer::FindConnectionPoint",
       SlotOf(&IConnectionPointContainer::FindConnectionPoint), 4},
      {"IHostSite::GetApplication", SlotOf(&IHostSite::GetApplication), 7},
      {"IHostSite::GetCommandBase", SlotOf(&IHostSite::GetCommandBase), 12},
      {"IHostSite::GetUserData", SlotOf(&IHostSite::GetUserData), 16},
      {"IHostSite::IsActiveView", SlotOf(&IHostSite::IsActiveView), 17},
      {"IHostSite::SetReady", SlotOf(&IHostSite::SetReady), 19},
      {"IHostApplication::GetMainWindow", SlotOf(&IHostApplication::GetMainWindow), 16},
      {"IHostMainWindow::GetMainMenu", SlotOf(&IHostMainWindow::GetMainMenu), 10},
      {"IHostMainWindow::FindMenuItem", SlotOf(&IHostMainWindow::FindMenuItem), 13},
      {"IHostMainWindow::GetStatusBar", SlotOf(&IHostMainWindow::GetStatusBar), 14},
      {"IHostStatusBar::SetPaneText", SlotOf(&IHostStatusBar::SetPaneText), 9},
      {"IHostExtensionManager::AddExtension", SlotOf(&IHostExtensionManager::AddExtension), 9},
      {"IHostExtensionManager::FindExtension", SlotOf(&IHostExtensionManager::FindExtension), 11},
      {"IHostExtensionEntry::SetMenuCaption", SlotOf(&IHostExtensionEntry::SetMenuCaption), 10},
      {"IHostExtensionEntry::SetDisplayName", SlotOf(&IHostExtensionEntry::SetDisplayName), 12},
      {"IHostExtensionEntry::SetDataFileName", SlotOf(&IHostExtensionEntry::SetDataFileName), 16},
      {"IHostExtensionEntry::SetCombinedName", SlotOf(&IHostExtensionEntry::SetCombinedName), 18},
      {"IHostExtensionEntry::SetSmallBitmap", SlotOf(&IHostExtensionEntry::SetSmallBitmap), 24},
      {"IHostExtensionEntry::SetFinal", SlotOf(&IHostExtensionEntry::SetFinal), 32},
      {"IHostExtensionEntry::Remove", SlotOf(&IHostExtensionEntry::Remove), 38},
      {"IOleClientSite::RequestNewObjectLayout", SlotOf(&IOleClientSite::RequestNewObjectLayout), 8},
      {"IOleObject::SetClientSite", SlotOf(&IOleObject::SetClientSite), 3},
      {"IOleObject::DoVerb", SlotOf(&IOleObject::DoVerb), 11},
      {"IOleObject::GetMiscStatus", SlotOf(&IOleObject::GetMiscStatus), 22},
      {"IOleObject::SetColorScheme", SlotOf(&IOleObject::SetColorScheme), 23},
      {"IOleInPlaceObject::SetObjectRects", SlotOf(&IOleInPlaceObject::SetObjectRects), 7},
      {"IOleInPlaceObject::ReactivateAndUndo", SlotOf(&IOleInPlaceObject::ReactivateAndUndo), 8},
  };
  for (const auto& c : cases) EXPECT_EQ(c.slot, c.expected) << c.name;
}

}  // namespace
