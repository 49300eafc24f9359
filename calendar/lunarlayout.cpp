#include "calendar/lunarlayout.h"

#include "base/datetime.h"

namespace vemora {

namespace {

// The margins: the grid's distance from the left and right edges, the gap
// below the Today button, the space left and right of three characters in a
// cell and between a cell's two lines and its edges.
constexpr int kSideMargin = 8, kBottomMargin = 6, kCellPadding = 4, kLinePadding = 3;
// The weekday row starts under the header band, as in the Gregorian layout.
constexpr int kWeekdayTop = 22;

} // namespace

LunarLayout::LunarLayout(int fontHeight)
    : FontHeight(fontHeight), LineHeight(fontHeight + kLinePadding), MarkFontHeight(fontHeight * 3 / 4),
      CellWidth(3 * fontHeight + kCellPadding), CellHeight(2 * LineHeight + kLinePadding), GridLeft(kSideMargin),
      GridTop(kWeekdayTop + LineHeight + 2), W(2 * kSideMargin + 7 * CellWidth),
      H(ButtonTop() + CalendarGeometry::kButtonHeight + kBottomMargin) {}

CalRect LunarLayout::Cell(int col, int row) const {
    const int left = GridLeft + CellWidth * col, top = GridTop + CellHeight * row;
    return {left, top, left + CellWidth, top + CellHeight};
}

CalRect LunarLayout::DayNumber(int col, int row) const {
    const CalRect c = Cell(col, row);
    return {c.left, c.top + 1, c.right, c.top + 1 + LineHeight};
}

CalRect LunarLayout::LunarText(int col, int row) const {
    const CalRect number = DayNumber(col, row);
    return {number.left, number.bottom, number.right, number.bottom + LineHeight};
}

CalRect LunarLayout::Mark(int col, int row) const {
    const CalRect c = Cell(col, row);
    const int size = MarkFontHeight + 2;
    return {c.right - 1 - size, c.top + 1, c.right - 1, c.top + 1 + size};
}

CalRect LunarLayout::InfoLine() const {
    const int top = LowerSeparatorY() + 2;
    return {GridLeft, top, GridLeft + 7 * CellWidth, top + LineHeight + 2};
}

CalRect LunarLayout::NoteLine(int index) const {
    const CalRect info = InfoLine();
    const int top = info.bottom + index * LineHeight;
    return {info.left, top, info.right, top + LineHeight};
}

CalRect LunarLayout::AlmanacRow(int row) const {
    const CalRect notes = NoteLine(kNoteLines - 1);
    const int top = notes.bottom + 1 + row * LineHeight;
    return {notes.left, top, notes.right, top + LineHeight};
}

CalRect LunarLayout::SelectedDayArea() const {
    const CalRect info = InfoLine();
    return {info.left, info.top, info.right, AlmanacRow(kAlmanacRows - 1).bottom};
}

CalendarGeometry LunarLayout::Geometry() const {
    CalendarGeometry g{W, H};
    g.GridLeft = g.PressLeft = GridLeft;
    g.GridTop = g.PressTop = GridTop;
    g.PitchX = g.TextWidth = CellWidth;
    g.PitchY = CellHeight;
    g.PressRightInset = W - (GridLeft + 7 * CellWidth);
    g.PressBottomInset = H - LowerSeparatorY();
    g.WeekdayBottom = GridTop - 2;
    g.GridRepaintBottom = SelectedDayArea().bottom;
    g.InfoArea = SelectedDayArea();
    g.ButtonTop = ButtonTop();
    return g;
}

LunarCellFace LunarCellFaceOf(const HolidayBook& book, int year, int month, int day) {
    LunarCellFace face;
    face.text = LunarCellText(year, month, day);
    if (!FestivalsOn(year, month, day).empty() && !face.text.empty())
        face.kind = LunarTextKind::Festival;
    else if (SolarTermOn(year, month, day) != 0)
        face.kind = LunarTextKind::SolarTerm;
    else if (InLunarRange(year, month, day) && GregorianToLunar(year, month, day).day == 1)
        face.kind = LunarTextKind::MonthStart;
    face.arrangement = ArrangementOf(book, year, month, day);
    const bool weekend = IsValidDate(year, month, day) && DayOfWeekIso(EncodeDate(year, month, day)) >= 6;
    face.restDay =
        face.arrangement == DayArrangement::Holiday || (weekend && face.arrangement != DayArrangement::Workday);
    return face;
}

} // namespace vemora
