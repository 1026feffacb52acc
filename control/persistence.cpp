// Saving and loading the control's 24 settings through the container's property bag.
// Both directions use the same names, order and defaults; several numeric defaults are
// Integers where the value is a Long or a Double, and the two Boolean entries default to
// the Integer 1, so a saved True (-1) or False is always written.
#include "control/kavrin_line_chart.h"

namespace kavrin {

namespace {

Variant I(Integer v) { return Variant::FromInteger(v); }
Variant L(Long v) { return Variant::FromLong(v); }

}  // namespace

// Each entry is stored as soon as it is read and converted: a conversion error (13) stops
// the load there, with the earlier entries kept and no configuration.
void KavrinLineChart::ReadProperties(PropertyBag& bag) {
  m_ValueLineColor = bag.ReadProperty("ValueLineColor", L(32768)).ToLong();
  m_TimeLineColor = bag.ReadProperty("TimeLineColor", L(32768)).ToLong();
  m_Title = bag.ReadProperty("Title", "Kavrin Line Chart").ToString();
  m_Zoom = bag.ReadProperty("Zoom", I(1)).ToDouble();
  m_MeasureFont = bag.ReadProperty("MeasureFont", AmbientFont()).ToFont();
  m_MeasureColor = bag.ReadProperty("MeasureColor", L(192)).ToLong();
  m_TitlePos = bag.ReadProperty("TitlePos", I(3)).ToInteger();
  m_TitleFont = bag.ReadProperty("TitleFont", AmbientFont()).ToFont();
  m_TitleColor = bag.ReadProperty("TitleColor", I(0)).ToLong();
  m_MeasurePos = bag.ReadProperty("MeasurePos", I(0)).ToInteger();
  m_CutLineFont = bag.ReadProperty("CutLineFont", AmbientFont()).ToFont();
  m_bValueLineDisp = bag.ReadProperty("bValueLineDisp", I(1)).ToBoolean();
  m_bTimeLineDisp = bag.ReadProperty("bTimeLineDisp", I(1)).ToBoolean();
  m_BackColor = bag.ReadProperty("BackColor", L(16777215)).ToLong();
  // Checked as it is read, so that the error comes with the entry that holds the colour
  // (the surface takes it after ChartBackColor, below).
  CheckBackColor(m_BackColor);
  m_ChartBackColor = bag.ReadProperty("ChartBackColor", I(0)).ToLong();
  site_.BackColor(m_BackColor);
  m_BorderWidth = bag.ReadProperty("BorderWidth", I(1)).ToInteger();
  m_BorderColor = bag.ReadProperty("BorderColor", L(8421504)).ToLong();
  m_ValueSpace = bag.ReadProperty("ValueSpace", I(10)).ToDouble();
  m_Min = bag.ReadProperty("Min", I(-50)).ToDouble();
  m_Max = bag.ReadProperty("Max", I(50)).ToDouble();
  m_MeasureWidth = bag.ReadProperty("MeasureWidth", I(3)).ToInteger();
  m_Unit = bag.ReadProperty("Unit", "").ToString();
  m_UnitFont = bag.ReadProperty("UnitFont", AmbientFont()).ToFont();
  m_Dist = bag.ReadProperty("Dist", "20,20,20,30").ToString();
  ConfigureChart();
}

void KavrinLineChart::WriteProperties(PropertyBag& bag) {
  bag.WriteProperty("ValueLineColor", L(m_ValueLineColor), L(32768));
  bag.WriteProperty("TimeLineColor", L(m_TimeLineColor), L(32768));
  bag.WriteProperty("Title", m_Title, "Kavrin Line Chart");
  bag.WriteProperty("Zoom", m_Zoom, I(1));
  bag.WriteProperty("MeasureFont", m_MeasureFont, AmbientFont());
  bag.WriteProperty("MeasureColor", L(m_MeasureColor), L(192));
  bag.WriteProperty("TitlePos", I(m_TitlePos), I(3));
  bag.WriteProperty("TitleFont", m_TitleFont, AmbientFont());
  bag.WriteProperty("TitleColor", L(m_TitleColor), I(0));
  bag.WriteProperty("MeasurePos", I(m_MeasurePos), I(0));
  bag.WriteProperty("CutLineFont", m_CutLineFont, AmbientFont());
  bag.WriteProperty("bValueLineDisp", Variant::FromBoolean(m_bValueLineDisp), I(1));
  bag.WriteProperty("bTimeLineDisp", Variant::FromBoolean(m_bTimeLineDisp), I(1));
  bag.WriteProperty("BackColor", L(m_BackColor), L(16777215));
  bag.WriteProperty("ChartBackColor", L(m_ChartBackColor), I(0));
  bag.WriteProperty("BorderWidth", I(m_BorderWidth), I(1));
  bag.WriteProperty("BorderColor", L(m_BorderColor), L(8421504));
  bag.WriteProperty("ValueSpace", m_ValueSpace, I(10));
  bag.WriteProperty("Min", m_Min, I(-50));
  bag.WriteProperty("Max", m_Max, I(50));
  bag.WriteProperty("MeasureWidth", I(m_MeasureWidth), I(3));
  bag.WriteProperty("Unit", m_Unit, "");
  bag.WriteProperty("UnitFont", m_UnitFont, AmbientFont());
  bag.WriteProperty("Dist", m_Dist, "20,20,20,30");
}

}  // namespace kavrin
