#pragma once
// A control active in its container's window: the container moves and sizes
// it with SetObjectRects and takes it out with InPlaceDeactivate (its window
// is destroyed).

#include "platform/com/IOleWindow.h"

struct IOleInPlaceObject : IOleWindow {
  static constexpr IID Iid = GuidLiteral("{00000113-0000-0000-C000-000000000046}");
  using BaseInterface = IOleWindow;

  virtual HRESULT InPlaceDeactivate() = 0;                                   // slot 5
  virtual HRESULT UIDeactivate() = 0;                                        // slot 6
  virtual HRESULT SetObjectRects(const RECT* position, const RECT* clip) = 0;  // slot 7
  virtual HRESULT ReactivateAndUndo() = 0;                                   // slot 8

 protected:
  ~IOleInPlaceObject() = default;
};
