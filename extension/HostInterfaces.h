#pragma once
// The organizer's interfaces as the extension calls them.  Every host
// interface is a dual interface: slots 0-2 IUnknown, 3-6 IDispatch, then the
// host's own methods in the order of its method table.  Only the methods the
// extension calls are named; the slots between them are declared as
// ReservedN (N being the slot) so that the named ones sit at their fixed
// positions.  A host implements the reserved slots by returning E_NOTIMPL.
//
// Strings are BSTRs: an input is borrowed for the call, an output belongs to
// the caller, who frees it.  Object outputs carry one reference for the
// caller.  "Int" values are 32-bit.

#include "extension/HostEvents.h"
#include "platform/com/IDispatch.h"

// The site the organizer gives the extension; reached from the control's
// client site as the service kSiteService.  Source of the site events.
struct IHostSite : IDispatch {
  static constexpr IID Iid = GuidLiteral("{54193A73-FC5B-11D4-8193-00C04FA03755}");
  using BaseInterface = IDispatch;

  virtual HRESULT GetApplication(IDispatch** application) = 0;       // slot 7
  virtual HRESULT Reserved8() = 0;
  virtual HRESULT Reserved9() = 0;
  virtual HRESULT Reserved10() = 0;
  virtual HRESULT Reserved11() = 0;
  // The first of the command ids the extension may give its own menu items.
  virtual HRESULT GetCommandBase(LONG* base) = 0;                    // slot 12
  virtual HRESULT Reserved13() = 0;
  virtual HRESULT Reserved14() = 0;
  virtual HRESULT Reserved15() = 0;
  // The current user's name and the full path of that user's data file.
  virtual HRESULT GetUserData(BSTR* userName, BSTR* dataPath) = 0;   // slot 16
  // Non-zero when the extension's view is the one the organizer shows.
  virtual HRESULT IsActiveView(LONG* active) = 0;                    // slot 17
  virtual HRESULT Reserved18() = 0;
  // Told 1 once the control is ready.
  virtual HRESULT SetReady(LONG ready) = 0;                          // slot 19

 protected:
  ~IHostSite() = default;
};

// The organizer application.  Source of the application events.
struct IHostApplication : IDispatch {
  static constexpr IID Iid = GuidLiteral("{5C42CA62-42E9-11D4-80F2-00C04FA03755}");
  using BaseInterface = IDispatch;

  virtual HRESULT Reserved7() = 0;
  virtual HRESULT Reserved8() = 0;
  virtual HRESULT Reserved9() = 0;
  virtual HRESULT Reserved10() = 0;
  virtual HRESULT Reserved11() = 0;
  virtual HRESULT Reserved12() = 0;
  virtual HRESULT Reserved13() = 0;
  virtual HRESULT Reserved14() = 0;
  virtual HRESULT Reserved15() = 0;
  virtual HRESULT GetMainWindow(IDispatch** mainWindow) = 0;         // slot 16

 protected:
  ~IHostApplication() = default;
};

// The organizer's main window.  Source of the main-window events.
struct IHostMainWindow : IDispatch {
  static constexpr IID Iid = GuidLiteral("{FCAB25CA-666B-11D5-81EA-00C04FA03755}");
  using BaseInterface = IDispatch;

  virtual HRESULT Reserved7() = 0;
  virtual HRESULT Reserved8() = 0;
  virtual HRESULT Reserved9() = 0;
  // The handle of the main menu bar.
  virtual HRESULT GetMainMenu(LONG_PTR* menu) = 0;                    // slot 10
  virtual HRESULT Reserved11() = 0;
  virtual HRESULT Reserved12() = 0;
  // With commandId 0: the position of menu `menuId` in the menu bar;
  // otherwise the position of command `commandId` in that menu.
  virtual HRESULT FindMenuItem(LONG menuId, LONG commandId, LONG* position) = 0;  // slot 13
  virtual HRESULT GetStatusBar(IDispatch** statusBar) = 0;           // slot 14

