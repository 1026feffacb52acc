// The tick: scroll the plot left, paint the new strip at the right edge, draw the newest
// segment of every fresh line with its point picture and value tip, gather the export
// row and invalidate the plot. Nothing of the history is kept but the pixels.
//
// Per tick: s = the grid step in whole pixels (half to even), half = s \ 2: an ordinary
// tick scrolls by half and paints a strip of half columns; the first tick scrolls so that
// the time grid drawn by the full repaint lines up with the moving one.
#include <algorithm>

#include "chart/export_text.h"
#include "chart/gdi_scope.h"
#include "chart/label_text.h"
#include "chart/line_chart.h"
#include "chart/log_slot.h"
#include "chart/number_text.h"

namespace kavrin {

namespace {
COLORREF Cr(Long c) { return static_cast<COLORREF>(c); }
}  // namespace

void cLineChart::Movie() {
  // s = 0 (a grid step within 0.5 of zero, or no Start yet) fails at the Mod with 11
  // before anything is drawn, and keeps failing: the first tick never completes.
  const Long s = GridPixels();
  const Long half = DivL(s, 2);
  Integer shift = 0;
  if (m_bFirstTick) {
    const Integer rest = ToInteger(ModL(m_lWorkWidth, s));
    shift = CInt(m_dGridStep - rest + 1);
  } else {
    shift = ToInteger(half);
  }

  // One block copy within the surface; the columns Right - shift + 1 .. Right keep their
  // content until the strip covers the last half of them. Only what stays inside the plot
  // is copied: the leftmost shift columns leave it rather than landing on the value-scale
  // ticks and labels left of the plot.
  // (A negative grid step scrolls to the right; the same holds for that direction.)
  const Long kept = SubL(m_lWorkWidth, shift < 0 ? -shift : shift);
  if (kept > 0) {
    const Long from = shift > 0 ? AddL(m_rcWork.left, shift) : m_rcWork.left;
    const Long to = shift > 0 ? m_rcWork.left : SubL(m_rcWork.left, shift);
    BitBlt(Dc(), to, m_rcWork.top, kept, m_lWorkHeight, Dc(), from, m_rcWork.top, SRCCOPY);
  }
  DrawNewStrip();
  m_bFirstTick = False;
  DrawNewSegments();
  const RECT plot = IncRect(m_rcWork);
  InvalidateRect(Wnd(), &plot, FALSE);
  m_bTickPhase = ToBoolean(m_bTickPhase == False);
  FlushExportRows();
}

// Background of columns Right - half + 1 .. Right, the value grid continued from
// Right - half to Right (the rows of the full repaint), and on ticks of phase True a time
// grid line one column left of the plot's right edge.
void cLineChart::DrawNewStrip() {
  const Long s = GridPixels();
  const Long half = DivL(s, 2);
  RECT strip = IncRect(m_rcWork);
  strip.left = AddL(SubL(m_rcWork.right, half), 1);
  FillSolid(Dc(), strip, Cr(m_lBkGndColor));

  const Integer count = ToInteger(DivL(m_lWorkHeight, s));
  if (m_bValueLineDsip) {
    SelectedPen pen(Dc(), 1, Cr(m_lValueLineColor));
    const Long x1 = SubL(m_rcWork.right, half);
    const Long x2 = AddL(m_rcWork.right, 1);
    for (int i = 0; i <= count; ++i) {
      const Long y = CLng(m_rcWork.bottom - i * m_dGridStep);
      DrawLine(RECT{x1, y, x2, y});
    }
  }
  if (m_bTimeLineDsip && m_bTickPhase) {
    SelectedPen pen(Dc(), 1, Cr(m_lTimeLineColor));
    const Long x = SubL(m_rcWork.right, 1);
    DrawLine(RECT{x, m_rcWork.top, x, m_rcWork.bottom});
  }
}

// A line is fresh when its Fresh equals the tick phase (SetValue made them equal); an
// unfresh line is made equal here and draws nothing, leaving a gap. The final phase
// inversion of the tick makes every line unfresh again.
// Segments, pictures and tips are clipped to the plot: a value beyond Min or Max would
// otherwise leave them on the margins, which the scroll never moves or repaints.
void cLineChart::DrawNewSegments() {
  ClippedTo plot(Dc(), IncRect(m_rcWork));
  const Long half = DivL(GridPixels(), 2);
  const Long x1 = SubL(m_rcWork.right, half);
  std::string row;
  const Integer n = LineCount();
  for (Integer i = 1; i <= n; ++i) {
    LineData& line = m_Lines[static_cast<size_t>(i)];
    if (line.Fresh == m_bTickPhase) {
      SelectedPen pen(Dc(), 1, Cr(line.Color));
      RECT seg{x1, line.PrevY, m_rcWork.right, line.CurY};
      DrawLine(seg);
      DrawPointPic(i, seg);
      DrawPointTip(i, seg);
      line.PrevY = line.CurY;
      if (m_bExport) {
        if (!row.empty()) row += ',';
        row += '[';
        row += DecimalText(i);
        row += ']';
        row += ExportValueText(line.Value);
      }
    } else {
      line.Fresh = m_bTickPhase;
    }
    line.PrevValue = line.Value;
    if (i == n) break;  // the loop counter must not step past 32767
  }
  // Newest row first; an empty row still counts, as a lone "/".
  if (m_bExport) m_sExportBuf = row + "/" + m_sExportBuf;
}

// The picture is centred on the segment's start, magenta transparent; a start at or below
// the bottom row is lifted so that the picture stays inside the plot (the tip then uses
// the lifted start as well).
void cLineChart::DrawPointPic(Integer i, RECT& seg) {
  LineData& line = m_Lines[static_cast<size_t>(i)];
  if (!line.HasPointPic || !line.PointPic) return;
  pcMemDC& pic = *line.PointPic;
  if (seg.top >= m_rcWork.bottom) seg.top = SubL(m_rcWork.bottom, DivL(pic.Height(), 2));
  const Integer w = ToInteger(pic.Width());
  const Integer h = ToInteger(pic.Height());
  const Long x = SubL(seg.left, DivI(w, 2));
  // Only the columns up to the plot's right edge are stamped: what stuck out to the right
  // would stay on the legend or scale there, since the scroll never moves the margin.
  const Long visible = std::min<Long>(w, SubL(AddL(m_rcWork.right, 1), x));
  if (visible < 1) return;
  pic.Draw(m_lBindDc, 0, 0, visible, h, x, SubL(seg.top, DivI(h, 2)), True);
}

// The previous value, in the measure font and the line's tip colour, next to the
// segment's start: below the point when the line rises from it, above otherwise, and
// never reaching the bottom edge. The tip colour stays set on the surface.
void cLineChart::DrawPointTip(Integer i, RECT& seg) {
  const LineData& line = m_Lines[static_cast<size_t>(i)];
  if (!line.DispPointTip) return;
  cFont& font = Font();
  font.SetFont(Filled(m_fMeasureFont));
  font.SetDefColor(line.TipColor);
  font.LoadMyFont();
  RestoreFontAtEnd restore(font);

  const std::string text = LabelText(line.PrevValue);
  const Integer cw = m_iMeasureCharW;
  const Integer ch = m_iMeasureCharH;
  const Long ph = (line.HasPointPic && line.PointPic) ? DivL(line.PointPic->Height(), 2) : 0;
  const Integer tw = ToInteger(MulL(ToLong(static_cast<int64_t>(text.size())), cw));
  RECT rc{};
  rc.left = SubL(seg.left, DivI(tw, 2));
  rc.right = AddL(AddL(seg.left, DivI(tw, 2)), 2);
  if (seg.bottom < seg.top) {
    rc.top = AddL(seg.top, ph);
  } else {
    rc.top = SubL(SubL(seg.top, ch), ph);
  }
  rc.bottom = AddL(rc.top, ch);
  if (rc.bottom >= m_rcWork.bottom) {
    rc.bottom = SubL(m_rcWork.bottom, m_iBorderWidth);
    rc.top = SubL(rc.bottom, ch);
  }
  // The text is clipped at the plot's right edge, for the same reason as the picture;
  // its position (the rectangle's left and top) stays as computed.
  rc.right = std::min<Long>(rc.right, AddL(m_rcWork.right, 1));
  DrawTextA(Dc(), text.c_str(), static_cast<int>(text.size()), &rc, 0);
}

// While the log is open: one row line every eleventh tick. A failed write leaves the
// rows pending and the count past 10, so the next tick tries again.
void cLineChart::FlushExportRows() {
  if (!m_bExport) return;
  m_iExportTicks = AddI(m_iExportTicks, 1);
  if (m_iExportTicks > 10) {
    LogSlot::WriteLine(this, m_sExportBuf);
    m_sExportBuf = std::string();  // emptied and its memory released
    m_iExportTicks = 0;
  }
}

}  // namespace kavrin
