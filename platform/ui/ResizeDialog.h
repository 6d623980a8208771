#pragma once
// A dialog that keeps its controls laid out when it is resized and lets the
// user drag the bar between two neighbouring controls.  The dialog's code
// registers its controls with anchor flags (move or stretch with the right and
// bottom edges, stay inside them), optional minimum sizes and the pairs of
// controls that share a split; splits marked as saved can be dragged and are
// stored in and restored from the application profile.
//
// A derived dialog that overrides OnWindowMessage must call
// CResizeDialog::OnWindowMessage for the messages it does not handle itself:
// dragged and restored splits arrive as the posted WM_RD_APPLYSPLIT.  The same
// holds for the resize and mouse event handlers.

#include <QCursor>

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/resources/Resources.h"
#include "platform/ui/DialogWindow.h"

class CAppProfile;
class CDragFeedback;

// Anchor flags of a control: what it does when the client area changes size.
inline constexpr unsigned RD_MOVE_X = 0x01;   // keeps its left edge's distance to the right edge
inline constexpr unsigned RD_SIZE_X = 0x02;   // its right edge follows the right edge (wins over RD_MOVE_X)
inline constexpr unsigned RD_MOVE_Y = 0x04;   // keeps its top edge's distance to the bottom edge
inline constexpr unsigned RD_SIZE_Y = 0x08;   // its bottom edge follows the bottom edge (wins over RD_MOVE_Y)
inline constexpr unsigned RD_LIMIT_RIGHT = 0x10;   // right edge stays 16 pixels inside the client area
inline constexpr unsigned RD_LIMIT_BOTTOM = 0x20;  // bottom edge stays 16 pixels above the client bottom

// Posted to the dialog to move a split: wParam the splitter's index, lParam
// the second control's new left edge (side by side) or top edge (stacked).
inline constexpr unsigned WM_RD_APPLYSPLIT = WM_USER + 68;

class CResizeDialog : public CDialogWindow {
  Q_OBJECT

 public:
  // Splitter directions.
  static constexpr int SPLIT_SIDE_BY_SIDE = 2;  // vertical bar, dragged left and right
  static constexpr int SPLIT_STACKED = 8;       // horizontal bar, dragged up and down

  // Position flags of a control's last placement.
  static constexpr unsigned POS_MOVE = 0x1;
  static constexpr unsigned POS_SIZE = 0x2;

  // A rectangle in client coordinates; right and bottom are exclusive.
  struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const Rect&) const = default;
  };

  struct AnchoredControl {
    int id = 0;
    unsigned flags = 0;
    int minWidth = 0;
    int minHeight = 0;
    Rect layout;              // as last measured, or as anchored at the last resize
    Rect target;              // where the last resize placed it (after minimum and limits)
    unsigned positionFlags = 0;  // POS_* of the last resize
    int rightDistance = 0;
    int bottomDistance = 0;
  };

  struct Splitter {
    int firstId = 0;   // the left (upper) control
    int secondId = 0;  // the right (lower) control
    int direction = 0;
    int gap = 0;       // pixels between the two at registration
    int saved = 0;     // non-zero: can be dragged, saved and restored
  };

  // A modal template is made resizable (the plain dialog keeps its template
  // size fixed).
  CResizeDialog(const DialogTemplate* dialogTemplate, QWidget* parent);
  ~CResizeDialog() override;

  // Where the bar cursors are loaded from, and the bar cursors' ids: 0 (the
  // default) means that kind of bar cannot be dragged.
  void SetResourceInstance(ResourceInstance instance) { m_instance = instance; }
  void SetSideBySideCursor(std::uint32_t cursorId) { m_sideCursor = cursorId; }
  void SetStackedCursor(std::uint32_t cursorId) { m_stackedCursor = cursorId; }
  // The profile that SaveSplitters and LoadSplitters use; borrowed, it must
  // outlive the dialog's use of it.  Without one they do nothing.
  void SetProfile(const CAppProfile* profile) { m_profile = profile; }

  // Registers the control with that id and measures it; false (nothing
  // registered) when the dialog has no such control.  Besides the template's
  // controls, a child made at run time counts when its object name is
  // "item<id>" (as the template's controls are named).
  bool AddControl(int id, unsigned flags);
  // Minimum size of a registered control, enforced after anchoring; a
  // negative value never applies.
  void SetMinSize(int id, int width, int height);
  // Registers a split between two registered controls (SPLIT_SIDE_BY_SIDE or
  // SPLIT_STACKED).  The pair is put in left/upper order; false for unknown
  // controls, another direction, or controls that overlap in that direction.
  bool AddSplitter(int firstId, int secondId, int direction, int saved);
  // Measures the registered control again (0: all of them).
  void RecalcControl(int id);

  // Stores each saved split under key <prefix><n> (n from 1) as
  // "<first id> <second id> <second control's left or top edge>".
  void SaveSplitters(std::string_view section, std::string_view prefix);
  // Reads <prefix>1, <prefix>2, ... up to the first missing or empty value
  // and posts the split of each that names a registered pair.
  void LoadSplitters(std::string_view section, std::string_view prefix);

  // The registered controls and splits, for inspection.
  const std::vector<AnchoredControl>& AnchoredControls() const { return m_controls; }
  const std::vector<Splitter>& Splitters() const { return m_splitters; }
  const AnchoredControl* FindAnchored(int id) const;
  // The splitter being dragged (-1 when none) and the feedback rectangle.
  int DragIndex() const { return m_dragIndex; }
  const Rect& FeedbackRect() const { return m_feedback; }

 protected:
  void OnWindowMessage(unsigned message, WPARAM wParam, LPARAM lParam) override;
  void resizeEvent(QResizeEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* ChildControl(int id) const;
  AnchoredControl* Anchored(int id);
  void Measure(AnchoredControl& control);
  void Layout(int width, int height);
  void Place(const AnchoredControl& control, unsigned positionFlags);
  // The first draggable bar under `point`, or -1; `bar` receives its rectangle.
  int HitTest(int x, int y, Rect* bar) const;
  Rect BarRect(const Splitter& splitter) const;
  std::uint32_t CursorId(const Splitter& splitter) const;
  void SetBarCursor(const Splitter& splitter);
  // Back to the dialog's own cursor once the pointer is off every bar.
  void RestoreCursor();
  // An offset of a split limited so both controls keep their minimum size.
  int LimitOffset(const Splitter& splitter, int offset) const;
  void InvertFeedback();
  void ApplySplit(int index, int position);

  ResourceInstance m_instance = nullptr;
  const CAppProfile* m_profile = nullptr;
  std::uint32_t m_sideCursor = 0;
  std::uint32_t m_stackedCursor = 0;
  std::vector<AnchoredControl> m_controls;
  std::vector<Splitter> m_splitters;
  int m_dragIndex = -1;
  int m_dragStartX = 0;
  int m_dragStartY = 0;
  Rect m_dragBar;
  Rect m_feedback;
  int m_limitRight = 16;
  int m_limitBottom = 16;
  struct LoadedCursor {
    std::uint32_t id = 0;
    ResourceInstance instance = nullptr;
    QCursor cursor;
  };
  LoadedCursor m_cursors[2];  // side by side, stacked
  bool m_barCursorShown = false;
  CDragFeedback* m_feedbackWidget = nullptr;
};