 protected:
  ~IHostMainWindow() = default;
};

struct IHostStatusBar : IDispatch {
  static constexpr IID Iid = GuidLiteral("{DD9DBF68-C8A3-11D5-821C-00C04FA03755}");
  using BaseInterface = IDispatch;

  virtual HRESULT Reserved7() = 0;
  virtual HRESULT Reserved8() = 0;
  virtual HRESULT SetPaneText(LONG pane, BSTR text) = 0;             // slot 9

 protected:
  ~IHostStatusBar() = default;
};

// One extension in the organizer's list.
struct IHostExtensionEntry : IDispatch {
  static constexpr IID Iid = GuidLiteral("{F2FAEC00-ED8D-11D5-8240-00C04FA03755}");
  using BaseInterface = IDispatch;

  virtual HRESULT Reserved7() = 0;
  virtual HRESULT Reserved8() = 0;
  virtual HRESULT Reserved9() = 0;
  virtual HRESULT SetMenuCaption(BSTR caption) = 0;                  // slot 10
  virtual HRESULT Reserved11() = 0;
  virtual HRESULT SetDisplayName(BSTR name) = 0;                     // slot 12
  virtual HRESULT Reserved13() = 0;
  virtual HRESULT Reserved14() = 0;
  virtual HRESULT Reserved15() = 0;
  virtual HRESULT SetDataFileName(BSTR fileName) = 0;                // slot 16
  virtual HRESULT Reserved17() = 0;
  virtual HRESULT SetCombinedName(BSTR name) = 0;                    // slot 18
  virtual HRESULT Reserved19() = 0;
  virtual HRESULT Reserved20() = 0;
  virtual HRESULT Reserved21() = 0;
  virtual HRESULT Reserved22() = 0;
  virtual HRESULT Reserved23() = 0;
  virtual HRESULT SetSmallBitmap(BSTR path) = 0;                     // slot 24
  virtual HRESULT Reserved25() = 0;
  virtual HRESULT Reserved26() = 0;
  virtual HRESULT Reserved27() = 0;
  virtual HRESULT Reserved28() = 0;
  virtual HRESULT Reserved29() = 0;
  virtual HRESULT Reserved30() = 0;
  virtual HRESULT Reserved31() = 0;
  virtual HRESULT SetFinal(LONG flag) = 0;                           // slot 32
  virtual HRESULT Reserved33() = 0;
  virtual HRESULT Reserved34() = 0;
  virtual HRESULT Reserved35() = 0;
  virtual HRESULT Reserved36() = 0;
  virtual HRESULT Reserved37() = 0;
  // Removes this entry from the organizer's list.
  virtual HRESULT Remove() = 0;                                      // slot 38

 protected:
  ~IHostExtensionEntry() = default;
};

// The organizer's list of extensions, created by class id
// CLSID_HostExtensionManager.
struct IHostExtensionManager : IDispatch {
  static constexpr IID Iid = GuidLiteral("{BE448979-EB38-11D5-823F-00C04FA03755}");
  using BaseInterface = IDispatch;

  virtual HRESULT Reserved7() = 0;
  virtual HRESULT Reserved8() = 0;
  // Adds an entry and returns it.
  virtual HRESULT AddExtension(BSTR name, LONG creator, BSTR helpPage, BSTR largeBitmap,  // slot 9
                               IHostExtensionEntry** entry) = 0;
  virtual HRESULT Reserved10() = 0;
  // The entry named `name`; *entry is null (and the result S_OK) when there
  // is none.
  virtual HRESULT FindExtension(BSTR name, IHostExtensionEntry** entry) = 0;  // slot 11

 protected:
  ~IHostExtensionManager() = default;
};

inline constexpr CLSID CLSID_HostExtensionManager =
    GuidLiteral("{BE44897A-EB38-11D5-823F-00C04FA03755}");
// The service id under which the client site hands out IHostSite.
inline constexpr GUID kSiteService = IHostSite::Iid;
